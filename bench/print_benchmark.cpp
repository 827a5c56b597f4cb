// Times the program's own print run against a bare QPainter loop that draws the same texts
// at the same places into a PDF, and reports the peak memory of each.
//
//   print_benchmark            runs every configuration, each in a process of its own
//   print_benchmark run|bare BOOKLETS ROWS COLUMNS   one measurement: seconds, peak KiB, and
//                              for a run the start before it (window built, shown, record opened)
//   print_benchmark preview    the preview of the largest run: opening and redrawing
#include "app/startup.h"
#include "core/numbers.h"
#include "platform/dialogs.h"
#include "platform/qtdialogs.h"
#include "platform/qtprinter.h"
#include "ui/window/numero.h"
#include "print/booklets.h"
#include "records/runrecord.h"
#include "ui/preview/bookletlist.h"
#include "ui/preview/previewwindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFontMetricsF>
#include <QTableView>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QRadioButton>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sys/resource.h>
#include <vector>

using namespace calvorigne;

namespace {

constexpr int folios = 10;

// Answers every message at once; the run asks nothing else. The progress window is the real
// one, as its cost belongs to the run.
class Unattended : public Dialogs {
public:
    explicit Unattended(QtPrinter& printer) : m_real(printer) {}
    void message(const QString&) override {}
    bool question(const QString&) override { return true; }
    int choice(const QString&, const QStringList&, int safe, int) override { return safe; }
    int illustrated(const QString&, const QImage&, const QStringList&, int safe) override { return safe; }
    std::optional<int> pictureChoice(const QString&, const std::vector<Picture>&) override { return std::nullopt; }
    std::optional<QString> textInput(const QString&) override { return std::nullopt; }
    std::optional<QString> fileToSave(const QString&, const QString&, const QString&) override { return std::nullopt; }
    std::optional<QString> fileToOpen(const QString&, const QString&) override { return std::nullopt; }
    bool wait(const QString&) override { return true; }
    void endWait() override {}
    bool progress(const QString& text, int done, int total) override { return m_real.progress(text, done, total); }
    void endProgress() override { m_real.endProgress(); }
    void printerDialog() override {}
    void setBusy(bool) override {}

private:
    QtDialogs m_real;
};

// The spacing that gives the wanted rows per page with no margins.
double spacingFor(int rows)
{
    return 297.0 / rows;
}

// With several columns, a ticket model with two stubs, one of them turned sideways.
TicketModel modelFor(int columns)
{
    TicketModel model;
    if (columns > 1) {
        model.columns = columns;
        model.pitch = 65;
        model.stubs = {{-8, 0, std::nullopt, 90}, {40, 0, std::nullopt, 0}};
    }
    return model;
}

long printedPages(int booklets, int rows, int columns)
{
    return long(std::ceil(double(booklets) / (rows * columns))) * folios;
}

void layOut(Numero& window, int booklets, int rows)
{
    window.opt_org[1]->setChecked(true);
    window.Lbl_folio->setCaption(QString::number(folios));
    window.Lbl_NbCarnet->setCaption(QString::number(booklets));
    window.Lbl_H->setCaption("0");
    window.Lbl_B->setCaption("0");
    window.Lbl_E->setCaption(plainNumber(spacingFor(rows)));
    window.Lbl_X->setCaption("20");
    window.Lbl_Y->setCaption("0");
    window.Lbl_Size->setCaption("10");
}

// Whether the run went to its end, rather than being refused. A user presses the print button
// in a window already on the screen: the run is timed from the click, the start before it.
bool viaPrintRun(const QString& folder, int booklets, int rows, int columns, QElapsedTimer& clock, double& start)
{
    QtPrinter printer;
    printer.device().setOutputFileName(folder + "/run.pdf");
    Unattended dialogs(printer);
    Numero window(printer, dialogs, folder + "/Calvorigne.ini");
    Main(window);
    layOut(window, booklets, rows);
    window.setTicketModel(modelFor(columns));
    QApplication::processEvents();
    start = clock.nsecsElapsed() / 1e9;
    clock.start();
    window.cmd_print_Click();
    return readNumber(window.Lbl_Debut->caption()) == double(booklets) * folios + 1;
}

// The same texts at the same places, two documents, without the program around them; timed
// once the fonts are known, as they are to a window on the screen.
void bare(const QString& folder, int booklets, int rows, int columns, QElapsedTimer& clock, double& start)
{
    QFontMetricsF(QFont()).height();
    start = clock.nsecsElapsed() / 1e9;
    clock.start();
    const TicketModel model = modelFor(columns);
    QPrinter printer(QPrinter::HighResolution);
    QFont font;
    font.setPointSizeF(10);
    const double dots = printer.resolution() / 25.4;
    const double spacing = spacingFor(rows);
    const long places = long(rows) * columns;
    const long gatherings = long(std::ceil(double(booklets) / places));
    const long lastNumber = long(booklets) * folios;
    QPainter painter;
    long page = 0;
    for (long g = 0; g < gatherings; ++g) {
        if (g == 0 || g == gatherings / 2) {
            if (painter.isActive())
                painter.end();
            printer.setOutputFileName(QStringLiteral("%1/bare-%2.pdf").arg(folder).arg(g));
            printer.setPageMargins(QMarginsF());
            painter.begin(&printer);
            page = 0;
        }
        for (int j = 1; j <= folios; ++j) {
            if (page++ > 0)
                printer.newPage();
            painter.setFont(font);
            const double ascent = QFontMetricsF(font, &printer).ascent();
            for (long p = 1; p <= places; ++p) {
                const long n = g * folios * places + j + long(folios) * (p - 1);
                if (n > lastNumber)
                    break;
                const QString text = padNumber(double(n), QStringLiteral("0000"));
                const QPointF at(20 + model.pitch * double((p - 1) / rows), double((p - 1) % rows) * spacing);
                painter.drawText(QPointF(at.x() * dots, at.y() * dots + ascent), text);
                for (const StubPlace& stub : model.stubs) {
                    painter.save();
                    painter.translate((at + QPointF(stub.dx, stub.dy)) * dots);
                    painter.rotate(stub.rotation);
                    painter.drawText(QPointF(0, ascent), text);
                    painter.restore();
                }
            }
        }
    }
    painter.end();
}

long peakKiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

struct Measure {
    double seconds = 0, start = 0;
    long kib = 0;
};

Measure measureInChild(const QString& program, const QString& mode, int booklets, int rows, int columns)
{
    QProcess child;
    child.start(program, {mode, QString::number(booklets), QString::number(rows), QString::number(columns)});
    child.waitForFinished(-1);
    if (child.exitCode() != 0) {
        std::fprintf(stderr, "the %s of %d booklets, %d rows did not run to its end\n", qPrintable(mode), booklets, rows);
        std::exit(1);
    }
    const QStringList fields = QString::fromLatin1(child.readAllStandardOutput()).split(u' ', Qt::SkipEmptyParts);
    if (fields.size() < 3)
        return {};
    return {fields[0].toDouble(), fields[2].toDouble(), fields[1].toLong()};
}

// The preview of the largest run: opening it, and drawing it again after a change.
void previewTimes(const QString& folder, int columns)
{
    QtPrinter printer;
    Unattended dialogs(printer);
    Numero window(printer, dialogs, folder + "/Calvorigne.ini");
    Main(window);
    layOut(window, 9999, 3);
    window.setTicketModel(modelFor(columns));
    std::vector<double> open, redraw;
    QElapsedTimer clock;
    for (int k = 0; k < 5; ++k) {
        clock.start();
        window.cmd_preview_Click();
        window.preview()->view->viewport()->repaint();
        open.push_back(clock.nsecsElapsed() / 1e6);
        clock.start();
        window.Lbl_X->setCaption(QString::number(21 + k));
        window.preview()->refresh();
        window.preview()->view->viewport()->repaint();
        redraw.push_back(clock.nsecsElapsed() / 1e6);
        window.preview()->close();
    }
    std::sort(open.begin(), open.end());
    std::sort(redraw.begin(), redraw.end());
    std::printf("preview of %d pages, %d column(s): opens in %.0f ms (%.0f-%.0f), redraws in %.0f ms (%.0f-%.0f), medians of 5\n",
                window.preview()->view->pageCount(), columns, open[2], open.front(), open.back(), redraw[2], redraw.front(),
                redraw.back());
}

// Taking in a journal of 100,000 lines into a new record, and the series guard's read of that
// record before each run; and opening the list of the largest run's booklets.
void journalAndListTimes(const QString& folder)
{
    QFile file(folder + "/Calvorigne-journal.csv");
    if (!file.open(QIODevice::WriteOnly))
        return;
    file.write("Date;Type;Imprimante ou fichiers;Premier numéro;Dernier numéro;Carnets;Folios;Numéros par page;"
               "Pages par passage;Résultat\r\n");
    for (int k = 0; k < 100000; ++k) {
        const QByteArray first = padNumber(k * 120.0 + 1, "0000").toUtf8(), last = padNumber(k * 120.0 + 120, "0000").toUtf8();
        // One run an hour, over eleven years.
        const QByteArray when = QDateTime(QDate(2015, 1, 1), QTime(9, 0)).addSecs(k * 3600).toString("dd/MM/yyyy HH:mm:ss").toUtf8();
        file.write(when + ";" + QByteArray(k % 3 ? "tirage" : "réimpression") + ";\"Imprimante; bureau\";" + first
                   + ";" + last + ";120;1;3;20 + 20;" + QByteArray(k % 5 ? "terminé" : "échec au passage 1 (rien d'imprimé) : "
                                                                                     "bourrage")
                   + "\r\n");
    }
    file.close();
    std::vector<double> imports, reads;
    QElapsedTimer clock;
    for (int k = 0; k < 5; ++k) {
        QFile::remove(folder + "/Calvorigne-tirages.sqlite");
        clock.start();
        RunRecord record(folder + "/Calvorigne.ini");
        imports.push_back(clock.nsecsElapsed() / 1e6);
        clock.start();
        const auto overlap = record.overlap(1, 12000000);
        const double next = record.highest() + 1;
        reads.push_back(clock.nsecsElapsed() / 1e6);
        if (!overlap || next < 2)
            return;
    }
    std::sort(imports.begin(), imports.end());
    std::sort(reads.begin(), reads.end());
    std::printf("journal of 100,000 lines: taken into the record in %.0f ms (%.0f-%.0f), guard's read in %.1f ms "
                "(%.1f-%.1f), medians of 5\n",
                imports[2], imports.front(), imports.back(), reads[2], reads.front(), reads.back());

    QtPrinter printer;
    Unattended dialogs(printer);
    Numero window(printer, dialogs, folder + "/list/Calvorigne.ini");
    Main(window);
    layOut(window, 9999, 3);
    std::vector<double> opens;
    for (int k = 0; k < 5; ++k) {
        clock.start();
        BookletListWindow list(bookletList(planRun(window, printer)), dialogs);
        list.show();
        list.table->viewport()->repaint();
        list.table->scrollToBottom();
        list.table->viewport()->repaint();
        opens.push_back(clock.nsecsElapsed() / 1e6);
    }
    std::sort(opens.begin(), opens.end());
    std::printf("list of 9,999 booklets: opens and scrolls to its end in %.0f ms (%.0f-%.0f), medians of 5\n", opens[2],
                opens.front(), opens.back());
}

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const QStringList args = QApplication::arguments();
    if (args.size() == 2 && args[1] == u"preview") {
        QTemporaryDir folder;
        previewTimes(folder.path(), 1);
        previewTimes(folder.path(), 3);
        journalAndListTimes(folder.path());
        return 0;
    }
    if (args.size() == 5) {
        QTemporaryDir folder;
        const int booklets = args[2].toInt(), rows = args[3].toInt(), columns = args[4].toInt();
        QElapsedTimer clock;
        clock.start();
        double start = 0;
        if (args[1] == u"run") {
            if (!viaPrintRun(folder.path(), booklets, rows, columns, clock, start))
                return 1;
        } else
            bare(folder.path(), booklets, rows, columns, clock, start);
        std::printf("%.3f %ld %.3f\n", clock.nsecsElapsed() / 1e9, peakKiB(), start);
        return 0;
    }

