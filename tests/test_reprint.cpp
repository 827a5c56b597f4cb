// The preview as a volunteer uses it after a run: a jammed sheet printed again as it was
// printed, the booklets just printed, and the window's answers to the keyboard and the mouse.
#include "correction/store.h"
#include "paperpath/store.h"
#include "print/booklets.h"
#include "ui/preview/calibrationdialog.h"
#include "ui/preview/bookletlist.h"
#include "ui/preview/previewwindow.h"
#include "ui/preview/ticketpanel.h"
#include "window_fixture.h"

#include <QAbstractItemModel>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QTableView>
#include <QTest>

using namespace calvorigne;
using namespace calvorigne::testing;

namespace {

bool samePage(const Page& a, const Page& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](const Printed& x, const Printed& y) {
               return x.text == y.text && x.left == y.left && x.top == y.top && x.rotation == y.rotation;
           });
}

// The window laid out as the worked example, with its preview open.
PreviewWindow& previewOf(WindowFixture& f, const QString& booklets, const QString& folios)
{
    Numero& w = f.start();
    layOutExample(w, "1", booklets, folios);
    w.cmd_preview_Click();
    return *w.preview();
}

// Counts what the view draws.
class Paints : public QObject {
public:
    int count = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        count += event->type() == QEvent::Paint;
        return false;
    }
};

} // namespace

