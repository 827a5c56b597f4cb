// Reading and writing whole files as bytes, for tests of the settings file.
#pragma once

#include <QFile>
#include <QTest>

namespace calvorigne::testing {

inline QByteArray bytesOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace calvorigne::testing
