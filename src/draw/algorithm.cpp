#include "algorithm.h"

#include <QCryptographicHash>
#include <QMessageAuthenticationCode>
#include <algorithm>

namespace calvorigne::draw {

QByteArray listText(const QStringList& labels)
{
    QByteArray text;
    for (const QString& label : labels)
        text += label.toUtf8() + '\n';
    return text;
}

QString listHash(const QStringList& labels)
{
    return QString::fromLatin1(QCryptographicHash::hash(listText(labels), QCryptographicHash::Sha256).toHex());
}

QString graine(const QString& listHash, const QStringList& witnessDigits)
{
    const QStringList lines = QStringList{listHash} + witnessDigits;
    return QString::fromLatin1(QCryptographicHash::hash(lines.join(u'\n').toUtf8(), QCryptographicHash::Sha256).toHex());
}

std::vector<Ranked> ranking(const QString& graine, const QStringList& labels)
{
    const QByteArray key = QByteArray::fromHex(graine.toLatin1());
    QMessageAuthenticationCode mac(QCryptographicHash::Sha256, key);
    std::vector<Ranked> ranked;
    ranked.reserve(std::size_t(labels.size()));
    for (const QString& label : labels) {
        mac.reset();
        mac.addData(label.toUtf8());
        ranked.push_back({label, mac.result()});
    }
    std::sort(ranked.begin(), ranked.end(), [](const Ranked& a, const Ranked& b) { return a.mark < b.mark || (a.mark == b.mark && a.label < b.label); });
    return ranked;
}

QString readAloud(const QString& hex)
{
    QStringList groups;
    for (qsizetype at = 0; at < hex.size(); at += 4)
        groups << hex.mid(at, 4);
    return groups.join(u' ');
}

} // namespace calvorigne::draw
