#include "files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <cerrno>
#include <cstdio>

#ifdef _WIN32
#include <windows.h>
#endif

namespace calvorigne {

// Why the last system call failed, in the program's words.
QString lastFailure()
{
#ifdef _WIN32
    switch (GetLastError()) {
    case ERROR_ACCESS_DENIED: return QStringLiteral("l'accès est refusé");
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION: return QStringLiteral("le fichier est utilisé par un autre programme");
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return QStringLiteral("le disque est plein");
    case ERROR_WRITE_PROTECT: return QStringLiteral("le disque est protégé en écriture");
    default: break;
    }
#else
    switch (errno) {
    case EACCES:
    case EPERM: return QStringLiteral("l'accès est refusé");
    case ENOSPC:
    case EDQUOT: return QStringLiteral("le disque est plein");
    case EROFS: return QStringLiteral("le disque est en lecture seule");
    default: break;
    }
#endif
    return QStringLiteral("l'écriture a échoué");
}

// Puts the file from in the place of to at once, replacing it.
bool replaceWith(const QString& from, const QString& to)
{
#ifdef _WIN32
    return MoveFileExW(reinterpret_cast<const wchar_t*>(QDir::toNativeSeparators(from).utf16()),
                       reinterpret_cast<const wchar_t*>(QDir::toNativeSeparators(to).utf16()),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
#else
    return std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
#endif
}

QString nextFreeName(const QString& wanted)
{
    const QFileInfo info(wanted);
    const QString stem = info.dir().filePath(info.completeBaseName());
    const QString suffix = info.suffix().isEmpty() ? QStringLiteral("pdf") : info.suffix();
    QString name = stem + u'.' + suffix;
    for (int k = 2; QFileInfo::exists(name); ++k)
        name = QStringLiteral("%1-%2.%3").arg(stem).arg(k).arg(suffix);
    return name;
}

// Windows' file virtualisation sent the writes of the original 32-bit program into a
// protected folder to a copy in the user's VirtualStore, and read that copy back first. A
// 64-bit program gets none of it, so it is done here: empty when the path is not virtualised.
QString virtualStoreCopy(const QString& path)
{
#ifdef _WIN32
    const QString native = QDir::toNativeSeparators(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
    const QStringList protectedFolders = {qEnvironmentVariable("SystemRoot", QStringLiteral("C:\\Windows")),
                                          qEnvironmentVariable("ProgramFiles"),
                                          qEnvironmentVariable("ProgramFiles(x86)"),
                                          qEnvironmentVariable("ProgramData")};
    for (const QString& folder : protectedFolders) {
        if (folder.size() < 3 || !native.startsWith(folder + u'\\', Qt::CaseInsensitive))
            continue;
        const QString local = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
        return QDir(local).filePath(QStringLiteral("VirtualStore/") + QDir::fromNativeSeparators(native.mid(3)));
    }
#else
    Q_UNUSED(path);
#endif
    return {};
}

QString settingsInUse(const QString& settingsPath)
{
    const QString copy = virtualStoreCopy(settingsPath);
    return !copy.isEmpty() && QFileInfo::exists(copy) ? copy : settingsPath;
}

QString takeOverSettings(const QString& settingsPath)
{
    const QString copy = virtualStoreCopy(settingsPath);
    if (copy.isEmpty() || QFileInfo::exists(copy))
        return {};
    QDir().mkpath(QFileInfo(copy).absolutePath());
    if (QFile::copy(settingsPath, copy))
        QFile::setPermissions(copy, QFile::permissions(copy) | QFile::WriteOwner | QFile::WriteUser);
    return copy;
}

QString besideSettings(const QString& settingsPath, const QString& name)
{
    // A protected folder is written through its VirtualStore copy, as Windows does for us.
    const QString copy = virtualStoreCopy(settingsPath);
    return QFileInfo(copy.isEmpty() ? settingsPath : copy).dir().filePath(name);
}

} // namespace calvorigne
