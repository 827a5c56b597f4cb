// The real printer layer when the numbers go to PDF files: with no printer installed, and
// when the user chose to print to a file.
#include "platform/qtprinter.h"
#include "window_fixture.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

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
};

QTEST_MAIN(TestPdfOutput)
#include "test_pdf_output.moc"
