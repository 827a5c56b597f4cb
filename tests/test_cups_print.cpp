// Prints worked example 1 through a real print scheduler and reads the PDFs that come out.
// Run by cups_print.sh, which starts a private scheduler with a cups-pdf queue as default.
// CALVORIGNE_CUPS_STEP=print or check does one half only: the Windows build prints under
// Wine, and the Linux build reads back the PDFs written since CALVORIGNE_SINCE (epoch, ms).
#include "print_scheduler.h"

using namespace calvorigne;
using namespace calvorigne::testing;

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
};

QTEST_MAIN(TestCupsPrint)
#include "test_cups_print.moc"
