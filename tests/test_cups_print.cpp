// Prints worked example 1 through a real print scheduler and reads the PDFs that come out.
// Run by cups_print.sh, which starts a private scheduler with a cups-pdf queue as default.
// CALVORIGNE_CUPS_STEP=print or check does one half only: the Windows build prints under
// Wine, and the Linux build reads back the PDFs written since CALVORIGNE_SINCE (epoch, ms).
#include "correction/scan.h"
#include "correction/store.h"
#include "paperpath/store.h"
#include "platform/qtprinter.h"
#include "scans.h"
#include "window_fixture.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFontMetricsF>
#include <QImageReader>
#include <QPrintEngine>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#ifndef _WIN32
#include <cups/cups.h>
#else
#include <QtPrintSupport/private/qprintengine_win_p.h>
#include <windows.h>
#include <winspool.h>
#endif

using namespace calvorigne;

namespace {

constexpr double pointsToMm = 25.4 / 72;

struct Word {
    QString text;
    double left, top; // mm from the paper's top-left corner, for an upright word
    QRectF box;       // the box poppler gives, in mm
    double descent;   // mm of the box past the baseline
};

// The test queue's page, from its PPD (CALVORIGNE_TEST_PPD), in mm: the printable area's
// top-left corner, the paper's height, and the step between two dots of its resolution.
struct TestQueue {
    QPointF corner;
    double height = 0, dot = 0;

