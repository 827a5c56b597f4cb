// Runs the record could not take yet (another program held it, it was read-only or gone), kept
// in a file beside it until it can: one JSON object a line, appended, so that a program killed
// while writing loses at most the line it was writing.
#pragma once

#include "records/journal.h"

#include <vector>

namespace calvorigne {

bool appendKeptRun(const QString& path, const JournalEntry& entry);
// The runs of the file, each as last written.
std::vector<JournalEntry> readKeptRuns(const QString& path);
// Puts the entry in place of the same run in the list, or adds it.
void replaceRun(std::vector<JournalEntry>& runs, const JournalEntry& entry);

} // namespace calvorigne
