// A printer that records what it is asked to print, and dialogs that answer from a script.
// Both write into one journal, so a test can check the order of documents and messages.
#pragma once

#include "platform/dialogs.h"
#include "platform/printer.h"
#include "print/ticketlayout.h"

#include <QMap>
#include <QStringList>
#include <deque>
#include <functional>
#include <vector>

namespace calvorigne::testing {

struct Printed {
    QString text;
    float left, top;
    double size = 0;
    int rotation = 0;
    QTransform correction; // where the printer was told to draw what is asked
};
using Page = std::vector<Printed>;
using Document = std::vector<Page>;

class RecordingPrinter : public Printer {
public:
    explicit RecordingPrinter(QStringList* journal = nullptr) : m_journal(journal) {}

    QStringList fonts{"Zapf", "arial", "Courier", "Bitstream"};
    std::vector<Document> documents; // ended documents
    QStringList setups;              // every printer setting, in order
    int failAtText = -1;             // throw on this print (counted from 0)
    int refuseDocument = -1;         // throw at the end of this document (counted from 1)
    int printedCount = 0;
    bool aborted = false;
    QStringList files;               // handed out by takeWrittenFiles
    bool toFiles = false;            // each ended document is a file of its own
    bool reversed = false;           // the user asked for the last page first
    int copyCount = 1;
    mutable std::deque<JobState> jobStates; // what the print system says, one per question; Done after

    QStringList fontNames() const override { return fonts; }
    QRectF sheet() const override { return QRectF(0, 0, 210, 297); } // A4, no margins
    QRectF printable() const override { return sheet(); }
    // A cell one point size high, its digits 0.55 of that wide.
    QSizeF cellSize(const QString& text, const QString&, double points, bool) const override
    {
        const double height = points * 25.4 / 72;
        return QSizeF(text.size() * 0.55 * height, height);
    }
    // Digits' ink as a sans-serif font puts it: 0.62 of the cell high, below its top 0.2.
    QRectF inkBox(const QString& text, const QString& font, double points, bool bold) const override
    {
        const QSizeF cell = cellSize(text, font, points, bold);
        return QRectF(0.04 * cell.height(), 0.2 * cell.height(), cell.width() - 0.08 * cell.height(), 0.62 * cell.height());
    }
    void setOrientation(Orientation o) override { setups << QStringLiteral("orientation %1").arg(o); }
    void setUnit(Unit u) override { setups << QStringLiteral("unit %1").arg(u); }
    void setFontName(const QString& n) override { setups << "font " + n; }
    void setFontSize(double s) override
    {
        setups << QStringLiteral("size %1").arg(s);
        m_size = s;
    }
    void setColourMode(ColourMode m) override { setups << QStringLiteral("colour mode %1").arg(m); }
    void setBold(bool b) override { setups << QStringLiteral("bold %1").arg(b); }
    void setInkColour(std::uint32_t c) override { setups << QStringLiteral("ink %1").arg(c); }
    void setPosition(float left, float top) override { m_left = left, m_top = top; }
    void setRotation(int degrees) override { m_rotation = degrees; }
    void setCorrection(const QTransform& asking) override { m_correction = asking; }
    void printText(const QString& text) override
    {
        if (printedCount++ == failAtText)
            throw PrinterError(QStringLiteral("le papier est coincé."));
        if (!m_open) {
            m_open = true;
            m_current = Document{Page{}};
        }
        for (; m_pending > 0; --m_pending)
            m_current.emplace_back();
        m_current.back().push_back({text, m_left, m_top, m_size, m_rotation, m_correction});
    }
    // A shape is recorded as "shape" at the centre of its bounds.
    void drawShape(const QPainterPath& millimetres) override
    {
        const QPointF centre = millimetres.boundingRect().center();
        const QPointF was(m_left, m_top);
        setPosition(float(centre.x()), float(centre.y()));
        printText(QStringLiteral("shape"));
        setPosition(float(was.x()), float(was.y()));
    }
    void newPage() override { ++m_pending; }
    void endDocument() override
    {
        m_pending = 0;
        if (!m_open)
            return;
        m_open = false;
        if (int(documents.size()) + 1 == refuseDocument)
            throw PrinterError(QStringLiteral("l'imprimante « Test » n'a pas accepté le document."));
        documents.push_back(m_current);
        if (toFiles)
            files << QStringLiteral("Calvorigne-%1.pdf").arg(documents.size());
        if (m_journal)
            *m_journal << QStringLiteral("document %1").arg(documents.size());
    }
    JobState lastJob() const override
    {
        if (jobStates.empty())
            return {};
        const JobState state = jobStates.front();
        jobStates.pop_front();
        return state;
    }
    QString name() const override { return QStringLiteral("Test"); }
    bool lastPageFirst() const override { return reversed; }
    int copies() const override { return copyCount; }
    bool handedOverOnAbort = false; // the print system got part of an aborted document
    bool abortDocument() override
    {
        aborted = true;
        m_open = false;
        return handedOverOnAbort;
    }
    QStringList takeWrittenFiles() override { return std::exchange(files, {}); }
    bool writesFiles() const override { return toFiles; }

