#include "app/settings.h"
#include "platform/qtdialogs.h"
#include "platform/qtprinter.h"
#include "window_fixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <optional>

using namespace calvorigne;
using namespace calvorigne::testing;

namespace {

QRect inTwips(const QWidget* w)
{
    const QRect g = w->geometry();
    return QRect(g.x() * 15, g.y() * 15, g.width() * 15, g.height() * 15);
}

// Within one pixel of the twips given, after rounding to 15 twips a pixel.
bool placedAt(const QWidget* w, int left, int top, int width, int height)
{
    const QRect g = inTwips(w);
    auto within = [](int a, int b) { return std::abs(a - b) <= 8; };
    return within(g.x(), left) && within(g.y(), top) && within(g.width(), width) && within(g.height(), height);
}

const QByteArray completeFile = "[Font]\r\nName=Courier\r\nSize= 14\r\ncouleur= 16711680\r\nBold=True\r\n"
                                "[Tickets]\r\nOrg=True\r\nFolio= 4\r\n[Marges]\r\nH= 5\r\nB= 22\r\n"
                                "[Pos]\r\nX= 20\r\nY= 30\r\nE= 90\r\n";

} // namespace

class TestWindow : public QObject {
    Q_OBJECT
private slots:
    void everyControlStandsWhereTheLayoutPutsIt()
    {
        WindowFixture f;
        Numero& w = f.start();
        QCOMPARE(w.objectName(), QStringLiteral("Numéro"));
        QCOMPARE(w.windowTitle(), QString("Calvorigne"));
        QVERIFY(std::abs(w.width() * 15 - 7335) <= 8 && std::abs(w.height() * 15 - 8385) <= 8);

        const struct { const char* name; int l, t, wd, h; } places[] = {
            {"ud_x", 3616, 240, 240, 375},        {"Frame4", 4230, 2460, 2415, 1515},
            {"Frame3", 105, 1335, 3195, 1170},    {"Lbl_Début", 360, 690, 660, 390},
            {"opt_org(1)", 255, 570, 1710, 315},  {"List1", 90, 210, 2580, 1020},
            {"Picture1(5)", 2385, 1350, 200, 200}, {"cmd_end", 6660, 7425, 570, 510},
        };
        for (const auto& p : places) {
            const QWidget* control = w.findChild<QWidget*>(QString::fromUtf8(p.name));
            QVERIFY2(control, p.name);
            QVERIFY2(placedAt(control, p.l, p.t, p.wd, p.h), p.name);
        }
        QCOMPARE(w.Frame3->parentWidget(), w.Frame2);
        QCOMPARE(w.UpDown2->parentWidget(), w.Frame1);
        QCOMPARE(w.Frame2->title(), QString(" Numérotation"));
        QCOMPARE(w.Command2->text(), QString("Propriètés Imprimante"));
        QCOMPARE(w.cmd_print->toolTip(), QString("Imprimer les numéros"));
        QCOMPARE(w.cmd_end->toolTip(), QString("Quitter"));
        QCOMPARE(w.Lbl_Y->toolTip(), QString("distance entre le bord du haut de page et le n° (en mm)"));
        QCOMPARE(w.Lbl_X->font().pointSizeF(), 14.25);
        QCOMPARE(w.Lbl_E->palette().color(QPalette::WindowText), QColor(255, 0, 0));
        QCOMPARE(w.palette().color(QPalette::Window), QColor(224, 224, 224));
        QVERIFY(!w.cmd_print->icon().isNull() && !w.cmd_end->icon().isNull());
        QVERIFY(!w.Cmd_Try->isVisible());

        const QColor palette[] = {{0, 0, 0}, {255, 0, 0}, {255, 128, 0}, {255, 255, 0}, {0, 255, 0}, {0, 0, 255}, {255, 0, 255}};
        for (int i = 0; i < 7; ++i)
            QCOMPARE(w.Picture1[i]->palette().color(QPalette::Window), palette[i]);
        QCOMPARE(w.Shape1->property("rect").toRect(), QRect(2000, 1000, 2100, 2970));
        // The credit line fits its box.
        QStyleOptionFrame option;
        option.initFrom(w.Text1);
        const QRect textArea = w.Text1->style()->subElementRect(QStyle::SE_LineEditContents, &option, w.Text1);
        QVERIFY(w.Text1->fontMetrics().horizontalAdvance(w.Text1->text()) + 4 <= textArea.width());
        for (const ValueLabel* label : w.findChildren<ValueLabel*>()) {
            QCOMPARE(label->styleSheet(), w.Label11->styleSheet());
            QCOMPARE(label->frameStyle(), w.Label11->frameStyle());
        }
    }

