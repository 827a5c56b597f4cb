// The program's draw, as anyone can redo it with sha256sum and openssl (the README shows how):
//
//   list    the sold tickets' numbers as printed, in number order, each ended by a line feed,
//           in UTF-8; its hash is the SHA-256 of that text, in lower-case hex.
//   graine  SHA-256 of the text: the list's hash, then each witness's digits in the order the
//           witnesses came, each on a line of its own, lines joined by a line feed with none at
//           the end; in lower-case hex.
//   rank    each ticket's HMAC-SHA-256 keyed with the graine's 32 bytes, of its number as
//           printed; the tickets in ascending order of it, as lower-case hex. The first ranks
//           win the prizes in order, the next are the substitutes.
//
// Qt's own SHA-256 and HMAC, and nothing that depends on the standard library's random numbers,
// so that Linux and Windows draw the same winners from the same inputs.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

namespace calvorigne::draw {

// Named in the minutes and in the data file, so that a later change of method is seen.
inline const QString algorithmName = QStringLiteral("Calvorigne HMAC-SHA-256, version 1");

QByteArray listText(const QStringList& labels);
QString listHash(const QStringList& labels);
QString graine(const QString& listHash, const QStringList& witnessDigits);

struct Ranked {
    QString label;
    QByteArray mark; // its HMAC, the 32 bytes
};
// Every ticket, the first winner first.
std::vector<Ranked> ranking(const QString& graine, const QStringList& labels);

// « 3f2a 9c41 … »: the hash in groups of four, to read aloud.
QString readAloud(const QString& hex);

} // namespace calvorigne::draw