    // Every printed text, across documents and pages, in printing order.
    QStringList texts() const
    {
        QStringList all;
        for (const Document& d : documents)
            for (const Page& p : d)
                for (const Printed& t : p)
                    all << t.text;
        return all;
    }

private:
    QStringList* m_journal;
    bool m_open = false;
    int m_pending = 0;
    Document m_current;
    float m_left = 0, m_top = 0;
    double m_size = 0;
    int m_rotation = 0;
    QTransform m_correction;
};

class ScriptedDialogs : public Dialogs {
public:
    explicit ScriptedDialogs(QStringList* journal = nullptr) : m_journal(journal) {}

    std::deque<bool> answers;                  // to questions
    std::deque<int> choices;                   // to messages with buttons of their own
    std::deque<std::optional<QString>> inputs; // to text prompts
    std::deque<std::optional<QString>> files;  // to file choices
    QStringList fileTitles;
    // To questions answered by a picture: the index, or nothing for « Je ne sais pas »; a
    // function answers from what was printed.
    std::deque<std::function<std::optional<int>()>> pictures;
    QStringList pictureQuestions;
    QStringList messages, questions, prompts, waits;
    std::function<void()> whileMessageShown;
    std::function<bool(const QString&)> whileWaiting; // false stops the waiting
    int stopAtPage = -1;                              // the run is stopped at this page of a pass
    int printerDialogs = 0;
    bool busy = false;
    int busyChanges = 0;

    void message(const QString& text) override
    {
        messages << text;
        if (m_journal)
            *m_journal << text;
        if (whileMessageShown)
            whileMessageShown();
    }
    bool question(const QString& text) override
    {
        questions << text;
        return next(answers, false);
    }
    QStringList buttonsShown; // of the last message with buttons of its own
    int choice(const QString& text, const QStringList& buttons, int safe, int) override
    {
        buttonsShown = buttons;
        message(text);
        return next(choices, safe);
    }
    int illustrations = 0; // messages shown with a picture
    int illustrated(const QString& text, const QImage& picture, const QStringList& buttons, int safe) override
    {
        illustrations += !picture.isNull();
        if (buttons.isEmpty()) {
            message(text);
            return 0;
        }
        return choice(text, buttons, safe, 0);
    }
    std::optional<int> pictureChoice(const QString& question, const std::vector<Picture>& answers) override
    {
        pictureQuestions << question;
        for (const Picture& answer : answers)
            if (answer.image.isNull() || answer.caption.isEmpty())
                return std::nullopt;
        const auto answer = next(pictures, std::function<std::optional<int>()>());
        return answer ? answer() : std::nullopt;
    }
    std::optional<QString> fileToSave(const QString& title, const QString&, const QString&) override
    {
        fileTitles << title;
        return next(files, std::optional<QString>());
    }
    std::optional<QString> fileToOpen(const QString& title, const QString&) override
    {
        fileTitles << title;
        return next(files, std::optional<QString>());
    }
    std::optional<QString> textInput(const QString& prompt) override
    {
        prompts << prompt;
        return next(inputs, std::optional<QString>());
    }
    bool wait(const QString& text) override
    {
        waits << text;
        if (m_journal)
            *m_journal << text;
        return !whileWaiting || whileWaiting(text);
    }
    void endWait() override
    {
        if (m_journal)
            *m_journal << QStringLiteral("end of wait");
    }
    bool progress(const QString&, int done, int) override { return done != stopAtPage; }
    void endProgress() override {}
    void printerDialog() override { ++printerDialogs; }
    void setBusy(bool b) override
    {
        busyChanges += b != busy;
        busy = b;
    }

private:
    template <typename T>
    static T next(std::deque<T>& queue, T fallback)
    {
        if (queue.empty())
            return fallback;
        T value = queue.front();
        queue.pop_front();
        return value;
    }
    QStringList* m_journal;
};

// The window's parameters without the window.
class FakeLayout : public TicketLayout {
public:
    QMap<Field, QString> captions;
    TicketModel model;
    QString caption(Field field) const override { return captions.value(field, QStringLiteral("0")); }
    void setCaption(Field field, const QString& text) override { captions[field] = text; }
    QString fontName() const override { return QStringLiteral("Arial"); }
    bool bold() const override { return false; }
    std::uint32_t inkColour() const override { return 0; }
    TicketModel ticketModel() const override { return model; }
};

// The page of worked example 1 (three rows 90 mm apart), for that many booklets of that many
// folios, the numbers x mm from the left.
inline FakeLayout exampleLayout(int booklets, int folios, const QString& x = QStringLiteral("20"), const TicketModel& model = {})
{
    FakeLayout l;
    using F = TicketLayout::Field;
    l.captions = {{F::First, "1"}, {F::Booklets, QString::number(booklets)}, {F::Folios, QString::number(folios)},
                  {F::X, x},       {F::Y, "30"},  {F::E, "90"},  {F::Top, "5"}, {F::Bottom, "22"}, {F::Size, "12"}};
    l.model = model;
    return l;
}

} // namespace calvorigne::testing
