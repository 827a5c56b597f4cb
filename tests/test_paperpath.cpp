// The paper path proved on a physical stack: sheets with two faces and two ends, printers
// that move them by each of the four motions, print either face of the tray and feed either
// its top or its bottom sheet first. The stack test is answered from what the simulated sheets
// show; the runs then follow the program's own words and order, and every sheet must carry
// the same page of both passes, on one face, end for end.
#include "app/settings.h"
#include "fakes.h"
#include "paperpath/store.h"
#include "print/printrun.h"
#include "print/stacktest.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>

using namespace calvorigne;
using namespace calvorigne::testing;

namespace {

// A sheet's faces are 0 (the face the tickets are printed on) and 1; its ends 0 (the tickets'
// top) and 1.
struct Print {
    int pass, page, face, topEnd;
};
struct Sheet {
    int up = 0, lead = 0; // the face up, the end towards the printer
    bool cross = false;   // pencilled on face 0
    std::vector<Print> prints;
};

struct Machine {
    int path;     // 0 none, 1 half turn, 2 flip over a side edge, 3 flip over the leading edge
    bool printsUp;
    bool feedsTop;

    QString name() const
    {
        return QStringLiteral("path %1, prints %2, feeds %3").arg(path).arg(printsUp ? "up" : "down", feedsTop ? "top" : "bottom");
    }
    // Feeds one sheet a page, in the order given; the bin stacks the first at the bottom.
    std::vector<Sheet> feed(std::vector<Sheet>& tray, int pass, const std::vector<int>& pages) const
    {
        std::vector<Sheet> bin;
        for (const int page : pages) {
            if (tray.empty())
                return {}; // a page with no sheet left
            Sheet sheet = feedsTop ? tray.back() : tray.front();
            feedsTop ? tray.pop_back() : void(tray.erase(tray.begin()));
            sheet.prints.push_back({pass, page, printsUp ? sheet.up : 1 - sheet.up, sheet.lead});
            if (path & 1)
                sheet.lead = 1 - sheet.lead;
            if (path & 2)
                sheet.up = 1 - sheet.up;
            bin.push_back(sheet);
        }
        return bin;
    }
};

// What the user does to the stack, read from the words, not from the program's values.
void follow(const QString& words, std::vector<Sheet>& stack)
{
    if (const auto aside = QRegularExpression(QStringLiteral("Mettez de côté les (\\d+) dernières")).match(words); aside.hasMatch())
        stack.resize(stack.size() - aside.captured(1).toUInt());
    else if (words.contains(QStringLiteral("Mettez de côté la dernière feuille")))
        stack.pop_back();
    int motion = -1;
    if (words.contains(QStringLiteral("sans la tourner ni la retourner")))
        motion = 0;
    else if (words.contains(QStringLiteral("demi-tour à plat")))
        motion = 1;
    else if (words.contains(QStringLiteral("comme la page d'un livre")))
        motion = 2;
    else if (words.contains(QStringLiteral("comme la page d'un bloc-notes")))
        motion = 3;
    QVERIFY2(motion >= 0, qPrintable(words));
    for (Sheet& sheet : stack) {
        if (motion & 1)
            sheet.lead = 1 - sheet.lead;
        if (motion & 2)
            sheet.up = 1 - sheet.up;
    }
    if (motion & 2) // a flipped stack is upside down
        std::reverse(stack.begin(), stack.end());
}

// Each recorded page by its place in its pass, found from its first text in the plan.
std::vector<int> pagesOf(const Document& document, const PrintPlan& plan, int pass)
{
    std::vector<int> found;
    const PlannedDocument& planned = *std::find_if(plan.documents.begin(), plan.documents.end(),
                                                   [&](const PlannedDocument& d) { return d.pass == pass; });
    for (const Page& page : document) {
        int k = 0;
        while (k < int(planned.pages.size())
               && (planned.pages[k].numbers.empty() || plan.text(planned.pages[k].numbers.front()) != page.front().text))
            ++k;
        found.push_back(k + 1);
    }
    return found;
}

// The stack test's pages by the sheet number printed on each.
std::vector<int> testPages(const Document& document)
{
    std::vector<int> pages;
    for (const Page& page : document)
        pages.push_back(page.front().text.toInt());
    return pages;
}

std::vector<Sheet> tray(int count, int upFace)
{
    return std::vector<Sheet>(std::size_t(count), Sheet{upFace, 0, false, {}});
}

} // namespace

