// A raffle's prizes and its draw, kept in the register: the sold tickets' list frozen with its
// hash, then each result committed as it is drawn, so that a draw cut short goes on where it
// stopped. Two ways: tickets drawn from a box and typed (« urne »), or the program's draw that
// anyone can check (see algorithm.h).
#pragma once

#include "raffle/register.h"

#include <QJsonObject>
#include <optional>

namespace calvorigne {

struct Prize {
    qint64 id = 0;
    int rank = 0; // 1 for the first prize
    QString description, donor;
    qint64 valueCents = 0;
};

struct DrawResult {
    QDateTime at;
    int prizeRank = 0; // 0 for a ticket set aside before any prize was given
    QString label;
    QString outcome; // gagnant, écarté, absent
    QString reason;
};

struct DrawState {
    qint64 id = 0;
    QDateTime frozenAt;
    QStringList list; // the sold tickets as frozen
    QString listHash;
    QString method;   // urne, programme; empty until the draw begins
    bool lastFirst = false;
    QStringList witnesses;
    QString graine;
    std::vector<DrawResult> results;
};

class DrawBook {
public:
    DrawBook(RaffleRegister& reg, qint64 raffle);

    std::vector<Prize> prizes() const;
    Result savePrize(Prize& prize);
    Result removePrize(qint64 prize);
    // Prizes from a spreadsheet's CSV, added after those there are, all or none: one a line,
    // description, donor, value, separated by « ; », « , » or tabs; a first line of headings is
    // skipped. Cash warnings go in the result's note.
    Result importPrizes(const QByteArray& csv);
    // Why a description reads as money, which the law allows no raffle to give; empty when not.
    static QString cashWarning(const QString& description);

    // « Préparer le tirage »: refused, naming them, while tickets are with sellers.
    Result prepare();
    // Those tickets settled: sold for each seller whose money covers them, unsold otherwise; or
    // all unsold.
    Result settleStillOut(bool soldWherePaid);
    // The draw prepared and not cancelled.
    std::optional<DrawState> current() const;
    // « Annuler le tirage »: the list is free again; what was drawn stays on record.
    Result cancel(const QString& reason);

    Result begin(const QString& method, bool lastFirst, const QStringList& witnessDigits = {});
    // The prize to draw next; nothing once every prize is won.
    std::optional<Prize> nextPrize() const;
    // The next rank wins the next prize.
    Result drawByProgram();
    // A ticket drawn from the box, typed or scanned: it wins the next prize, or is set aside
    // with its reason, said in the result's note.
    Result drawFromUrn(const QString& typed);
    // The last winner does not claim the prize: it is drawn again.
    Result absent(const QString& reason);

    // Everything the check needs, as the data file beside the minutes holds it.
    QJsonObject data() const;

private:
    QString frozenRefusal() const;
    Result record(const DrawState& draw, const Prize* prize, const QString& label, const QString& outcome, const QString& reason,
                  const QString& words);

    RaffleRegister& m_reg;
    qint64 m_raffle;
};

// Recomputes a program's draw from its data file: empty when every winner matches, else where
// it does not.
QString verifyDraw(const QJsonObject& data);

} // namespace calvorigne