    // Where Wine's PostScript driver puts a point asked in mm from the paper's top-left
    // corner: on the nearest whole dot, on a page of the whole dots of the paper's height that
    // it lays from the paper's bottom, so a fraction of a dot below the paper's top.
    QPointF onDots(QPointF mm) const
    {
        const double top = height - std::floor(height / dot) * dot;
        return QPointF(std::round(mm.x() / dot) * dot, top + std::round(mm.y() / dot) * dot);
    }
};

TestQueue testQueue()
{
    QFile file(qEnvironmentVariable("CALVORIGNE_TEST_PPD"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QString text = QString::fromLatin1(file.readAll());
    const auto area = QRegularExpression(R"re(\*ImageableArea A4/[^:]*: "([\d.]+) ([\d.]+) ([\d.]+) ([\d.]+)")re").match(text);
    const auto paper = QRegularExpression(R"re(\*PaperDimension A4/[^:]*: "([\d.]+) ([\d.]+)")re").match(text);
    const auto dpi = QRegularExpression(R"(\*DefaultResolution: (\d+)dpi)").match(text);
    const double height = paper.captured(2).toDouble() * pointsToMm;
    return {QPointF(area.captured(1).toDouble() * pointsToMm, height - area.captured(4).toDouble() * pointsToMm), height,
            25.4 / dpi.captured(1).toDouble()};
}

bool queueEmpty()
{
    QProcess lpstat;
    lpstat.start("lpstat", {"-o"});
    lpstat.waitForFinished();
    return lpstat.readAllStandardOutput().trimmed().isEmpty();
}

// Words of each page. Poppler's box spans the font's ascent and descent as the PDF's font
// descriptor gives them, which for a subset of digits is their outline's: the baseline is then
// that share of the box's thickness in from its descent side. The top of the character cell is
// one ascent of the font above the baseline.
QList<QList<Word>> wordsOf(const QString& pdf, double ascent)
{
    QFile file(pdf);
    file.open(QIODevice::ReadOnly);
    const QString raw = QString::fromLatin1(file.readAll());
    const auto a = QRegularExpression(R"(/Ascent (-?\d+))").match(raw), d = QRegularExpression(R"(/Descent (-?\d+))").match(raw);
    const double descentShare = a.hasMatch() && d.hasMatch()
                                    ? -d.captured(1).toDouble() / (a.captured(1).toDouble() - d.captured(1).toDouble())
                                    : 0;
    QProcess pdftotext;
    pdftotext.start("pdftotext", {"-bbox", pdf, "-"});
    pdftotext.waitForFinished();
    const QString html = QString::fromUtf8(pdftotext.readAllStandardOutput());
    QList<QList<Word>> pages;
    static const QRegularExpression pattern(
        R"re(<page |<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re");
    for (auto it = pattern.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        if (m.captured(0).startsWith("<page")) {
            pages.append(QList<Word>());
            continue;
        }
        const QRectF box(QPointF(m.captured(1).toDouble(), m.captured(2).toDouble()),
                         QPointF(m.captured(3).toDouble(), m.captured(4).toDouble()));
        const double descent = descentShare * std::min(box.width(), box.height()); // words of several digits
        const double baseline = box.bottom() - descent;
        pages.last().append({m.captured(5), box.left() * pointsToMm, (baseline - ascent) * pointsToMm,
                             QRectF(box.topLeft() * pointsToMm, box.size() * pointsToMm), descent * pointsToMm});
    }
    return pages;
}

// Qt's CUPS engine's own property: the options the printer dialog chose for the job.
constexpr auto cupsOptions = QPrintEngine::PrintEnginePropertyKey(0xfe00);

// The font both builds have: Wine offers no Arial.
const QString font = QStringLiteral("Liberation Sans");

// Whether this build's own system runs the private scheduler (not the Windows build under Wine).
bool ownScheduler()
{
    return !qEnvironmentVariableIsEmpty("CUPS_SERVER") && qEnvironmentVariableIsEmpty("CALVORIGNE_CUPS_STEP");
}

// Since when the documents of a test reached the queue: in the check step, since the Windows
// build began printing.
QDateTime printedSince(const QString& step)
{
    return step == u"check" ? QDateTime::fromMSecsSinceEpoch(qEnvironmentVariable("CALVORIGNE_SINCE").toLongLong())
                            : QDateTime::currentDateTime().addSecs(-1);
}

// Worked example 1 in a window of its own, printing on the default printer.
struct ExampleOne {
    QTemporaryDir dir;
    QtPrinter printer;
    testing::ScriptedDialogs dialogs;
    Numero window{printer, dialogs, dir.filePath("Calvorigne.ini")};

    ExampleOne()
    {
        Main(window);
        window.setList1Text(font);
        testing::layOutExample(window, "1", "12", "1");
    }
    std::tuple<QtPrinter&, testing::ScriptedDialogs&, Numero&> parts() { return {printer, dialogs, window}; }
};

void printExampleOne()
{
    ExampleOne run;
    QVERIFY(run.printer.hasPrinter());
    QCOMPARE(run.window.list1Text(), font);
    run.window.cmd_print_Click();
    QCOMPARE(run.dialogs.messages, QStringList({"Changez le papier de sens pour imprimer la suite.", "Fin du tirage."}));
}

// Every job the queue has had, printed or not, as lpstat lists them.
QStringList jobsEver(const QString& queue)
{
    QProcess lpstat;
    lpstat.start("lpstat", {"-W", "all", "-o", queue});
    lpstat.waitForFinished();
    return QString::fromUtf8(lpstat.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
}

#ifndef _WIN32
// The attributes a job of the queue holds at the scheduler, as "name=value", by its id.
QStringList jobAttributes(const QString& queueJob)
{
    ipp_t* request = ippNewRequest(IPP_OP_GET_JOB_ATTRIBUTES);
    const QByteArray uri = "ipp://localhost/jobs/" + queueJob.section(u'-', -1).toUtf8();
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "job-uri", nullptr, uri.constData());
    ipp_t* response = cupsDoRequest(CUPS_HTTP_DEFAULT, request, "/");
    QStringList attributes;
    for (ipp_attribute_t* a = ippFirstAttribute(response); a; a = ippNextAttribute(response)) {
        char value[1024];
        ippAttributeString(a, value, sizeof value);
        if (ippGetName(a))
            attributes << QStringLiteral("%1=%2").arg(QString::fromUtf8(ippGetName(a)), QString::fromUtf8(value));
    }
    ippDelete(response);
    return attributes;
}
#endif

#ifdef _WIN32
// The zoom the printer's default settings ask of its driver, after setting it when asked.
short defaultScale(const QString& printer, short set = 0)
{
    HANDLE queue = nullptr;
    PRINTER_DEFAULTSW access{nullptr, nullptr, PRINTER_ALL_ACCESS};
    if (!OpenPrinterW(const_cast<wchar_t*>(reinterpret_cast<const wchar_t*>(printer.utf16())), &queue, &access))
        return 0;
    DWORD needed = 0;
    GetPrinterW(queue, 2, nullptr, 0, &needed);
    std::vector<BYTE> info(needed);
    short scale = 0;
    if (GetPrinterW(queue, 2, info.data(), needed, &needed)) {
        auto* printerInfo = reinterpret_cast<PRINTER_INFO_2W*>(info.data());
        if (DEVMODEW* mode = printerInfo->pDevMode) {
            if (set) {
                mode->dmFields |= DM_SCALE;
                mode->dmScale = set;
                printerInfo->pSecurityDescriptor = nullptr;
                SetPrinterW(queue, 2, info.data(), 0);
            }
            scale = (mode->dmFields & DM_SCALE) ? mode->dmScale : 100;
        }
    }
    ClosePrinter(queue);
    return scale;
}
#endif

// The PDFs the queue wrote since then, oldest first, once it is empty or has written wanted.
QStringList awaitPdfs(const QDateTime& since, int wanted)
{
    const QDir output(qEnvironmentVariable("CALVORIGNE_PDF_DIR"));
    QStringList produced;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 90000) {
        produced.clear();
        for (const QFileInfo& file : output.entryInfoList({"*.pdf"}, QDir::Files, QDir::Time | QDir::Reversed))
            if (file.lastModified() >= since)
                produced << file.filePath();
        if (produced.size() >= wanted && queueEmpty())
            break;
        QTest::qWait(500);
    }
    return produced;
}

// The ascent of the font at that size, in points.
double fontAscent(double points = 12)
{
    QFont metricsFont(font);
    metricsFont.setPixelSize(1200);
    return QFontMetricsF(metricsFont).ascent() / 100 * points / 12;
}

// Two columns 90 mm apart, each number with a stub turned each way, the stubs at that size.
TicketModel turnedStubs(double points)
{
    TicketModel model;
    model.columns = 2;
    model.pitch = 90;
    model.stubs = {{-10, 0, points, 90}, {10, 30, points, 180}, {-5, 40, points, 270}};
    return model;
}

// How far the copies of a page's numbers landed, the worst by turn and size: from their
// places, and from the device dots nearest them, in mm.
using Misplacement = std::map<std::pair<int, double>, std::pair<double, double>>;

// The copies of the numbers from first on a page of worked example 1's rows, in the model's
// columns: each number at the run's size and its stubs, asked of the printer through asking.
// A copy is found as the word of its text whose baseline starts nearest to where it should.
void measureCopies(const QList<Word>& page, const TicketModel& model, double runPoints, int first,
                   const QTransform& asking, Misplacement& worst)
{
    const TestQueue queue = testQueue();
    std::vector<StubPlace> copies{{0, 0, runPoints, 0}};
    copies.insert(copies.end(), model.stubs.begin(), model.stubs.end());
    for (int i = 0; i < int(page.size() / copies.size()); ++i) {
        const QPointF place = queue.corner + QPointF(42 + model.pitch * (i / 3), 35 + 90 * (i % 3));
        const QString text = QStringLiteral("%1").arg(first + i, 4, 10, QChar('0'));
        for (const StubPlace& copy : copies) {
            // The baseline starts one ascent from the cell's corner, along the glyphs' up.
            const double ascent = fontAscent(*copy.size) * pointsToMm;
            const QPointF up = QTransform().rotate(copy.rotation).map(QPointF(0, ascent));
            const QPointF wanted = asking.map(place + QPointF(copy.dx, copy.dy) + up), dot = queue.onDots(wanted);
            double best = 1e9;
            QPointF at;
            for (const Word& word : page) {
                const QRectF& b = word.box;
                const double d = word.descent;
                const QPointF start = copy.rotation == 0    ? QPointF(b.left(), b.bottom() - d)
                                      : copy.rotation == 90  ? QPointF(b.left() + d, b.top())
                                      : copy.rotation == 180 ? QPointF(b.right(), b.top() + d)
                                                             : QPointF(b.right() - d, b.bottom());
                if (word.text == text && QLineF(start, wanted).length() < best)
                    best = QLineF(start, wanted).length(), at = start;
            }
            const auto off = [&](QPointF from) { return std::max(std::abs(at.x() - from.x()), std::abs(at.y() - from.y())); };
            auto& [fromPlace, fromDot] = worst[{copy.rotation, *copy.size}];
            fromPlace = std::max(fromPlace, off(wanted));
            fromDot = std::max(fromDot, off(dot));
        }
    }
}

// A page of worked example 1: three numbers from the first, 42 mm from the left, at 35, 125
// and 215 mm, within 0.1 mm.
void checkPage(const QList<Word>& page, int number)
{
    const QPointF corner = testQueue().corner;
    QCOMPARE(page.size(), 3);
    for (int row = 0; row < 3; ++row, ++number) {
        const Word& word = page[row];
        qInfo("%s at %.3f, %.3f mm", qPrintable(word.text), word.left, word.top);
        QCOMPARE(word.text, QStringLiteral("%1").arg(number, 4, 10, QChar('0')));
        QVERIFY(std::abs(word.left - (corner.x() + 42)) <= 0.1);
        QVERIFY(std::abs(word.top - (corner.y() + 35 + 90 * row)) <= 0.1);
    }
}

// When the Windows build printed, the turned copies' two PDFs and the zoom test's one follow.
void checkPdfs(const QDateTime& since, bool windowsBuild)
{
    QStringList produced = awaitPdfs(since, 2);
    QCOMPARE(produced.size(), windowsBuild ? 5 : 2);
    produced = produced.mid(0, 2);

    int number = 1;
    for (const QString& name : produced) {
        const auto pages = wordsOf(name, fontAscent());
        QCOMPARE(pages.size(), 2);
        for (const auto& page : pages) {
            checkPage(page, number);
            number += 3;
        }
        QFile::remove(name);
    }
}

} // namespace

class TestCupsPrint : public QObject {
    Q_OBJECT
private slots:
    void workedExampleOneComesOutAsTwoPdfs()
    {
        if (qEnvironmentVariableIsEmpty("CUPS_SERVER"))
            QSKIP("no private print scheduler");
        const QString step = qEnvironmentVariable("CALVORIGNE_CUPS_STEP");
        const QDateTime since = printedSince(step);
        if (step != u"check")
            printExampleOne();
        if (step != u"print" && !QTest::currentTestFailed())
            checkPdfs(since, step == u"check");
    }

