// Reading and writing whole files as bytes, for tests of the settings file, and reading back
// the program's CSV files.
#pragma once

#include <QFile>
#include <QTest>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif

namespace calvorigne::testing {

inline QByteArray bytesOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A line of the program's CSV files read back: fields split at ';', quotes undone.
inline QStringList csvFields(const QString& line)
{
    QStringList fields{QString()};
    bool quoted = false;
    for (qsizetype k = 0; k < line.size(); ++k) {
        const QChar c = line[k];
        if (quoted && c == u'"' && k + 1 < line.size() && line[k + 1] == u'"')
            fields.last() += line[++k];
        else if (c == u'"')
            quoted = !quoted;
        else if (c == u';' && !quoted)
            fields << QString();
        else
            fields.last() += c;
    }
    return fields;
}

// Every line of a CSV file, split into fields.
inline QList<QStringList> csvLines(const QString& path)
{
    QFile file(path);
    QList<QStringList> lines;
    if (file.open(QIODevice::ReadOnly))
        while (!file.atEnd())
            lines << csvFields(QString::fromUtf8(file.readLine()).trimmed());
    return lines;
}

inline void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// Keeps a file from being written while it lives, and lets it be read. A read-only file is
// not enough under Wine, where a privileged user writes it all the same: there the file is
// held open so that no one else may write it, as Windows refuses a file in use.
class WriteLock {
public:
    explicit WriteLock(const QString& path) : m_path(path)
    {
#ifdef _WIN32
        m_handle = CreateFileW(reinterpret_cast<const wchar_t*>(path.utf16()), GENERIC_READ, FILE_SHARE_READ,
                               nullptr, OPEN_EXISTING, 0, nullptr);
        QVERIFY(m_handle != INVALID_HANDLE_VALUE);
#else
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner));
#endif
    }
    ~WriteLock()
    {
#ifdef _WIN32
        if (m_handle != INVALID_HANDLE_VALUE)
            CloseHandle(m_handle);
#else
        QFile::setPermissions(m_path, QFile::ReadOwner | QFile::WriteOwner);
#endif
    }
    WriteLock(const WriteLock&) = delete;
    WriteLock& operator=(const WriteLock&) = delete;

private:
    QString m_path;
#ifdef _WIN32
    HANDLE m_handle = INVALID_HANDLE_VALUE;
#endif
};

} // namespace calvorigne::testing
