#include "money.h"

#include <QRegularExpression>

namespace calvorigne {

std::optional<qint64> readMoney(const QString& typed)
{
    QString text = typed;
    text.remove(QRegularExpression(QStringLiteral("[\\s\\x{00A0}\\x{202F}€]")));
    static const QRegularExpression form(QStringLiteral("^(\\d{1,12})(?:[,.](\\d{1,2}))?$"));
    const QRegularExpressionMatch match = form.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    const QString decimals = match.captured(2).leftJustified(2, u'0');
    return match.captured(1).toLongLong() * 100 + decimals.toInt();
}

QString moneyCell(qint64 cents)
{
    const QString sign = cents < 0 ? QStringLiteral("-") : QString();
    const qint64 whole = qAbs(cents);
    return QStringLiteral("%1%2,%3").arg(sign).arg(whole / 100).arg(whole % 100, 2, 10, QChar(u'0'));
}

QString moneyText(qint64 cents)
{
    QString euros = QString::number(qAbs(cents) / 100);
    for (qsizetype at = euros.size() - 3; at > 0; at -= 3)
        euros.insert(at, QChar(0x00A0));
    return QStringLiteral("%1%2,%3\u00A0€").arg(cents < 0 ? QStringLiteral("-") : QString(), euros).arg(qAbs(cents) % 100, 2, 10, QChar(u'0'));
}

} // namespace calvorigne