    // A queue that stops taking jobs before the second pass: no "Fin du tirage.", nothing
    // advanced, one PDF.
    void aPassTheQueueRejectsIsAFailure()
    {
        if (!ownScheduler())
            QSKIP("no private print scheduler of this system's own");
        const QString queue = qEnvironmentVariable("PRINTER");
        const QDateTime since = QDateTime::currentDateTime().addSecs(-1);
        ExampleOne run;
        auto [printer, dialogs, w] = run.parts();
        dialogs.whileMessageShown = [&] {
            QProcess::execute("cupsreject", {queue});
            dialogs.whileMessageShown = nullptr;
        };
        w.cmd_print_Click();
        QProcess::execute("cupsaccept", {queue});
        QCOMPARE(dialogs.messages.size(), 2);
        QVERIFY2(dialogs.messages[1].startsWith("L'impression a échoué : ") &&
                 dialogs.messages[1].endsWith("Le passage 2 (numéros 0007 à 0012) n'a pas été imprimé."),
                 qPrintable(dialogs.messages[1]));
        QCOMPARE(w.Lbl_Debut->text(), QString("0001"));

        const QStringList produced = awaitPdfs(since, 1);
        QCOMPARE(produced.size(), 1);
        QFile::remove(produced.first());
    }

    // A queue stopped before the run holds the first pass: the run says so and gives the turn
    // prompt only once the queue, started again, has printed it.
    void theTurnPromptWaitsUntilThePassIsPrinted()
    {
        if (!ownScheduler())
            QSKIP("no private print scheduler of this system's own");
        const QString queue = qEnvironmentVariable("PRINTER");
        const QDateTime since = QDateTime::currentDateTime().addSecs(-1);
        ExampleOne run;
        auto [printer, dialogs, w] = run.parts();
        QProcess::execute("cupsdisable", {queue});
        dialogs.whileWaiting = [&](const QString& text) {
            if (text.contains("est arrêtée"))
                QProcess::execute("cupsenable", {queue});
            QTest::qWait(200);
            return true;
        };
        bool printedBeforeTheTurn = false;
        dialogs.whileMessageShown = [&] {
            printedBeforeTheTurn = queueEmpty();
            dialogs.whileMessageShown = nullptr;
        };
        w.cmd_print_Click();
        QProcess::execute("cupsenable", {queue});
        QVERIFY2(!dialogs.waits.isEmpty() && dialogs.waits[0].startsWith("L'imprimante « " + queue + " » est arrêtée"),
                 qPrintable(dialogs.waits.join(" | ")));
        QVERIFY(printedBeforeTheTurn);
        QCOMPARE(dialogs.messages, QStringList({"Changez le papier de sens pour imprimer la suite.", "Fin du tirage."}));
        for (const QString& pdf : awaitPdfs(since, 2))
            QFile::remove(pdf);
    }

