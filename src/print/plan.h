// The numbering of a print run, worked out once from the window's parameters, with no
// widgets: its documents (passes), their pages, and on each page the numbers with their
// positions. The print run prints it, and the preview draws it, so both show the same run.
#pragma once

#include "correction/correction.h"
#include "paperpath/paperpath.h"
#include "print/ticketmodel.h"

#include <QPainterPath>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <map>
#include <vector>

namespace calvorigne {

class Printer;
class TicketLayout;

// One text of a page: a number or one of its stubs. Its text, size and turn are the plan's
// (PrintPlan::text, sizeOf, rotationOf): the largest runs hold 300,000 of these.
struct PlacedNumber {
    double value;
    float left, top;           // mm from the top-left corner of the printable area, as the printer takes them
    std::uint32_t booklet = 0; // the booklet it belongs to, from 1 across the run
    // Held to the model's limits: stubs, columns, text length (prefix and digits).
    std::uint32_t copy : 2;    // 0 for the number, k for its stub k
    std::uint32_t column : 4;
    std::uint32_t length : 6;  // of its text, in characters
    std::uint32_t row : 20;
};
static_assert(TicketModel::maxStubs < 4 && TicketModel::maxColumns < 16 && TicketModel::maxPrefix + 20 < 64);

// A text of a page that is no ticket number: the marks of a test on plain paper.
struct PlacedText {
    QString text;
    float left, top; // as a number's
    float size;      // points
};

struct PlannedPage {
    // Each number followed by its stubs, column after column; empty for the spare pages of a
    // short last gathering.
    std::vector<PlacedNumber> numbers;
    std::vector<PlacedText> marks;    // printed after the numbers, upright
    std::vector<QPainterPath> shapes; // filled after them, in the same millimetres

    bool blank() const { return numbers.empty() && marks.empty() && shapes.empty(); }
};

struct PlannedDocument {
    // What the run says once the document is handed over.
    enum After { Nothing, Turn, End };
    std::vector<PlannedPage> pages;
    After after = Nothing;
    int pass = 0; // from 1 among the documents that print something; 0 for one that prints nothing

    // The pages that take a sheet: a document ends with its last printed page.
    int sheets() const;
    // What the run says after it: the turn prompt, "Fin du tirage.", or nothing.
    QString afterText() const;

    // Its numbers, their stubs aside: how many, the lowest and the highest.
    struct Span {
        int count = 0;
        double first = 0, last = 0;
    };
    Span numbers() const;
};

struct PrintPlan {
    QString refusal; // why the run is refused before anything is printed; empty when it is not
    // The refusal is of texts printed on top of each other: the pages are whole, to be shown.
    bool overlapping = false;
    double first = 0, last = 0, booklets = 0, folios = 0, rows = 0;
    double spacing = 0; // mm between two rows
    QString fontName;
    double size = 0;
    bool bold = false;
    std::uint32_t ink = 0;
    TicketModel model;
    double places = 0; // numbers a page: columns × rows
    // Also kept when the run is refused for numbers off the sheet, so they can be counted.
    std::vector<PlannedDocument> documents;

    // The documents that print something.
    int passes() const;
    // What a placed number prints: its text, its size in points, and its turn in degrees
    // clockwise about its top-left corner.
    QString text(const PlacedNumber& number) const { return model.text(number.value); }
    double sizeOf(const PlacedNumber& number) const;
    int rotationOf(const PlacedNumber& number) const;
    // Where it stands on the paper, its character cell turned with it.
    QRectF box(const PlacedNumber& number, QSizeF cell) const;
    // The last number as the window shows it, padded to a whole number: the last one printed.
    double lastPrinted() const;
};

// What the printer measures of placed texts, asked once for each length of text and size:
// digits share one width in most fonts. Ask is Printer::cellSize or Printer::inkBox.
template <typename T>
class TextMeasures {
public:
    using Ask = T (Printer::*)(const QString& text, const QString& fontName, double points, bool bold) const;
    TextMeasures(const PrintPlan& plan, const Printer& printer, Ask ask) : m_plan(plan), m_printer(printer), m_ask(ask) {}

    T operator()(const PlacedNumber& number)
    {
        const std::pair key(qsizetype(number.length), m_plan.sizeOf(number));
        auto found = m_known.find(key);
        if (found == m_known.end())
            found = m_known.emplace(key, (m_printer.*m_ask)(m_plan.text(number), m_plan.fontName, key.second, m_plan.bold)).first;
        return found->second;
    }

private:
    const PrintPlan& m_plan;
    const Printer& m_printer;
    Ask m_ask;
    std::map<std::pair<qsizetype, double>, T> m_known;
};

// A pitch for that many columns that fits the sheet, for a model that has none yet.
double proposedPitch(const PrintPlan& plan, const Printer& printer, int columns);
// Where the model's last stub, just added, is best put: beside its number (to the right, then
// below, then to the left), on the paper and clear of every other copy; where it is when no
// such place is.
StubPlace proposedStub(const TicketLayout& layout, const Printer& printer, const TicketModel& model);

// The run the layout's parameters make on that printer's paper, refused where a number would
// leave it, the printer's corrections counted.
PrintPlan planRun(const TicketLayout& layout, const Printer& printer, const PrinterCorrections& corrections = {});

// The plan in plain French, one line: numbers, booklets, passes, the sheets to load; or why
// the run is refused; with the face the printer prints, how to load the sheets.
QString planSummary(const PrintPlan& plan, std::optional<Face> loadFace = std::nullopt);

// What would waste sheets, one sentence each with its count: numbers off the paper or in the
// printer's unprintable margins, and a very long run.
QStringList planWarnings(const PrintPlan& plan, const Printer& printer);

} // namespace calvorigne
