// The program's pictures, rendered from its own SVG drawings when it was built.
#pragma once

#include <QIcon>

namespace calvorigne {

QIcon applicationIcon();
QIcon printerIcon();
QIcon previewIcon();
QIcon exitIcon();

} // namespace calvorigne
