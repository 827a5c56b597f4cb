// The program's papers as files: HTML laid out on numbered A4 pages of a PDF, and any file
// written whole or not at all, with the words for a folder that refuses it or a file another
// program holds open (Windows will not replace it then).
#pragma once

#include <QString>
#include <functional>
#include <memory>
#include <vector>

class QIODevice;
class QSaveFile;

namespace calvorigne {

// A4 pages of the HTML, « page 1 / N » at the foot of each, as a PDF into the device.
void writePdfPages(const QString& html, const QString& title, QIODevice& device);

// A file to write: fill writes the content and says whether it could.
struct FileContent {
    QString path;
    std::function<bool(QIODevice&)> fill;
};
// Writes each file through a copy that replaces it at once, the copies made before any file is
// replaced: a folder that refuses one leaves every file as it was. Why it failed, in the user's
// words; empty when written.
QString writeAll(const std::vector<FileContent>& files);
QString writeWhole(const QString& path, const std::function<bool(QIODevice&)>& fill);

// Why the file could not be written, the user's words: opened tells a folder that refuses it
// from a file that could not be replaced.
QString cannotWrite(const QSaveFile& file, bool opened);

} // namespace calvorigne