    // Every pass is followed to the end: a pass the printer aborts once the queue took it, a
    // reprint it aborts, a queue stopped before the last pass, and a queue gone before it.
    void everyPassIsFollowedToItsEnd()
    {
        if (!ownScheduler())
            QSKIP("no private print scheduler of this system's own");
        const QString queue = "CalvorigneFails", flag = qEnvironmentVariable("CALVORIGNE_FAIL_FLAG");
        ExampleOne run;
        auto [printer, dialogs, w] = run.parts();
        printer.device().setPrinterName(queue);
        auto outcome = [&] {
            const QList<QStringList> lines = testing::csvLines(run.dir.filePath("Calvorigne-journal.csv"));
            return lines.isEmpty() ? QString() : lines.last().value(9);
        };
        dialogs.whileWaiting = [](const QString&) {
            QTest::qWait(100);
            return true;
        };
        auto atTheTurn = [&](const QStringList& command) {
            dialogs.whileMessageShown = [&dialogs, command] {
                QProcess::execute(command[0], command.mid(1));
                dialogs.whileMessageShown = nullptr;
            };
        };

        atTheTurn({"touch", flag});
        w.cmd_print_Click();
        QCOMPARE(dialogs.messages.size(), 2);
        QVERIFY2(dialogs.messages[1].startsWith("L'impression a échoué : l'imprimante « " + queue + " » a abandonné le passage 2")
                     && dialogs.messages[1].endsWith("Le passage 2 (numéros 0007 à 0012) n'a peut-être pas été imprimé en entier."),
                 qPrintable(dialogs.messages[1]));
        QCOMPARE(w.Lbl_Debut->text(), QString("0001"));
        QVERIFY2(outcome().startsWith("échec au passage 2 (passage 1 imprimé, passage 2 peut-être en partie)"), qPrintable(outcome()));

        dialogs.messages.clear();
        w.reprint({{1, {1}}});
        QVERIFY2(dialogs.messages.value(0).contains("a abandonné le passage 1"), qPrintable(dialogs.messages.value(0)));
        QVERIFY(outcome().startsWith("échec au passage 1 (passage 1 peut-être en partie)"));
        QFile::remove(flag);

        // Stopped before the last pass, and the waiting given up: said, and journalled so. The
        // aborted run's numbers may be on paper, so the guard asks first.
        dialogs.messages.clear();
        dialogs.choices = {1};
        atTheTurn({"cupsdisable", queue});
        dialogs.whileWaiting = [](const QString& text) { return !text.contains("est arrêtée"); };
        w.cmd_print_Click();
        QCOMPARE(dialogs.messages.value(2), "Fin du tirage.\n\nLe passage 2 a été envoyé à l'imprimante « " + queue
                                                + " » mais n'est pas encore imprimé : l'imprimante est arrêtée.");
        QCOMPARE(outcome(), QString("envoyé, non suivi"));
        QProcess::execute("cancel", {"-a", queue});
        QProcess::execute("cupsenable", {queue});

        // The queue gone before the last pass: that pass fails, and goes to no file instead.
        dialogs.messages.clear();
        atTheTurn({"lpadmin", "-x", queue});
        w.cmd_print_Click();
        QCOMPARE(dialogs.messages.value(1), "L'impression a échoué : l'imprimante « " + queue + " » n'est plus disponible.\n"
                                                "Le passage 2 (numéros 0019 à 0024) n'a pas été imprimé.");
        QCOMPARE(w.Lbl_Debut->text(), QString("0013"));
    }

