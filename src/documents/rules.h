// « Règlement de la tombola »: the rules the association adopts and shows its buyers, filled in
// from the raffle, written both as OpenDocument (which LibreOffice and Word open, for the
// association to edit) and as PDF.
#pragma once

#include "documents/law.h"

namespace calvorigne {

struct RulesChoices {
    QString method = QStringLiteral("urne"); // urne, programme
    int claimDays = 30;                        // to claim a prize, from the draw
    QString toldBy;                            // how winners are told
    QString unclaimed;                         // what becomes of a prize not claimed
    QString firstLabel, lastLabel;             // the tickets' numbers, when the raffle has them
};

// Why the rules cannot be written: the organiser or the cause is missing. Empty when they can.
QString rulesRefusal(const RaffleFacts& facts);
QString rulesHtml(const RaffleFacts& facts, const RulesChoices& choices);

// Writes the rules as OpenDocument at odtPath and as PDF beside it: both or neither. Why not;
// empty when written.
QString writeRules(const QString& html, const QString& odtPath);
// The PDF that goes with the OpenDocument.
QString rulesPdfPath(const QString& odtPath);

} // namespace calvorigne