class TestPaperPath : public QObject {
    Q_OBJECT

    QTemporaryDir m_folder;
    QString settings() const { return m_folder.filePath("Calvorigne.ini"); }

    std::vector<Machine> machines() const
    {
        std::vector<Machine> all;
        for (int path = 0; path < 4; ++path)
            for (const bool up : {true, false})
                for (const bool top : {true, false})
                    all.push_back({path, up, top});
        return all;
    }

    // The stack test on a simulated printer, its questions answered from the sheets.
    void stackTest(const Machine& m, std::optional<int> guess = std::nullopt)
    {
        RecordingPrinter printer;
        ScriptedDialogs dialogs;
        FakeLayout l = exampleLayout(12, 1);
        PrintRun run(l, printer, dialogs);
        std::vector<Sheet> stack = tray(3, 0);
        stack.back().cross = true; // on the upper face of the top sheet
        std::vector<Sheet> out;
        dialogs.choices = {0};
        dialogs.whileMessageShown = [&] {
            if (printer.documents.size() == 1 && out.empty()) { // the turn prompt
                out = m.feed(stack, 1, testPages(printer.documents[0]));
                follow(dialogs.messages.back(), out);
            }
        };
        const auto sheetWithPass1Page1 = [&]() -> const Sheet& {
            return *std::find_if(out.begin(), out.end(), [](const Sheet& s) { return s.prints.front().page == 1; });
        };
        if (guess)
            dialogs.pictures.push_back([guess] { return guess; });
        dialogs.pictures.push_back([&]() -> std::optional<int> {
            out = m.feed(out, 2, testPages(printer.documents.at(1)));
            const Sheet& s = sheetWithPass1Page1();
            const bool sameFace = s.prints[1].face == s.prints[0].face, otherEnd = s.prints[1].topEnd != s.prints[0].topEnd;
            return sameFace ? (otherEnd ? 0 : 1) : (otherEnd ? 2 : 3);
        });
        dialogs.pictures.push_back([&]() -> std::optional<int> { return sheetWithPass1Page1().prints[1].page == 1 ? 0 : 1; });
        dialogs.pictures.push_back([&]() -> std::optional<int> {
            const Sheet& crossed = *std::find_if(out.begin(), out.end(), [](const Sheet& s) { return s.cross; });
            return crossed.prints.front().face == 0 ? 0 : 1;
        });
        const std::optional<PaperPath> before = storedPath(settings(), printer.name());
        const PaperPath supposed = before ? *before : guessedPath(guess == 0);
        runStackTest(run, printer, dialogs, settings());
        // Whether what was supposed was right is said.
        const std::optional<PaperPath> learned = storedPath(settings(), printer.name());
        QVERIFY(learned);
        const QString said = dialogs.questions.isEmpty() ? dialogs.messages.last() : dialogs.questions.last();
        QVERIFY2(said.startsWith("Ce n'est pas le retournement supposé (" + pathWords(supposed) + ").\nRetenu pour")
                     == (*learned != supposed),
                 qPrintable(said));
    }

