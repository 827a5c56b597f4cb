// Each printer's learned paper path, in its section of the settings file.
#pragma once

#include "paperpath/paperpath.h"

#include <QString>
#include <optional>

namespace calvorigne {

// Nothing when nothing was learned, or when the keys were edited into something that makes no
// sense.
std::optional<PaperPath> storedPath(const QString& settingsPath, const QString& printer);

// Keeps the path at once, or forgets it; false, with the cause in French, when the file cannot
// be written.
bool storePath(const QString& settingsPath, const QString& printer, const std::optional<PaperPath>& path,
               QString* failure = nullptr);

} // namespace calvorigne
