#include "store.h"

#include "platform/printerprofile.h"

namespace calvorigne {

namespace {

const char* const movementKey = "Retournement";
const char* const orderKey = "Passage2";
const char* const faceKey = "Face";

} // namespace

std::optional<PaperPath> storedPath(const QString& settingsPath, const QString& printer)
{
    if (printer.isEmpty())
        return std::nullopt;
    return pathFromKeys({readPrinterKey(settingsPath, printer, movementKey), readPrinterKey(settingsPath, printer, orderKey),
                         readPrinterKey(settingsPath, printer, faceKey)});
}

bool storePath(const QString& settingsPath, const QString& printer, const std::optional<PaperPath>& path, QString* failure)
{
    const std::optional<PathKeys> keys = path ? std::optional(pathKeys(*path)) : std::nullopt;
    return writePrinterKeys(settingsPath, printer,
                            {{movementKey, keys ? std::optional(keys->movement) : std::nullopt},
                             {orderKey, keys ? std::optional(keys->order) : std::nullopt},
                             {faceKey, keys ? std::optional(keys->face) : std::nullopt}},
                            failure);
}

} // namespace calvorigne
