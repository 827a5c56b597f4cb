#include "instance.h"

#include "platform/files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#ifdef _WIN32
#include <windows.h>
#endif

namespace calvorigne {

Instance::Instance(const QString& folder)
    : m_lock(QDir(folder).filePath(QStringLiteral(".Calvorigne.lock"))),
      m_call(QDir(folder).filePath(QStringLiteral(".Calvorigne.appel")))
{
    QDir().mkpath(folder);
    // Held for as long as the program runs: only a holder that no longer runs makes it stale.
    m_lock.setStaleLockTime(0);
    m_first = m_lock.tryLock(0) || m_lock.error() != QLockFile::LockFailedError;
    if (!m_first)
        return;
    QFile::remove(m_call);
    m_watcher.addPath(folder);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, &Instance::answerCall);
}

void Instance::callFirst() const
{
#ifdef _WIN32
    // Windows lets the program in front hand the foreground on; the first one is behind.
    AllowSetForegroundWindow(ASFW_ANY);
#endif
    QFile call(m_call);
    if (call.open(QIODevice::WriteOnly))
        call.close();
}

void Instance::answerCall()
{
    if (QFile::remove(m_call))
        emit called();
}

void removeLeftovers(const QString& settingsPath, const QString& documentsFolder)
{
    const QFileInfo settings(settingsPath);
    const QString name = QRegularExpression::escape(settings.fileName());
    // The save's copy, and the copy the profile functions write beside it; their names say
    // « provisoire », so that a user's own .Calvorigne.ini.backup is never taken for one.
    const QRegularExpression saves(QStringLiteral("^\\.\\.?%1(\\.provisoire-[A-Za-z0-9]{6}){1,2}$").arg(name));
    const QRegularExpression pdfs(QStringLiteral("^\\.Calvorigne-provisoire-[A-Za-z0-9]{6}\\.pdf$"));
    const auto sweep = [](const QString& folder, const QRegularExpression& pattern) {
        if (folder.isEmpty())
            return;
        const QDir dir(folder);
        for (const QFileInfo& file : dir.entryInfoList(QDir::Files | QDir::Hidden | QDir::NoSymLinks))
            if (pattern.match(file.fileName()).hasMatch())
                QFile::remove(file.filePath());
    };
    sweep(QFileInfo(settings.exists() ? settings.canonicalFilePath() : settings.absoluteFilePath()).absolutePath(), saves);
    sweep(QFileInfo(besideSettings(settingsPath, settings.fileName())).absolutePath(), saves);
    sweep(documentsFolder, pdfs);
}

} // namespace calvorigne
