// What the print system says of a job once a document has been handed to it. Qt's CUPS print
// engine does not report a refused submission, nor when the sheets are out, so the run asks
// CUPS (or the Windows spooler) itself.
#pragma once

#include "platform/printer.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace calvorigne {

// The job of that title in the printer's queue, if it was taken and not aborted or cancelled;
// 0 when it was taken but the system no longer holds it (the Windows spooler hands jobs on,
// and reports a refusal through the document's end).
std::optional<int> acceptedJob(const QString& printer, const QString& title);

// Where that job stands now; Done for job 0, or once the system no longer knows it.
JobState jobState(const QString& printer, int job);

#ifndef _WIN32
// Hands a document the printer's driver wrote to a file to its CUPS queue, as one job of that
// title with the options given as name, value, name, value…; the job's number, or nothing with
// the cause when the queue refused it.
std::optional<int> submitDocument(const QString& printer, const QString& file, const QString& title,
                                  const QStringList& options, QString* cause);
#endif

#ifdef _WIN32
// The spooler may print a job while it is still being drawn. Holds the job of that title in
// its queue until it is released; its number, or 0 when the spooler would not hold it.
int holdJob(const QString& printer, const QString& title);
void releaseJob(const QString& printer, int job);
// Deletes a job held so; whether the spooler says it is gone or going.
bool dropJob(const QString& printer, int job);

// A driver's zoom (DEVMODE's dmScale) would move every number. Sets it to 100 % in printer
// settings held in global memory; whether they asked for another scale.
bool unscale(void* settings);
// The printer's default settings at 100 %, in global memory that lives as long as the program;
// nullptr when they ask for no other scale.
void* unscaledDefaults(const QString& printer);
#endif

// Whether a job of that title is in the printer's queue, in any state but cancelled; one not
// yet printed is cancelled. A document dropped before it was handed over leaves none.
bool cancelJobsTitled(const QString& printer, const QString& title);

} // namespace calvorigne
