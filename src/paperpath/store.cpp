#include "store.h"

#include "platform/files.h"
#include "platform/profile.h"

#include <QDir>
#include <QFile>

namespace calvorigne {

namespace {

const char* const movementKey = "Retournement";
const char* const orderKey = "Passage2";
const char* const faceKey = "Face";

QString readKey(const QString& file, const QByteArray& section, const char* key)
{
    QByteArray buffer(32, ' ');
    const DWORD count = GetPrivateProfileStringA(section.constData(), key, "", buffer.data(), DWORD(buffer.size()),
                                                 QFile::encodeName(file).constData());
    return QString::fromLatin1(buffer.constData(), qsizetype(count));
}

bool writeKeys(const QString& file, const QByteArray& section, const std::optional<PaperPath>& path)
{
    const QByteArray name = QFile::encodeName(file);
    if (!path)
        return WritePrivateProfileStringA(section.constData(), nullptr, nullptr, name.constData()) != 0;
    const PathKeys keys = pathKeys(*path);
    bool ok = true;
    for (const auto& [key, value] : {std::pair{movementKey, keys.movement}, {orderKey, keys.order}, {faceKey, keys.face}})
        ok &= WritePrivateProfileStringA(section.constData(), key, value.toLatin1().constData(), name.constData()) != 0;
    return ok;
}

} // namespace

QByteArray printerSection(const QString& printer)
{
    // Brackets, the separators, the percent sign and every byte past ASCII are percent-encoded;
    // so are blanks at the ends, which the profile functions would drop.
    QByteArray name = printer.toUtf8().toPercentEncoding(" !\"#$&'()*+,/:<>?@\\^`{|}");
    if (name.endsWith(' '))
        name = name.chopped(1) + "%20";
    return "Imprimante " + name;
}

std::optional<PaperPath> storedPath(const QString& settingsPath, const QString& printer)
{
    if (printer.isEmpty())
        return std::nullopt;
    const QString file = settingsInUse(settingsPath);
    const QByteArray section = printerSection(printer);
    return pathFromKeys({readKey(file, section, movementKey), readKey(file, section, orderKey),
                         readKey(file, section, faceKey)});
}

bool storePath(const QString& settingsPath, const QString& printer, const std::optional<PaperPath>& path, QString* failure)
{
    const QByteArray section = printerSection(printer);
    bool ok = writeKeys(settingsInUse(settingsPath), section, path);
    if (!ok) {
        if (const QString taken = takeOverSettings(settingsPath); !taken.isEmpty())
            ok = writeKeys(taken, section, path);
    }
    if (!ok && failure)
        *failure = QStringLiteral("le fichier des paramètres « %1 » n'a pas pu être écrit (%2)")
                       .arg(QDir::toNativeSeparators(settingsPath), lastFailure());
    return ok;
}

} // namespace calvorigne
