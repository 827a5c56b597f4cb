#include "settings.h"

#include "core/numbers.h"
#include "platform/files.h"
#include "platform/profiletext.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <cmath>

namespace calvorigne {

namespace {

const char* const previewSection = "Aper\xe7u";
const char* const ticketSection = "Billet";
const char* const backgroundKey = "Fond";

// A path in any script, in the file's Latin-1: UTF-8 with its bytes past ASCII, and the
// percent sign, percent-encoded.
QByteArray backgroundForm(const QString& path)
{
    return path.toUtf8().toPercentEncoding(" !\"#$&'()*+,/:;<=>?@[\\]^`{|}");
}

QString flag(bool on)
{
    return on ? QStringLiteral("True") : QStringLiteral("False");
}

bool writeEveryKey(const QString& path, const SavedSettings& v)
{
    bool ok = true;
    ok &= writeProfileText(path, "Font", "Name", v.fontName);
    ok &= writeProfileText(path, "Font", "Size", numberForm(v.size));
    ok &= writeProfileText(path, "Font", "couleur", numberForm(QString::number(v.colour)));
    if (v.foliated) {
        ok &= writeProfileText(path, "Tickets", "Org", flag(true));
        ok &= writeProfileText(path, "Tickets", "Folio", numberForm(v.folio));
    } else {
        ok &= writeProfileText(path, "Tickets", "Org", flag(false));
    }
    ok &= writeProfileText(path, "Font", "Bold", flag(v.bold));
    ok &= writeProfileText(path, "Marges", "H", numberForm(v.top));
    ok &= writeProfileText(path, "Marges", "B", numberForm(v.bottom));
    ok &= writeProfileText(path, "Pos", "X", numberForm(v.x));
    ok &= writeProfileText(path, "Pos", "Y", numberForm(v.y));
    ok &= writeProfileText(path, "Pos", "E", numberForm(v.e));
    // The ticket model in a section of its own after the designed ones, written afresh, and
    // only when it is not the default.
    ok &= writeProfileText(path, ticketSection, nullptr, std::nullopt);
    for (const auto& [key, value] : v.model.keys())
        ok &= writeProfileText(path, ticketSection, key.toLatin1().constData(), value);
    // The preview's own key, in a section of its own after the others; absent when unused.
    const QByteArray picture = backgroundForm(v.background);
    ok &= writeProfileText(path, previewSection, backgroundKey,
                           picture.isEmpty() ? std::nullopt : std::optional(QString::fromLatin1(picture)));
    return ok;
}

// The eleven writes go to a copy of the file beside it, under a fresh name, and the copy then
// takes the file's place in one rename: killed at any moment, the file holds every old value
// or every new one, and every line the save does not write is kept as it was.
bool saveOnCopy(const QString& path, const SavedSettings& values, QString& cause)
{
    const QFileInfo given(path);
    // A settings file that is a link stays one: the file it points to is replaced.
    const QFileInfo file(given.exists() ? given.canonicalFilePath() : given.absoluteFilePath());
    const QString folder = file.absolutePath();
    if (!QDir().mkpath(folder)) {
        cause = QStringLiteral("le dossier « %1 » n'a pas pu être créé").arg(QDir::toNativeSeparators(folder));
        return false;
    }
    // A file nobody may write to is read-only, even for a privileged user, as on Windows.
    constexpr auto writable = QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
    if (file.exists() && (!file.isFile() || !(file.permissions() & writable))) {
        cause = file.isFile() ? QStringLiteral("le fichier est en lecture seule")
                              : QStringLiteral("ce n'est pas un fichier");
        return false;
    }
    // Created exclusively under a fresh name, and closed before the profile functions open it.
    QString copy;
    {
        QTemporaryFile created(QDir(folder).filePath(QStringLiteral(".") + file.fileName() + QStringLiteral(".provisoire-XXXXXX")));
        if (!created.open()) {
            cause = lastFailure();
            return false;
        }
        created.setAutoRemove(false);
        copy = created.fileName();
        bool copied = true;
        if (file.exists()) {
            QFile old(file.filePath());
            const QByteArray bytes = old.open(QIODevice::ReadOnly) ? old.readAll() : QByteArray();
            copied = old.error() == QFileDevice::NoError && created.write(bytes) == bytes.size() && created.flush();
            created.setPermissions(file.permissions());
        }
        if (!copied) {
            cause = lastFailure();
            created.remove();
            return false;
        }
    }
    if (!writeEveryKey(copy, values) || !replaceWith(copy, file.filePath())) {
        cause = lastFailure();
        QFile::remove(copy);
        return false;
    }
    return true;
}

} // namespace

QString defaultSettingsPath()
{
#ifdef _WIN32
    return QStringLiteral("C:\\Windows\\Calvorigne.ini");
#else
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
        .filePath(QStringLiteral("Calvorigne.ini"));
#endif
}

QString unreadableSettingsFile(const QString& settingsPath)
{
    const QString path = settingsInUse(settingsPath);
    if (!QFileInfo::exists(path))
        return {};
    QFile file(path);
    return QFileInfo(path).isFile() && file.open(QIODevice::ReadOnly) ? QString() : path;
}

StoredSettings readSettings(const QString& settingsPath)
{
    const QString path = settingsInUse(settingsPath);
    StoredSettings s;
    s.fontName = readProfileText(path, "Font", "Name", 40);
    s.size = readProfileText(path, "Font", "Size", 3);
    s.bold = readProfileText(path, "Font", "Bold", 5);
    s.colour = readProfileText(path, "Font", "couleur", 20);
    s.org = readProfileText(path, "Tickets", "Org", 5);
    if (s.org == u"True")
        s.folio = readProfileText(path, "Tickets", "Folio", 3);
    s.top = readProfileText(path, "Marges", "H", 3);
    s.bottom = readProfileText(path, "Marges", "B", 3);
    s.x = readProfileText(path, "Pos", "X", 4);
    s.y = readProfileText(path, "Pos", "Y", 4);
    s.e = readProfileText(path, "Pos", "E", 4);
    s.model = TicketModel::fromKeys([&](const QString& key) {
        return readProfileText(path, ticketSection, key.toLatin1().constData(), 64);
    });
    s.background = QString::fromUtf8(QByteArray::fromPercentEncoding(readProfileText(path, previewSection, backgroundKey, 4096).toLatin1()));
    return s;
}

QString numberForm(const QString& caption)
{
    // The caption as a whole must be a number, with the point or the user's own decimal sign.
    const QString text = caption.trimmed();
    bool ok = false;
    double value = QLocale::c().toDouble(text, &ok);
    if (!ok)
        value = QLocale::system().toDouble(text, &ok);
    if (!ok || !std::isfinite(value))
        return {};
    return signedNumber(value);
}

bool writeSettings(const QString& path, const SavedSettings& values, QString* failure)
{
    QString cause;
    bool saved = saveOnCopy(settingsInUse(path), values, cause);
    // Refused, as C:\Windows is to a user who is not an administrator.
    if (!saved) {
        if (const QString taken = takeOverSettings(path); !taken.isEmpty())
            saved = saveOnCopy(taken, values, cause);
    }
    if (!saved && failure)
        *failure = cause;
    return saved;
}

} // namespace calvorigne