class TestReprint : public QObject {
    Q_OBJECT
private slots:
    // Right after a run, the preview's reprint and booklet list are the run just printed, as it
    // was printed: not the next run the window now plans, nor a ticket model changed since.
    void aReprintAfterARunPrintsTheSheetThatJammed()
    {
        WindowFixture f;
        Numero& w = f.start();
        layOutExample(w, "1", "24", "1");
        w.setTicketModel(twoColumnsWithAStub(80, 12, 10));
        w.cmd_print_Click();
        const std::vector<Document> run = f.printer.documents;
        QCOMPARE(w.Lbl_Debut->text(), QString("0025"));

        w.cmd_preview_Click();
        PreviewWindow& preview = *w.preview();
        QVERIFY2(preview.runChoice->currentText().startsWith("Tirage du ")
                     && preview.runChoice->currentText().endsWith(", 0001 à 0024"),
                 qPrintable(preview.runChoice->currentText()));
        QCOMPARE(preview.runChoice->itemText(0), QString("Tirage prévu, 0025 à 0048"));
        const auto reprintSheet2 = [&] {
            f.printer.documents.clear();
            f.dialogs.messages.clear();
            preview.passBox->setValue(1);
            QTest::keyClick(preview.sheetsField, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(preview.sheetsField, "2");
            QVERIFY(preview.printSelection->isEnabled());
            preview.printSelection->click();
            QCOMPARE(f.printer.documents.size(), std::size_t(1));
            QVERIFY(samePage(f.printer.documents[0][0], run[0][1]));
            QVERIFY2(f.dialogs.messages.value(0).startsWith("Feuille 2 du passage 1 réimprimée : 6 numéros, de 0007 à 0012."),
                     qPrintable(f.dialogs.messages.value(0)));
        };
        reprintSheet2();
        BookletListWindow* list = preview.showBooklets();
        // Single sheets are handed out: four of them.
        QCOMPARE(list->table->model()->rowCount(), 4);
        QCOMPARE(list->table->model()->index(0, 1).data().toString(), QString("0001"));
        list->close();

        // A change in the window is for the next run, which the preview then shows; the run
        // printed is still there to choose, as it was.
        w.setTicketModel(TicketModel());
        QCOMPARE(preview.runChoice->currentIndex(), 0);
        preview.runChoice->setCurrentIndex(1);
        reprintSheet2();
        QCOMPARE(w.Lbl_Debut->text(), QString("0025"));
    }

    // « Page entière », « Pleine largeur » and « 100 % » draw the view anew at once.
    void theZoomButtonsRedrawAtOnce()
    {
        WindowFixture f;
        PreviewWindow& preview = previewOf(f, "12", "1");
        QVERIFY(QTest::qWaitForWindowExposed(&preview));
        Paints paints;
        preview.view->viewport()->installEventFilter(&paints);
        for (QPushButton* zoom : {preview.fitPage, preview.actualSize, preview.fitWidth}) {
            QTest::qWait(50);
            paints.count = 0;
            zoom->click();
            QTest::qWait(50);
            QVERIFY2(paints.count > 0, qPrintable(zoom->text()));
        }
    }

    // A sheet list that cannot be read says what is wrong with it, under the field, and
    // nothing can be printed from it.
    void aBadSheetListSaysWhatIsWrong()
    {
        WindowFixture f;
        PreviewWindow* preview = &previewOf(f, "12", "1");
        QCOMPARE(preview->view->pageCount(), 4);
        for (const auto& [typed, said] : std::vector<std::pair<QString, QString>>{
                 {"3", "Le passage 1 n'a que 2 feuilles : il n'y a pas de feuille 3."},
                 {"2-1", "« 2-1 » va à l'envers : tapez 1-2."},
                 {"1, a", "« a » n'est pas un numéro de feuille : tapez par exemple 3-5, 9."},
                 {"0", "Les feuilles se comptent à partir de 1 : il n'y a pas de feuille 0."},
                 {"1-2", ""}}) {
            QTest::keyClick(preview->sheetsField, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(preview->sheetsField, typed);
            QCOMPARE(preview->sheetsProblem->text(), said);
            QCOMPARE(preview->sheetsProblem->isVisible(), !said.isEmpty());
            QCOMPARE(preview->printSelection->isEnabled(), said.isEmpty());
        }
    }

    // The preview and the booklet list open whole on the screen, whatever its size.
    void newWindowsOpenOnTheScreen()
    {
        WindowFixture f;
        PreviewWindow& preview = previewOf(f, "12", "1");
        BookletListWindow* list = preview.showBooklets();
        for (QWidget* window : {static_cast<QWidget*>(&preview), static_cast<QWidget*>(list)}) {
            QVERIFY(QTest::qWaitForWindowExposed(window));
            const QRect room = window->screen()->availableGeometry();
            QVERIFY2(room.contains(window->frameGeometry()),
                     qPrintable(QString("%1 × %2 at %3, %4 on a screen of %5 × %6")
                                    .arg(window->frameGeometry().width()).arg(window->frameGeometry().height())
                                    .arg(window->frameGeometry().x()).arg(window->frameGeometry().y())
                                    .arg(room.width()).arg(room.height())));
        }
    }

    // One list of booklets at a time: it follows the run shown, names its file by its numbers,
    // and Escape closes it.
    void theBookletListIsOneWindowThatFollows()
    {
        WindowFixture f;
        PreviewWindow& preview = previewOf(f, "6", "2");
        Numero& w = *f.window;
        QPointer<BookletListWindow> list = preview.showBooklets();
        QCOMPARE(preview.showBooklets(), list.data());
        QCOMPARE(list->table->model()->rowCount(), 6);
        QCOMPARE(list->csvName(), QString("Calvorigne-carnets 0001-0012.csv"));
        w.Lbl_NbCarnet->setCaption("8");
        QTRY_COMPARE(list->table->model()->rowCount(), 8);
        QCOMPARE(list->csvName(), QString("Calvorigne-carnets 0001-0016.csv"));
        QVERIFY(QTest::qWaitForWindowExposed(list));
        QTest::keyClick(list, Qt::Key_Escape);
        QTRY_VERIFY(list.isNull());
    }

    // A stub just added starts beside its number, where the run can print it, as a second
    // column starts where it fits; its offsets say so in the panel.
    void aNewStubStartsWhereItFits()
    {
        WindowFixture f;
        PreviewWindow& preview = previewOf(f, "12", "1");
        Numero& w = *f.window;
        for (int added = 1; added <= 2; ++added) {
            preview.ticket->addStub->click();
            QCOMPARE(int(w.ticketModel().stubs.size()), added);
            const StubPlace stub = w.ticketModel().stubs.back();
            QVERIFY(stub.dx != 0 || stub.dy != 0);
            QVERIFY2(planRun(w, f.printer).refusal.isEmpty(), qPrintable(planRun(w, f.printer).refusal));
            QTRY_COMPARE(preview.ticket->stubs[std::size_t(added - 1)].dx->value(), stub.dx);
        }
    }

    // The sheet box counts the sheets of the pass shown, as each page's caption does.
    void sheetsAreCountedInTheirPass()
    {
        WindowFixture f;
        PreviewWindow& preview = previewOf(f, "12", "1");
        QCOMPARE(preview.view->pageCount(), 4);
        QCOMPARE(preview.pageTotal->text(), QString("sur 2"));
        preview.view->showPage(3);
        QCOMPARE(preview.view->caption(3), QString("Passage 2 – feuille 2 sur 2"));
        QCOMPARE(preview.pageBox->value(), 2);
        preview.pageBox->setValue(1);
        QCOMPARE(preview.view->currentPage(), 2);
    }

    // What a stack test or a calibration taught the program is forgotten only once the user
    // says so: « Non » is the answer Escape and Enter give.
    void forgettingWhatWasLearnedAsksFirst()
    {
        WindowFixture f;
        QVERIFY(storePath(f.settingsPath, "Test", PaperPath{}));
        PrinterCorrection correction;
        correction.dx = 1.5;
        QVERIFY(storeCorrection(f.settingsPath, "Test", 1, correction));
        Numero& w = f.start();
        w.cmd_preview_Click();
        PreviewWindow& preview = *w.preview();
        CalibrationDialog dialog(w);
        for (int answer : {-1, 0}) {
            if (answer >= 0)
                f.dialogs.choices = {answer, answer};
            preview.forgetPath->click();
            dialog.forget[0]->click();
            QCOMPARE(f.dialogs.buttonsShown, QStringList({"Oui", "Non"}));
            QCOMPARE(storedPath(f.settingsPath, "Test").has_value(), answer < 0);
            QCOMPARE(storedCorrections(f.settingsPath, "Test").forPass(1) != nullptr, answer < 0);
        }
        QVERIFY2(f.dialogs.messages.value(0).startsWith("Oublier le retournement de la pile appris pour l'imprimante « Test » ?"),
                 qPrintable(f.dialogs.messages.value(0)));
    }

    // After « Fin du tirage. » the print button no longer holds the focus: a press of Space
    // prints nothing more.
    void aSecondSpacePrintsNothing()
    {
        WindowFixture f;
        Numero& w = f.start();
        layOutExample(w, "1", "12", "1");
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        w.cmd_print->setFocus();
        QTest::keyClick(w.cmd_print, Qt::Key_Space);
        QCOMPARE(f.printer.documents.size(), std::size_t(2));
        QVERIFY(!w.cmd_print->hasFocus());
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &w, Qt::Key_Space);
        QCOMPARE(f.printer.documents.size(), std::size_t(2));
    }
};

QTEST_MAIN(TestReprint)
#include "test_reprint.moc"
