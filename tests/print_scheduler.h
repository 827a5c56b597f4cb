// The private print scheduler's side of the tests that print through it: the test queue's
// page, the words of the PDFs it writes, its jobs, and worked example 1 in a window of its own.
// Run by cups_print.sh, which starts the scheduler with a cups-pdf queue as default.
#pragma once

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

namespace calvorigne::testing {

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

inline TestQueue testQueue()
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

inline bool queueEmpty()
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
inline QList<QList<Word>> wordsOf(const QString& pdf, double ascent)
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
inline const QString font = QStringLiteral("Liberation Sans");

// Whether this build's own system runs the private scheduler (not the Windows build under Wine).
inline bool ownScheduler()
{
    return !qEnvironmentVariableIsEmpty("CUPS_SERVER") && qEnvironmentVariableIsEmpty("CALVORIGNE_CUPS_STEP");
}

// Since when the documents of a test reached the queue: in the check step, since the Windows
// build began printing.
inline QDateTime printedSince(const QString& step)
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

inline void printExampleOne()
{
    ExampleOne run;
    QVERIFY(run.printer.hasPrinter());
    QCOMPARE(run.window.list1Text(), font);
    run.window.cmd_print_Click();
    QCOMPARE(run.dialogs.messages, QStringList({"Changez le papier de sens pour imprimer la suite.", "Fin du tirage."}));
}

// Every job the queue has had, printed or not, as lpstat lists them.
inline QStringList jobsEver(const QString& queue)
{
    QProcess lpstat;
    lpstat.start("lpstat", {"-W", "all", "-o", queue});
    lpstat.waitForFinished();
    return QString::fromUtf8(lpstat.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
}

#ifndef _WIN32
// The attributes a job of the queue holds at the scheduler, as "name=value", by its id.
inline QStringList jobAttributes(const QString& queueJob)
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
inline short defaultScale(const QString& printer, short set = 0)
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
inline QStringList awaitPdfs(const QDateTime& since, int wanted)
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
inline double fontAscent(double points = 12)
{
    QFont metricsFont(font);
    metricsFont.setPixelSize(1200);
    return QFontMetricsF(metricsFont).ascent() / 100 * points / 12;
}

// Two columns 90 mm apart, each number with a stub turned each way, the stubs at that size.
inline TicketModel turnedStubs(double points)
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
inline void measureCopies(const QList<Word>& page, const TicketModel& model, double runPoints, int first,
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
inline void checkPage(const QList<Word>& page, int number)
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
inline void checkPdfs(const QDateTime& since, bool windowsBuild)
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

} // namespace calvorigne::testing