    // A run, or a reprint, through the program with the path it learned, on the simulated printer.
    void checkRun(const Machine& m, FakeLayout l, const std::vector<SheetSelection>& reprint = {})
    {
        RecordingPrinter printer;
        ScriptedDialogs dialogs;
        PrintRun run(l, printer, dialogs);
        const std::optional<PaperPath> path = storedPath(settings(), printer.name());
        QVERIFY(path);
        run.setPaperPath(path);
        const PrintPlan plan = planRun(l, printer);
        // Loaded as the loading box says before a run (the preview, before a reprint): the
        // ticket face up or down, the tickets' top first.
        dialogs.choices.push_back(0);
        const bool ownRun = reprint.empty();
        int up = loadWords(1, path->face).contains(QStringLiteral("vers le haut")) ? 0 : 1;
        std::vector<Sheet> out;
        dialogs.whileMessageShown = [&] {
            if (ownRun && printer.documents.empty() && dialogs.messages.size() == 1)
                up = dialogs.messages.back().contains(QStringLiteral("vers le haut")) ? 0 : 1;
            if (printer.documents.size() == 1 && out.empty()) {
                std::vector<Sheet> stack = tray(int(printer.documents[0].size()), up);
                out = m.feed(stack, 1, pagesOf(printer.documents[0], plan, 1));
                follow(dialogs.messages.back(), out);
            }
        };
        reprint.empty() ? run.run() : run.reprint(reprint);
        QCOMPARE(printer.documents.size(), std::size_t(2));
        const std::vector<int> second = pagesOf(printer.documents[1], plan, 2);
        out = m.feed(out, 2, second);
        QCOMPARE(out.size(), second.size());
        for (const Sheet& sheet : out) {
            QCOMPARE(sheet.prints.size(), std::size_t(2));
            const Print &p1 = sheet.prints[0], &p2 = sheet.prints[1];
            QCOMPARE(p1.face, 0);
            QCOMPARE(p1.topEnd, 0);
            QCOMPARE(p2.page, p1.page);
            QCOMPARE(p2.face, p1.face);
            QCOMPARE(p2.topEnd, 1);
        }
    }

private slots:
    void everyPrinterLearnsItsPathAndEveryRunPairsItsPages()
    {
        const std::vector<FakeLayout> runs = {
            // Linear, 1, 2, 3 and 7 sheets a pass; foliated; a short last gathering, and a pass 2
            // shorter than pass 1; two columns with a stub.
            exampleLayout(6, 1), exampleLayout(12, 1), exampleLayout(18, 1), exampleLayout(42, 1),
            exampleLayout(6, 2), exampleLayout(6, 3),  exampleLayout(12, 2), exampleLayout(6, 7),
            exampleLayout(4, 3), exampleLayout(9, 2),  exampleLayout(12, 1, "20", twoColumns()),
        };
        for (const Machine& m : machines()) {
            // From every path the program could hold before the test.
            for (int held = 0; held < 16; ++held) {
                const PaperPath start{Motion(held % 4), bool(held & 4), held & 8 ? Face::Up : Face::Down};
                QVERIFY(storePath(settings(), "Test", start));
                stackTest(m);
                if (QTest::currentTestFailed())
                    QFAIL(qPrintable(m.name()));
                checkRun(m, runs[held % runs.size()]);
                if (QTest::currentTestFailed())
                    QFAIL(qPrintable(QStringLiteral("%1, held %2").arg(m.name()).arg(held)));
            }
            // From the guess, either way the sheets come out, then every kind of run.
            for (const int guess : {0, 1}) {
                QVERIFY(storePath(settings(), "Test", std::nullopt));
                stackTest(m, guess);
            }
            for (const FakeLayout& l : runs) {
                checkRun(m, l);
                if (QTest::currentTestFailed())
                    QFAIL(qPrintable(m.name()));
            }
            checkRun(m, exampleLayout(42, 1), {{1, {1, 4}}, {2, {1, 4}}});
            if (QTest::currentTestFailed())
                QFAIL(qPrintable(m.name() + " reprint"));
        }
    }

    void eachPrinterKeepsItsOwnPathAndNonsenseIsNothing()
    {
        const QString odd = QStringLiteral("Bureau [2e] ; étage=3 %20 \u4e2d ");
        const PaperPath learned{Motion::PadFlip, true, Face::Up};
        QVERIFY(storePath(settings(), odd, learned));
        QVERIFY(storePath(settings(), "HP LaserJet", PaperPath{Motion::None, false, Face::Down}));
        // Kept by the quit's save of the window's settings, and read back for that name only.
        SavedSettings saved;
        saved.fontName = "Arial";
        QVERIFY(writeSettings(settings(), saved));
        QCOMPARE(storedPath(settings(), odd), std::optional(learned));
        QCOMPARE(storedPath(settings(), "hp laserjet")->movement, Motion::None); // as Windows reads names
        for (const QString& other : {QStringLiteral("Bureau [2e] ; étage=3 %20 \u4e2d"), QStringLiteral("HP LaserJet (copie)"),
                                     QString()})
            QVERIFY(!storedPath(settings(), other));
        QCOMPARE(readSettings(settings()).fontName, QString("Arial"));
        // Edited by hand into nonsense: nothing learned.
        QFile file(settings());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QByteArray text = file.readAll();
        file.close();
        QVERIFY(text.contains("Retournement=bloc-notes"));
        text.replace("Retournement=bloc-notes", "Retournement=deux tours");
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(text);
        file.close();
        QVERIFY(!storedPath(settings(), odd));
        QVERIFY(storedPath(settings(), "HP LaserJet"));
        QVERIFY(storePath(settings(), "HP LaserJet", std::nullopt));
        QVERIFY(!storedPath(settings(), "HP LaserJet"));
    }