    // Each configuration runs five times, run and bare in turn, so that one noisy run cannot
    // decide; medians, their ratio, and the spread of each.
    constexpr int repeats = 5;
    std::printf("%9s %5s %4s %7s %8s %8s %6s %13s %13s %8s %8s %9s %9s\n", "booklets", "rows", "cols", "pages", "run s",
                "bare s", "ratio", "run min-max", "bare min-max", "run MiB", "bare MiB", "run us/pg", "start ms");
    // Three columns come with two stubs each.
    const int configurations[][3] = {{1000, 3, 1}, {3000, 3, 1}, {9999, 3, 1}, {1000, 70, 1}, {9999, 70, 1}, {9999, 3, 3}};
    for (const auto& [booklets, rows, columns] : configurations) {
        std::vector<double> run, bare, start;
        long runKiB = 0, bareKiB = 0;
        for (int k = 0; k < repeats; ++k) {
            const Measure r = measureInChild(args[0], "run", booklets, rows, columns);
            const Measure b = measureInChild(args[0], "bare", booklets, rows, columns);
            run.push_back(r.seconds);
            bare.push_back(b.seconds);
            start.push_back(r.start);
            runKiB = std::max(runKiB, r.kib);
            bareKiB = std::max(bareKiB, b.kib);
        }
        std::sort(run.begin(), run.end());
        std::sort(bare.begin(), bare.end());
        std::sort(start.begin(), start.end());
        const double runMedian = run[repeats / 2], bareMedian = bare[repeats / 2];
        const long pages = printedPages(booklets, rows, columns);
        std::printf("%9d %5d %4d %7ld %8.2f %8.2f %6.2f %6.2f-%-6.2f %6.2f-%-6.2f %8.1f %8.1f %9.1f %9.0f\n", booklets, rows,
                    columns, pages, runMedian, bareMedian, runMedian / bareMedian, run.front(), run.back(), bare.front(),
                    bare.back(), runKiB / 1024.0, bareKiB / 1024.0, runMedian * 1e6 / double(pages), start[repeats / 2] * 1e3);
    }
    return 0;
}