    // A long pass stopped halfway never reaches the queue, running or stopped, and the
    // message, the journal and the window all say that nothing was printed.
    // Under Wine, whose spooler cannot hold a job while it is drawn, the Windows program must
    // say that it cannot be sure; it stops its pass on the queue that writes no PDF.
    void aStoppedPassNeverReachesTheQueue()
    {
        const QString step = qEnvironmentVariable("CALVORIGNE_CUPS_STEP");
        if (qEnvironmentVariableIsEmpty("CUPS_SERVER") || step == u"check")
            QSKIP("no private print scheduler, or nothing to read back");
        const QString queue = step.isEmpty() ? qEnvironmentVariable("PRINTER") : QStringLiteral("CalvorigneFails");
        // The queue is stopped from this system's side only.
        for (const bool running : step.isEmpty() ? std::vector{true, false} : std::vector{true}) {
            ExampleOne run;
            auto [printer, dialogs, w] = run.parts();
            printer.device().setPrinterName(queue);
            w.Lbl_NbCarnet->setCaption("600");
            dialogs.stopAtPage = 40;
            if (!running)
                QProcess::execute("cupsdisable", {queue});
            const QStringList before = step.isEmpty() ? jobsEver(queue) : QStringList();
            w.cmd_print_Click();
            if (step.isEmpty()) {
                QTest::qWait(1000); // a job handed over would be listed by now
                const QStringList after = jobsEver(queue);
                QProcess::execute("cupsenable", {queue});
                QCOMPARE(after, before);
            }
            // A spooler that cannot hold the job while it is drawn leaves the program unsure,
            // and it says so; CUPS never does.
            const QString head = "Tirage arrêté à la page 40 du passage 1.\nLe passage 1 (numéros 0001 à 0300) ";
            const QList<QStringList> lines = testing::csvLines(run.dir.filePath("Calvorigne-journal.csv"));
            const QString said = dialogs.messages.join(u'|'), journalled = lines.last().value(9);
            const bool sure = said == head + "n'a pas été imprimé.";
            QVERIFY2(sure ? journalled == "arrêté à la page 40 du passage 1 (rien d'imprimé)"
                          : said == head + "a peut-être été envoyé en partie à l'imprimante."
                                && journalled == "arrêté à la page 40 du passage 1 (passage 1 peut-être envoyé en partie)",
                     qPrintable(said + " / " + journalled));
            QVERIFY(sure || !step.isEmpty());
            QCOMPARE(w.Lbl_Debut->text(), QString("0001"));
        }
    }

