// Lists of whole numbers as people type them: « 3-5, 9 », « 0111-0200 », blanks anywhere; or
// as a handheld scanner types them on a French keyboard.
// The caller words what is wrong in its own terms (sheets, tickets, booklets).
#pragma once

#include <QString>
#include <utility>
#include <vector>

namespace calvorigne {

struct TypedRanges {
    std::vector<std::pair<qint64, qint64>> ranges; // first and last of each part, in the order typed
    enum class Fault { None, NotANumber, Backwards };
    Fault fault = Fault::None;
    QString part;            // the first part at fault, as typed, trimmed
    qint64 from = 0, to = 0; // its ends, for a part typed backwards
};

TypedRanges readRanges(const QString& typed);

} // namespace calvorigne