    void focusStartsOnPrintAndTabsInOrder()
    {
        WindowFixture f;
        Numero& w = f.start();
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QCOMPARE(QApplication::focusWidget(), w.cmd_print);
        const QStringList expected = {"cmd_end", "ud_x", "ud_Y", "UpDown1", "UpDown2", "List1", "UpDown3",
                                      "UpDown4", "UpDown5", "UpDown6", "opt_org(0)", "Chk_Bold", "UpDown7",
                                      "Picture1(0)"};
        for (const QString& name : expected) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget()->objectName(), name);
        }

        // The organisation group's stop is its selected button.
        w.opt_org[1]->setChecked(true);
        w.UpDown6->setFocus();
        for (const char* name : {"ud_folio", "opt_org(1)", "Chk_Bold"}) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget()->objectName(), QString(name));
        }
    }

    void withoutSettingsTheWindowOpensEmptied()
    {
        WindowFixture f;
        Numero& w = f.start();
        QVERIFY(w.isVisible());
        QCOMPARE(w.Lbl_Debut->text(), QString("0001"));
        QCOMPARE(w.Lbl_NbCarnet->text(), QString("012"));
        QCOMPARE(w.Lbl_Try->text(), QString("0001"));
        QCOMPARE(w.Lbl_folio->text(), QString("1"));
        for (const ValueLabel* l : {w.Lbl_X, w.Lbl_Y, w.Lbl_E, w.Lbl_H, w.Lbl_B, w.Lbl_Size, w.Lbl_Count, w.Lbl_Der, w.Lbl_page})
            QVERIFY2(l->text().isEmpty(), qPrintable(l->objectName()));
        QVERIFY(w.opt_org[0]->isChecked());
        QVERIFY(!w.Lbl_folio->isVisible() && !w.ud_folio->isVisible());
        QCOMPARE(w.Chk_Bold->checkState(), Qt::Unchecked);
        QCOMPARE(w.list1Text(), QString());
        QCOMPARE(w.sampleColour(), 0u);
        QCOMPARE(w.Line_X->x1(), 2000.f);
        QCOMPARE(w.Line_Y->y1(), 1000.f);
        QCOMPARE(w.Line_E->y2(), 1000.f);
        // The printer's fonts, sorted without regard to case.
        QStringList listed;
        for (int i = 0; i < w.List1->count(); ++i)
            listed << w.List1->item(i)->text();
        QCOMPARE(listed, QStringList({"arial", "Bitstream", "Courier", "Zapf"}));
    }

    void savingAndStartingAgainRestoresEveryParameter()
    {
        WindowFixture f;
        f.writeSettingsFile(completeFile);
        {
            Numero& w = f.start();
            QCOMPARE(w.list1Text(), QString("Courier"));
            QCOMPARE(w.Lbl_Size->text(), QString("14"));
            QCOMPARE(w.Chk_Bold->checkState(), Qt::Checked);
            QCOMPARE(w.sampleColour(), 0xFF0000u);
            QCOMPARE(w.inkColour(), 0xFF0000u);
            QVERIFY(w.opt_org[1]->isChecked());
            QCOMPARE(w.Lbl_folio->text(), QString("4"));
            QCOMPARE(w.Lbl_H->text(), QString("5"));
            QCOMPARE(w.Lbl_B->text(), QString("22"));
            QCOMPARE(w.Lbl_X->text(), QString("20"));
            QCOMPARE(w.Lbl_Y->text(), QString("30"));
            QCOMPARE(w.Lbl_E->text(), QString("90"));
            f.dialogs.answers = {true};
            w.cmd_end->click();
            QCOMPARE(f.dialogs.questions, QStringList("Voulez-vous enregistrer les paramètres ci-dessus"));
            QVERIFY(!w.isVisible());
        }
        QFile file(f.settingsPath);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), completeFile); // the same values, written back in place
        QVERIFY(f.dialogs.messages.isEmpty());
    }

    void answeringNoWritesNothing()
    {
        WindowFixture f;
        Numero& w = f.start();
        f.dialogs.answers = {false};
        w.cmd_end_Click();
        QVERIFY(!QFile::exists(f.settingsPath));
        QVERIFY(!w.isVisible());

        // Closing the window any other way asks nothing.
        WindowFixture g;
        Numero& other = g.start();
        other.close();
        QVERIFY(g.dialogs.questions.isEmpty());
    }

    void aSaveThatFailsLosesNothing()
    {
        WindowFixture f;
        f.writeSettingsFile(completeFile);
        Numero& w = f.start();
        w.Lbl_X->setCaption("25");
        auto lock = std::make_optional<WriteLock>(f.settingsPath);

        // Back to the window: it stays open with the changes.
        f.dialogs.answers = {true};
        f.dialogs.choices = {1};
        w.cmd_end_Click();
        QCOMPARE(f.dialogs.messages.size(), 1);
        QVERIFY(f.dialogs.messages.first().startsWith("Les paramètres n'ont pas pu être enregistrés dans « "
                                                      + QDir::toNativeSeparators(f.settingsPath) + " » : "));
        QVERIFY(w.isVisible());
        QCOMPARE(bytesOf(f.settingsPath), completeFile);

        // Trying again once the file can be written saves, then quits.
        f.dialogs.answers = {true};
        f.dialogs.choices = {0};
        f.dialogs.whileMessageShown = [&] { lock.reset(); };
        w.cmd_end_Click();
        QVERIFY(!w.isVisible());
        QCOMPARE(readSettings(f.settingsPath).x, QString("25"));

        // Quitting without saving.
        Numero& again = f.start();
        again.Lbl_X->setCaption("40");
        f.dialogs.whileMessageShown = nullptr;
        const WriteLock stays(f.settingsPath);
        f.dialogs.answers = {true};
        f.dialogs.choices = {2};
        again.cmd_end_Click();
        QVERIFY(!again.isVisible());
        QCOMPARE(readSettings(f.settingsPath).x, QString("25"));
    }

    void oddSettingsNeitherCrashNorStopTheStart()
    {
        WindowFixture f;
        f.writeSettingsFile("Name=nowhere\n[Font]\nSize=-9\ncouleur=1e999999\nName=\xff\xfe\x01\n[Tickets]\rOrg=True\rFolio=0\r"
                            "[Pos]\nX=1e9\nY=abc\nE=1,5\n");
        Numero& w = f.start();
        QVERIFY(w.isVisible());
        QCOMPARE(w.Lbl_X->text(), QString("1e9"));
        QCOMPARE(w.Line_X->x1(), float(2000 + 10 * 1e9));
        QCOMPARE(w.Lbl_Y->text(), QString("abc"));
        QCOMPARE(w.Line_Y->y1(), 1000.f);
        QCOMPARE(w.Line_E->y1(), 1010.f);
        QCOMPARE(w.Lbl_folio->text(), QString("0"));
        QCOMPARE(w.sampleColour(), 0u);
        QCOMPARE(w.list1Text(), QString());
    }

    void anUnknownStoredFontSurvivesASave()
    {
        WindowFixture f;
        f.writeSettingsFile("[Font]\r\nName=Comic Sans MS\r\n");
        Numero& w = f.start();
        QCOMPARE(w.list1Text(), QString()); // not on this machine: the window's fallback
        f.dialogs.answers = {true, true};
        w.cmd_end_Click();
        QVERIFY(bytesOf(f.settingsPath).startsWith("[Font]\r\nName=Comic Sans MS\r\n"));

        Numero& again = f.start();
        again.setList1Text("Courier");
        again.cmd_end_Click();
        QVERIFY(bytesOf(f.settingsPath).startsWith("[Font]\r\nName=Courier\r\n"));
    }

    void anUnreadableSettingsFileIsSaid()
    {
        WindowFixture f;
        QVERIFY(QDir().mkpath(f.settingsPath)); // there, but no file to read
        Numero& w = f.start();
        QVERIFY(w.isVisible());
        QCOMPARE(f.dialogs.messages.size(), 1);
        QVERIFY(f.dialogs.messages.first().contains(QDir::toNativeSeparators(f.settingsPath)));
        QCOMPARE(w.Lbl_X->text(), QString());
    }

    // Built into the Windows program, the system's own elsewhere.
    void standardDialogsSpeakFrench()
    {
        installFrenchTranslations(*QCoreApplication::instance());
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "&Yes"), QString("&Oui"));
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QString("Annuler"));
    }

    // Escape in a box of choices is the safe choice, never the last button.
    void escapeInAChoiceLosesNothing()
    {
        QtPrinter printer;
        QtDialogs dialogs(printer);
        QTimer::singleShot(0, [] {
            QTRY_VERIFY(QApplication::activeModalWidget());
            QTest::keyClick(QApplication::activeModalWidget(), Qt::Key_Escape);
        });
        QCOMPARE(dialogs.choice("?", {"Réessayer", "Revenir à la fenêtre", "Quitter sans enregistrer"}, 1), 1);
    }

    // The quit question keeps its Yes and No, and nothing else answers it: Escape and the
    // window's close leave it open, so the settings are never lost by a key pressed by habit.
    void theQuitQuestionIgnoresEscapeAndClose()
    {
        QtPrinter printer;
        QtDialogs dialogs(printer);
        bool stillOpen = false;
        QTimer::singleShot(0, [&] {
            QTRY_VERIFY(QApplication::activeModalWidget());
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QTest::keyClick(box, Qt::Key_Escape);
            box->close();
            QTest::qWait(50);
            stillOpen = box->isVisible();
            QCOMPARE(box->buttons().size(), 2);
            box->button(QMessageBox::Yes)->click();
        });
        QVERIFY(dialogs.question("Voulez-vous enregistrer les paramètres ci-dessus"));
        QVERIFY(stillOpen);
    }

    void printerPropertiesOpensThePrinterDialog()
    {
        WindowFixture f;
        Numero& w = f.start();
        w.Command2->click();
        QCOMPARE(f.dialogs.printerDialogs, 1);
    }
};

QTEST_MAIN(TestWindow)
#include "test_window.moc"
