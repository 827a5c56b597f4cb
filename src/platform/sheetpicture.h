// A picture of a sheet, as the user scanned or photographed it: up to an A4 sheet at 1,200
// dpi, reduced to 300 dpi, which is more than the preview shows and enough to read the
// calibration sheet's targets to a hundredth of a millimetre.
#pragma once

#include <QImage>
#include <QString>

namespace calvorigne {

// Null, with the reason in French, when it cannot be had.
QImage sheetPicture(const QString& path, QString* why);

} // namespace calvorigne
