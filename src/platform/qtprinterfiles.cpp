// The PDF files a QtPrinter writes instead of paper: each pass written whole to a part file,
// then given the name the user chose, or the first free one beside it.
#include "qtprinter.h"

#include "platform/files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>

namespace calvorigne {

QString QtPrinter::keepWrittenFile(bool ended)
{
    const QString part = m_fileWeChose;
    const QString target = m_target;
    QFile file(part);
    // Qt closes every PDF it writes whole with this mark; a full disk cuts it short.
    const QByteArray mark("%%EOF\n");
    const bool whole = ended && file.open(QIODevice::ReadOnly) && file.size() > mark.size()
                       && file.seek(file.size() - mark.size()) && file.read(mark.size()) == mark;
    file.close();
    if (!whole) {
        dropPartFile();
        const bool full = QStorageInfo(QFileInfo(target).absolutePath()).bytesAvailable() < (qint64(1) << 20);
        throw PrinterError(QStringLiteral("le fichier « %1 » n'a pas pu être écrit en entier%2.")
                               .arg(QDir::toNativeSeparators(target),
                                    full ? QStringLiteral(" : le disque est plein") : QString()));
    }
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    // The file the user chose is replaced, as the printer dialog said; any other name is a free
    // one, and stays free until the rename.
    QString name = target;
    bool kept = m_replaceTarget && replaceWith(part, target);
    for (int tries = 0; !m_replaceTarget && !kept && tries < 100; ++tries) {
        name = nextFreeName(target);
        kept = QFile::rename(part, name);
        if (!kept && !QFileInfo::exists(name))
            break;
    }
    if (!kept) {
        const QString cause = lastFailure();
        dropPartFile();
        throw PrinterError(QStringLiteral("le fichier « %1 » n'a pas pu être enregistré : %2.")
                               .arg(QDir::toNativeSeparators(name), cause));
    }
    settleOutputFile();
    return name;
}

void QtPrinter::dropPartFile()
{
    if (!m_fileWeChose.isEmpty() && m_fileWeChose != m_target)
        QFile::remove(m_fileWeChose);
    settleOutputFile();
}

void QtPrinter::settleOutputFile()
{
    // Between documents the printer names the file as the user knows it, for the printer
    // dialog, and no longer the part file.
    m_fileWeChose = m_target;
    m_printer.setOutputFileName(m_target);
}

QStringList QtPrinter::takeWrittenFiles()
{
    QStringList files;
    for (const QString& file : std::as_const(m_written))
        files << QDir::toNativeSeparators(file);
    m_written.clear();
    return files;
}

} // namespace calvorigne