    void aStackTestCutShortStoresNothingAndSaysWhy()
    {
        QVERIFY(storePath(settings(), "Test", std::nullopt));
        const auto attempt = [&](auto prepare) -> QString {
            RecordingPrinter printer;
            ScriptedDialogs dialogs;
            FakeLayout l = exampleLayout(12, 1);
            PrintRun run(l, printer, dialogs);
            dialogs.pictures = {[] { return std::optional(1); }, [] { return std::optional(0); },
                                [] { return std::optional(0); }, [] { return std::optional(0); }};
            dialogs.choices = {0};
            prepare(printer, dialogs);
            runStackTest(run, printer, dialogs, settings());
            return storedPath(settings(), "Test") ? QStringLiteral("stored") : dialogs.messages.last();
        };
        // Cancelled before printing: nothing printed, nothing said.
        QVERIFY(attempt([](RecordingPrinter&, ScriptedDialogs& d) { d.choices = {1}; }).startsWith("Essai de retournement"));
        // The printer fails in pass 2, or disappears at its end.
        QVERIFY(attempt([](RecordingPrinter& p, ScriptedDialogs&) { p.failAtText = 12; })
                    .contains("n'est pas allé à son terme : rien n'a été retenu pour l'imprimante « Test »"));
        QVERIFY(attempt([](RecordingPrinter& p, ScriptedDialogs&) { p.refuseDocument = 2; })
                    .contains("n'est pas allé à son terme"));
        // « Je ne sais pas » to the last question.
        QVERIFY(attempt([](RecordingPrinter&, ScriptedDialogs& d) { d.pictures.pop_back(); }).startsWith("Rien n'a été retenu"));
        // To a file, there is no paper to learn from.
        QVERIFY(attempt([](RecordingPrinter& p, ScriptedDialogs&) { p.toFiles = true; }).contains("choisissez d'abord une imprimante"));
    }

    void theJournalNamesThePathARunUsed()
    {
        RecordingPrinter printer;
        ScriptedDialogs dialogs;
        FakeLayout l = exampleLayout(12, 1);
        const Journal journal(settings());
        PrintRun run(l, printer, dialogs, &journal);
        const PaperPath path{Motion::BookFlip, false, Face::Down};
        run.setPaperPath(path);
        // The loading box first: « Annuler », its safe answer, prints nothing.
        run.run();
        QCOMPARE(dialogs.messages, QStringList("Chargez 2 feuilles, face à imprimer vers le bas, le haut des billets vers l'imprimante."));
        QCOMPARE(dialogs.buttonsShown, QStringList({"Imprimer", "Annuler"}));
        QVERIFY(printer.documents.empty() && !QFile::exists(journal.path()) && !dialogs.busy);
        dialogs.messages.clear();
        dialogs.choices.push_back(0);
        run.run();
        QFile file(journal.path());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString lines = QString::fromUtf8(file.readAll());
        QVERIFY2(lines.contains(";Test (" + pathWords(path) + ");"), qPrintable(lines));
        // The designed line, then what it means for this printer, with pictures.
        QCOMPARE(dialogs.messages.value(1), "Changez le papier de sens pour imprimer la suite.\nPour l'imprimante « Test » : "
                                                + movementWords(path.movement));
        QVERIFY(movementWords(path.movement).startsWith("reprenez la pile"));
        QCOMPARE(dialogs.illustrations, 3);
    }

private:
    static TicketModel twoColumns()
    {
        TicketModel model;
        model.columns = 2;
        model.pitch = 90;
        model.stubs = {{-15, 0, std::nullopt, 90}};
        return model;
    }
};

QTEST_GUILESS_MAIN(TestPaperPath)
#include "test_paperpath.moc"