    // Two columns of tickets, each number with stubs turned a quarter, a half and three
    // quarters, in two runs at 12 and 9 points whose stubs take the other size: every copy at
    // its place within 0.05 mm, whatever error another printer has stored. The Windows build
    // prints them under Wine.
    void everyTurnedCopyLandsAtItsPlace()
    {
        if (qEnvironmentVariableIsEmpty("CUPS_SERVER"))
            QSKIP("no private print scheduler");
        const QString step = qEnvironmentVariable("CALVORIGNE_CUPS_STEP");
        const QDateTime since = printedSince(step);
        const std::pair<double, double> sizes[] = {{12, 9}, {9, 12}}; // of each run's numbers, and of its stubs
        if (step != u"check")
            for (const auto& [points, stubPoints] : sizes) {
                ExampleOne run;
                auto [printer, dialogs, w] = run.parts();
                for (int pass = 1; pass <= 2; ++pass)
                    QVERIFY(storeCorrection(w.settingsPath(), "Bureau", pass, PrinterCorrection{3, -3, 1.01, 1.01, 1}));
                w.setTicketModel(turnedStubs(stubPoints));
                w.Lbl_NbCarnet->setCaption("6");
                w.Lbl_Size->setCaption(QString::number(points));
                w.cmd_print_Click();
                QCOMPARE(dialogs.messages, QStringList()); // one pass: nothing to say
            }
        if (step == u"print")
            return;
        // Worked example 1's PDFs, which came first, are gone once read; the zoom test's follows.
        const QStringList produced = awaitPdfs(since, 2).mid(0, 2);
        QCOMPARE(produced.size(), 2);
        Misplacement worst;
        for (int run = 0; run < 2; ++run) {
            const auto pages = wordsOf(produced[run], 0);
            QCOMPARE(pages.size(), 1);
            QCOMPARE(pages[0].size(), 6 * 4);
            measureCopies(pages[0], turnedStubs(sizes[run].second), sizes[run].first, 1, QTransform(), worst);
            QFile::remove(produced[run]);
        }
        for (const auto& [copy, off] : worst) {
            qInfo("turned %d at %.0f pt: %.3f mm from its place, %.3f from the nearest dot", copy.first, copy.second,
                  off.first, off.second);
            // Windows places text on the device's whole dots: 0.042 mm apart at its 300 dpi.
            QVERIFY2(step == u"check" ? off.second <= 0.01 : off.first <= 0.05, qPrintable(QString::number(copy.first)));
        }
    }

    // A driver whose settings print at 50 %: the document is drawn on a device made at 100 %,
    // its number lands at its place, and the printer's own settings are left as they were.
    void theDriversZoomIsSetAside()
    {
        const QString step = qEnvironmentVariable("CALVORIGNE_CUPS_STEP");
        if (step.isEmpty())
            QSKIP("the Windows build under Wine only");
#ifdef _WIN32
        ExampleOne run;
        auto [printer, dialogs, w] = run.parts();
        QCOMPARE(defaultScale(printer.name(), 50), short(50));
        printer.setFontName(font);
        printer.setFontSize(12);
        printer.setPosition(20, 20);
        printer.printText("0001");
        auto* engine = dynamic_cast<QWin32PrintEngine*>(printer.device().printEngine());
        QVERIFY(engine && engine->globalDevMode());
        const auto* mode = static_cast<const DEVMODEW*>(GlobalLock(engine->globalDevMode()));
        const short drawnAt = mode->dmScale;
        GlobalUnlock(engine->globalDevMode());
        printer.endDocument();
        QCOMPARE(drawnAt, short(100));
        QCOMPARE(defaultScale(printer.name()), short(50));
        defaultScale(printer.name(), 100);
#else
        const QStringList produced = awaitPdfs(printedSince(step), 1);
        QCOMPARE(produced.size(), 1);
        const auto pages = wordsOf(produced[0], fontAscent());
        QCOMPARE(pages.size(), 1);
        QCOMPARE(pages[0].size(), 1);
        const QPointF place = testQueue().corner + QPointF(20, 20);
        qInfo("0001 at %.3f, %.3f mm", pages[0][0].left, pages[0][0].top);
        QVERIFY(QLineF(QPointF(pages[0][0].left, pages[0][0].top), place).length() <= 0.1);
        QFile::remove(produced[0]);
#endif
    }

    // One spoiled sheet printed again: one page, its own numbers at their places, whatever page
    // range or page set the printer dialog left behind.
    void aSpoiledSheetIsReprintedAlone()
    {
        if (!ownScheduler())
            QSKIP("no private print scheduler of this system's own");
        const QDateTime since = QDateTime::currentDateTime().addSecs(-1);
        ExampleOne run;
        auto [printer, dialogs, w] = run.parts();
        printer.device().setPrintRange(QPrinter::PageRange);
        printer.device().setFromTo(1, 1);
        printer.device().printEngine()->setProperty(cupsOptions, QStringList({"page-set", "even", "page-ranges", "1"}));
        w.reprint({{1, {1}}});
        QCOMPARE(dialogs.messages, QStringList({"Feuille 2 du passage 1 réimprimée : 3 numéros, de 0004 à 0006."}));
        QCOMPARE(printer.device().printRange(), QPrinter::AllPages);
        QVERIFY(printer.device().printEngine()->property(cupsOptions).toStringList().filter("page-").isEmpty());
        const QStringList produced = awaitPdfs(since, 1);
        QCOMPARE(produced.size(), 1);
        const auto pages = wordsOf(produced[0], fontAscent());
        QCOMPARE(pages.size(), 1);
        checkPage(pages[0], 4);
        QFile::remove(produced[0]);
    }

#ifndef _WIN32
    // No job lets a filter shrink the page to fit, even when the printer dialog asked for it.
    void noJobIsScaledToFit()
    {
        if (!ownScheduler())
            QSKIP("no private print scheduler of this system's own");
        const QDateTime since = QDateTime::currentDateTime().addSecs(-1);
        ExampleOne run;
        auto [printer, dialogs, w] = run.parts();
        printer.device().printEngine()->setProperty(cupsOptions, QStringList({"fit-to-page", "true"}));
        const QStringList before = jobsEver(printer.name());
        w.cmd_print_Click();
        const QStringList jobs = jobsEver(printer.name()).mid(before.size());
        QCOMPARE(jobs.size(), 2);
        for (const QString& job : jobs) {
            const QStringList attributes = jobAttributes(job.section(u' ', 0, 0));
            QVERIFY2(attributes.contains("fit-to-page=false") && attributes.contains("print-scaling=none"),
                     qPrintable(attributes.join(u' ')));
        }
        for (const QString& name : awaitPdfs(since, 2))
            QFile::remove(name);
    }
#endif

