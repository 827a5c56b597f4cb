// What French law asks of a raffle of objects run by an association, as the papers for the
// mayor say it: the causes it may serve, the thresholds on the tickets' value, and the warnings
// each with its rule. The rules and their sources are in the README; a change in the law is a
// change here.
#pragma once

#include "draw/drawbook.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <vector>

namespace calvorigne {

namespace law {
// Above this value of tickets issued (count × price), the last balance sheet goes with the
// request; above the second, the mayor decides after the tax office's opinion.
constexpr qint64 balanceSheetAboveCents = 750000;
constexpr qint64 taxOfficeAboveCents = 3000000;
// The causes the law lets a raffle of objects serve, as the form's list offers them.
const QStringList& causes();
} // namespace law

// Something the association should know before it files: the words, and the rule they rest on.
struct Warning {
    QString text, rule;
};

// What a raffle's papers are made of.
struct RaffleFacts {
    Raffle raffle;
    qint64 tickets = 0; // issued
    std::vector<Prize> prizes;
    QDate today;
    qint64 capitalCents() const { return tickets * raffle.priceCents; }
    qint64 prizesCents() const;
};

// The warnings for the mayor's file, in the order they matter.
std::vector<Warning> mayorWarnings(const RaffleFacts& facts);

// « 12 janvier 2027 ».
QString frenchDay(const QDate& day);

} // namespace calvorigne
