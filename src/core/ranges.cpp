#include "ranges.h"

#include <QStringList>
#include <algorithm>

namespace calvorigne {

namespace {

// Digits only, blanks aside: « 0111 » is 111, « 1e3 » or « +4 » are no number of a list.
bool wholeNumber(QString text, qint64* value)
{
    text.remove(u' ');
    bool ok = !text.isEmpty();
    for (const QChar c : text)
        ok = ok && c.isDigit() && c.unicode() < 128;
    if (ok)
        *value = text.toLongLong(&ok);
    return ok;
}

// A handheld scanner set for a QWERTY keyboard types &é"'(-è_çà for 1234567890 on a French
// AZERTY one: a part typed so is read as its digits. A scanned part holds no dash of a range.
QString scannedDigits(const QString& part)
{
    static const QString azerty = QStringLiteral("&é\"'(-è_çà");
    if (std::none_of(part.begin(), part.end(), [](QChar c) { return c != u'-' && azerty.contains(c); }))
        return part;
    QString digits;
    for (const QChar c : part) {
        const qsizetype at = azerty.indexOf(c);
        digits += at < 0 ? c : QChar(char16_t(u'0' + (at + 1) % 10));
    }
    return digits;
}

} // namespace

TypedRanges readRanges(const QString& typed)
{
    TypedRanges read;
    for (const QString& raw : typed.split(u',', Qt::SkipEmptyParts)) {
        const QString part = scannedDigits(raw.trimmed());
        if (part.isEmpty())
            continue;
        const QStringList ends = part.split(u'-');
        qint64 from = 0, to = 0;
        if (ends.size() > 2 || !wholeNumber(ends[0], &from) || !wholeNumber(ends.value(ends.size() - 1), &to)) {
            read.fault = TypedRanges::Fault::NotANumber;
            read.part = part;
            return read;
        }
        if (from > to) {
            read.fault = TypedRanges::Fault::Backwards;
            read.part = part;
            read.from = from;
            read.to = to;
            return read;
        }
        read.ranges.emplace_back(from, to);
    }
    return read;
}

} // namespace calvorigne
