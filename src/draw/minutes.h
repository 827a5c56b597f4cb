// « Procès-verbal du tirage »: the minutes of a draw, ready to sign, as an A4 PDF with its
// pages numbered « page 1 / 2 », and the data file beside it that holds what the check needs.
#pragma once

#include "draw/drawbook.h"

#include <QString>

namespace calvorigne {

struct DrawCounts {
    qint64 printed = 0, handedOut = 0, sold = 0, unsold = 0, spoiled = 0, lost = 0;
};

QString minutesHtml(const Raffle& raffle, const DrawCounts& counts, const DrawState& draw, const std::vector<Prize>& prizes);

// Writes the minutes, then the data file under the same name ending in .json; whole or not at
// all. Why it failed, in the program's words; empty when written.
QString writeMinutes(const QString& html, const QJsonObject& data, const QString& pdfPath);

} // namespace calvorigne