    // A printer's measured error, stored for it: each pass's numbers, in two columns with
    // stubs turned every way, are asked where that pass's error brings them back to their
    // places, within 0.05 mm.
    void eachPassPrintsThroughItsCorrection()
    {
        if (!ownScheduler())
            QSKIP("no private print scheduler of this system's own");
        const QDateTime since = QDateTime::currentDateTime().addSecs(-1);
        ExampleOne run;
        auto [printer, dialogs, w] = run.parts();
        const PrinterCorrection passes[] = {{1.2, -0.7, 1.004, 1.004, 0}, {-0.9, 1.1, 0.996, 0.997, 0}};
        for (int pass = 0; pass < 2; ++pass)
            QVERIFY(storeCorrection(w.settingsPath(), printer.name(), pass + 1, passes[pass]));
        const TicketModel model = turnedStubs(9);
        w.setTicketModel(model);
        w.Lbl_NbCarnet->setCaption("24");
        w.cmd_print_Click();
        const QStringList produced = awaitPdfs(since, 2);
        QCOMPARE(produced.size(), 2);
        Misplacement worst;
        int number = 1;
        for (int pass = 0; pass < 2; ++pass) {
            const auto pages = wordsOf(produced[pass], 0);
            QCOMPARE(pages.size(), 2);
            for (const auto& page : pages) {
                QCOMPARE(page.size(), 6 * 4);
                measureCopies(page, model, 12, number, passes[pass].asking(), worst);
                number += 6;
            }
            QFile::remove(produced[pass]);
        }
        for (const auto& [copy, off] : worst) {
            qInfo("turned %d at %.0f pt: %.3f mm from where its pass's correction asks it", copy.first, copy.second, off.first);
            QVERIFY(off.first <= 0.05);
        }
    }

