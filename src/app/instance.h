// One Calvorigne at a time for a user: two would print the same numbers, and the later save
// would undo the earlier. The first start holds a lock file beside the settings; a later one
// is told so, and asks the first to bring its window forward by leaving a file that the first
// watches for. A lock left by an instance that crashed does not count.
#pragma once

#include <QFileSystemWatcher>
#include <QLockFile>
#include <QObject>

namespace calvorigne {

class Instance : public QObject {
    Q_OBJECT
public:
    // folder: where the lock lives, a folder of the user's own.
    explicit Instance(const QString& folder);

    // Whether no other instance runs (or none can be told, the folder being closed to us).
    bool isFirst() const { return m_first; }
    // Asks the instance that runs to come forward.
    void callFirst() const;

signals:
    void called();

private:
    void answerCall();

    QLockFile m_lock;
    QString m_call;
    bool m_first = true;
    QFileSystemWatcher m_watcher;
};

// Removes the part files that a save or a run to files left when the program was killed
// (.Calvorigne.ini.provisoire-XXXXXX beside the settings, .Calvorigne-provisoire-XXXXXX.pdf in the
// documents). Only
// the one instance that runs may call it: these names are no one else's.
void removeLeftovers(const QString& settingsPath, const QString& documentsFolder);

} // namespace calvorigne
