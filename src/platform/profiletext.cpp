#include "profiletext.h"

#include "platform/profile.h"

#include <QByteArray>
#include <QFile>

namespace calvorigne {

QString readProfileText(const QString& file, const char* section, const char* key, int bufferSize)
{
    QByteArray buffer(bufferSize, ' ');
    const DWORD count = GetPrivateProfileStringA(section, key, "", buffer.data(), DWORD(bufferSize),
                                                 QFile::encodeName(file).constData());
    return QString::fromLatin1(buffer.constData(), qsizetype(count));
}

bool writeProfileText(const QString& file, const char* section, const char* key, const std::optional<QString>& value)
{
    const QByteArray text = value ? value->toLatin1() : QByteArray();
    return WritePrivateProfileStringA(section, key, value ? text.constData() : nullptr, QFile::encodeName(file).constData())
           != 0;
}

} // namespace calvorigne
