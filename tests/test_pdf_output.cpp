// The real printer layer when the numbers go to PDF files: with no printer installed, and
// when the user chose to print to a file.
#include "platform/qtprinter.h"
#include "print/booklets.h"
#include "ui/preview/bookletlist.h"
#include "window_fixture.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <sys/resource.h>

using namespace calvorigne;

namespace {

QString pdfText(const QString& file)
{
    QProcess pdftotext;
    pdftotext.start("pdftotext", {"-layout", file, "-"});
    pdftotext.waitForFinished();
    return QString::fromUtf8(pdftotext.readAllStandardOutput());
}

struct Run {
    QTemporaryDir dir;
    QtPrinter printer;
    testing::ScriptedDialogs dialogs;
    Numero window{printer, dialogs, dir.filePath("Calvorigne.ini")};

    Run()
    {
        Main(window);
        testing::layOutExample(window, "1", "12", "1");
    }
};

} // namespace

class TestPdfOutput : public QObject {
    Q_OBJECT
    QTemporaryDir home;

private slots:
    // The list of booklets on plain A4: its header on every page, and « page k sur n » below.
    void theBookletListPrintsWithItsHeaderOnEveryPage()
    {
        Run run;
        run.window.Lbl_NbCarnet->setCaption("300");
        const BookletList list = bookletList(planRun(run.window, run.printer));
        BookletListWindow window(list, run.dialogs);
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(run.dir.filePath("carnets.pdf"));
        QVERIFY(window.printOn(printer));
        const QStringList pages = pdfText(run.dir.filePath("carnets.pdf")).split(u'\f', Qt::SkipEmptyParts);
        QVERIFY(pages.size() > 2);
        for (int k = 0; k < pages.size(); ++k) {
            QVERIFY2(pages[k].contains("Premier") && pages[k].contains("Billets"), qPrintable(pages[k]));
            QVERIFY(pages[k].contains(QStringLiteral("page %1 sur %2").arg(k + 1).arg(pages.size())));
        }
        QVERIFY(pages.first().contains(list.title));
        QVERIFY(pages.last().contains("0298") && pages.last().contains("0300")); // the last sheet, 100
    }

    void initTestCase()
    {
        // No print scheduler to be reached, and a home of our own.
        qputenv("CUPS_SERVER", home.filePath("no-scheduler.sock").toLocal8Bit());
        qputenv("HOME", home.path().toLocal8Bit());
        qunsetenv("XDG_DOCUMENTS_DIR");
        qunsetenv("XDG_CONFIG_HOME");
    }

    void withoutAPrinterEachPassBecomesAFileOfItsOwn()
    {
        Run run;
        QVERIFY(!run.printer.hasPrinter());
        const QString documents = QDir(home.path()).filePath("Documents");
        QVERIFY(QDir().mkpath(documents));
        QFile earlier(QDir(documents).filePath("Calvorigne.pdf"));
        QVERIFY(earlier.open(QIODevice::WriteOnly));
        earlier.write("an earlier file");
        earlier.close();

        run.window.cmd_print_Click();
        const QString first = QDir(documents).filePath("Calvorigne-2.pdf");
        const QString second = QDir(documents).filePath("Calvorigne-3.pdf");
        QCOMPARE(run.dialogs.messages.size(), 3);
        QVERIFY(run.dialogs.messages.last().contains(first));
        QVERIFY(run.dialogs.messages.last().contains(second));
        QCOMPARE(QFileInfo(earlier).size(), qint64(15));
        const QString text = pdfText(first) + pdfText(second);
        for (int n = 1; n <= 12; ++n)
            QVERIFY(text.contains(QStringLiteral("%1").arg(n, 4, 10, QChar('0'))));
        QCOMPARE(pdfText(first).count(u'\f'), 2); // two pages a pass
        QProcess pdfinfo;
        pdfinfo.start("pdfinfo", {first});
        pdfinfo.waitForFinished();
        QVERIFY(pdfinfo.readAllStandardOutput().contains("(A4)"));

        run.dialogs.messages.clear();
        run.window.Lbl_NbCarnet->setCaption("3");
        run.window.cmd_print_Click();
        QVERIFY(run.dialogs.messages.last().contains(QDir(documents).filePath("Calvorigne-4.pdf")));
    }

    void aChosenFileTakesTheFirstPassAndTheSecondGoesBesideIt()
    {
        Run run;
        const QString chosen = run.dir.filePath("tirage.pdf");
        run.printer.device().setOutputFileName(chosen);
        run.window.cmd_print_Click();
        QVERIFY(pdfText(chosen).contains("0006"));
        QVERIFY(pdfText(run.dir.filePath("tirage-2.pdf")).contains("0012"));
        QVERIFY(run.dialogs.messages.last().contains(QDir::toNativeSeparators(chosen)));
    }

    void aFileThatCannotBeWrittenStopsTheRun()
    {
        Run run;
        run.printer.device().setOutputFileName(run.dir.filePath("missing/folder/tirage.pdf"));
        run.window.cmd_print_Click();
        QCOMPARE(run.dialogs.messages.size(), 1);
        QVERIFY(run.dialogs.messages.first().startsWith("L'impression a échoué : le fichier"));
        QCOMPARE(run.window.Lbl_Debut->text(), QString("0001"));
        QVERIFY(!run.dialogs.busy);
    }

    // A disk that fills up during the first pass: a failure, and no cut file left behind.
    void aFileThatCannotBeWrittenWholeIsAFailure()
    {
        Run run;
        const QDir documents(QDir(home.path()).filePath("Documents"));
        const QStringList before = documents.entryList(QDir::Files | QDir::Hidden);
        // Files may grow to 2 KiB only: each write past it fails as on a full disk.
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit;
        getrlimit(RLIMIT_FSIZE, &limit);
        const rlimit small{2048, limit.rlim_max};
        setrlimit(RLIMIT_FSIZE, &small);
        run.window.cmd_print_Click();
        setrlimit(RLIMIT_FSIZE, &limit);
        // The full disk keeps the run from the record too, and that is said.
        QCOMPARE(run.dialogs.messages.size(), 2);
        QVERIFY(run.dialogs.messages[1].startsWith("Le registre des tirages"));
        QVERIFY2(run.dialogs.messages[0].startsWith("L'impression a échoué : le fichier « " + documents.path())
                     && run.dialogs.messages[0].contains("n'a pas pu être écrit en entier")
                     && run.dialogs.messages[0].endsWith("Le passage 1 (numéros 0001 à 0006) n'a pas été imprimé."),
                 qPrintable(run.dialogs.messages[0]));
        QCOMPARE(documents.entryList(QDir::Files | QDir::Hidden), before);
        QCOMPARE(run.window.Lbl_Debut->text(), QString("0001"));
    }
};

QTEST_MAIN(TestPdfOutput)
#include "test_pdf_output.moc"