    // The calibration sheet's rules, as the queue writes them: 100 mm across and 100 mm down,
    // within 0.1 mm, measured between their end ticks on the spooled page drawn at 600 dpi; and
    // its two pages, printed with known errors and scanned, give those errors back.
    void theCalibrationSheetsRulesAreTrueInTheSpooledFile()
    {
        if (!ownScheduler())
            QSKIP("no private print scheduler of this system's own");
        const QDateTime since = QDateTime::currentDateTime().addSecs(-1);
        ExampleOne run;
        auto [printer, dialogs, w] = run.parts();
        w.calibrationSheet();
        const QStringList produced = awaitPdfs(since, 2);
        QCOMPARE(produced.size(), 2);
        QTemporaryDir folder;
        QProcess draw;
        draw.start("pdftoppm", {"-r", "600", "-gray", "-singlefile", produced[0], folder.filePath("pass1")});
        QVERIFY(draw.waitForFinished() && draw.exitCode() == 0);
        QImageReader::setAllocationLimit(512);
        const QImage page(folder.filePath("pass1.pgm"));
        QVERIFY(!page.isNull());
        const double dots = 600 / 25.4;
        // Only the 4 mm ticks, every 10 mm, reach 3.5 mm from their rule: eleven of them.
        const auto ticks = [&](bool across) {
            std::vector<double> centres;
            const int line = int(std::lround((12 + 3.5) * dots)); // the rules stand 12 mm from the edges
            const int length = across ? page.width() : page.height();
            double sum = 0, weight = 0;
            for (int i = 0; i < length; ++i) {
                const int grey = across ? qGray(page.pixel(i, line)) : qGray(page.pixel(line, i));
                const double dark = std::max(0, 200 - grey);
                if (dark > 0) {
                    sum += dark * i;
                    weight += dark;
                } else if (weight > 0) {
                    centres.push_back(sum / weight);
                    sum = weight = 0;
                }
            }
            return centres;
        };
        for (const bool across : {true, false}) {
            const std::vector<double> found = ticks(across);
            QCOMPARE(found.size(), std::size_t(11));
            const double mm = (found.back() - found.front()) / dots;
            qInfo("rule %s: %.3f mm", across ? "across" : "down", mm);
            QVERIFY(std::abs(mm - 100) <= 0.1);
        }

        // The same two pages, as a printer with known errors puts them on one sheet of A4 and a
        // flatbed gives it back: each pass's error is read back from the scan.
        const PrinterCorrection truth[2] = {{1.7, -2.3, 1.004, 0.992, -0.9}, {-2.2, 1.6, 0.981, 1.009, 1.2}};
        const double px = 300 / 25.4, margin = 12;
        QImage sheet(QSize(int((210 + 2 * margin) * px), int((297 + 2 * margin) * px)), QImage::Format_RGB32);
        sheet.fill(QColor(45, 45, 45));
        QPainter painter(&sheet);
        painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
        const QTransform glass = QTransform::fromTranslate(-105, -148.5) * QTransform().rotate(0.6)
                                 * QTransform::fromTranslate(105 + margin, 148.5 + margin) * QTransform::fromScale(px, px);
        painter.setTransform(glass);
        painter.fillRect(QRectF(0, 0, 210, 297), QColor(246, 246, 246));
        painter.setCompositionMode(QPainter::CompositionMode_Darken); // ink on ink, never paper over it
        for (int pass = 0; pass < 2; ++pass) {
            draw.start("pdftoppm", {"-r", "300", "-gray", "-singlefile", produced[pass], folder.filePath("page")});
            QVERIFY(draw.waitForFinished() && draw.exitCode() == 0);
            const QImage page(folder.filePath("page.pgm"));
            // Pass 2 goes through the printer with the sheet turned end for end.
            const QTransform turned = pass == 0 ? QTransform() : QTransform(-1, 0, 0, -1, 210, 297);
            painter.setTransform(truth[pass].landing() * turned * glass);
            painter.drawImage(QRectF(QPointF(), QSizeF(page.size()) / px), page);
        }
        painter.end();
        const ScanReading reading = readScan(testing::scanned(sheet.convertToFormat(QImage::Format_Grayscale8)), QSizeF(210, 297),
                                             printer.name());
        QVERIFY2(reading.refusal.isEmpty(), qPrintable(reading.refusal));
        for (int pass = 0; pass < 2; ++pass) {
            const PrinterCorrection &got = *reading.pass[pass], &want = truth[pass];
            qInfo("pass %d: offset %+.3f %+.3f (true %+.3f %+.3f), scale %.5f %.5f (true %.5f %.5f), turn %+.4f (true %+.4f)",
                  pass + 1, got.dx, got.dy, want.dx, want.dy, got.sx, got.sy, want.sx, want.sy, got.degrees, want.degrees);
            QVERIFY(std::abs(got.dx - want.dx) <= 0.1 && std::abs(got.dy - want.dy) <= 0.1);
            QVERIFY(std::abs(got.sx - want.sx) <= 0.0005 && std::abs(got.sy - want.sy) <= 0.0005);
            QVERIFY(std::abs(got.degrees - want.degrees) <= 0.02);
        }
        for (const QString& name : produced)
            QFile::remove(name);
    }

    void aLearnedPathPrintsPass2AsOneJobLastPageFirst()
    {
        if (!ownScheduler())
            QSKIP("no private print scheduler of this system's own");
        const QDateTime since = QDateTime::currentDateTime().addSecs(-1);
        ExampleOne run;
        auto [printer, dialogs, w] = run.parts();
        const PaperPath path{Motion::HalfTurn, true, Face::Up};
        QVERIFY(storePath(w.settingsPath(), printer.name(), path));
        const qsizetype jobsBefore = jobsEver(printer.name()).size();
        dialogs.choices.push_back(0); // « Imprimer », once told how to load the sheets
        w.cmd_print_Click();
        QVERIFY2(dialogs.messages.value(0).startsWith("Chargez ") && dialogs.messages.value(0).contains("face à imprimer vers le haut"),
                 qPrintable(dialogs.messages.value(0)));
        QCOMPARE(dialogs.messages.mid(1), QStringList({"Changez le papier de sens pour imprimer la suite.\nPour l'imprimante « "
                                                           + printer.name() + " » : " + movementWords(path.movement),
                                                       "Fin du tirage."}));
        const QStringList produced = awaitPdfs(since, 2);
        QCOMPARE(produced.size(), 2);
        QCOMPARE(jobsEver(printer.name()).size(), jobsBefore + 2);
        int number = 1;
        for (const QString& name : produced) {
            const auto pages = wordsOf(name, fontAscent());
            QCOMPARE(pages.size(), 2);
            // Pass 1 as planned; pass 2 from its last page.
            checkPage(pages[number == 1 ? 0 : 1], number);
            checkPage(pages[number == 1 ? 1 : 0], number + 3);
            number += 6;
            QFile::remove(name);
        }
    }
};

QTEST_MAIN(TestCupsPrint)
#include "test_cups_print.moc"
