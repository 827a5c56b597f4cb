// What the program has learned of each printer, kept in a section of the settings file named
// after the printer: the paper path by its stack test. Only the printer of that very name
// reads it back, so a renamed or another printer starts with nothing learned.
#pragma once

#include "paperpath/paperpath.h"

#include <QString>
#include <optional>

namespace calvorigne {

// The section of a printer: its name, whatever characters it holds, in the file's Latin-1.
QByteArray printerSection(const QString& printer);

// Nothing when nothing was learned, or when the keys were edited into something that makes no
// sense.
std::optional<PaperPath> storedPath(const QString& settingsPath, const QString& printer);

// Keeps the path at once (nothing forgets it); false, with the cause in French, when the file
// cannot be written.
bool storePath(const QString& settingsPath, const QString& printer, const std::optional<PaperPath>& path,
               QString* failure = nullptr);

} // namespace calvorigne
