#include "window_fixture.h"

#include <QCheckBox>
#include <QListWidget>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

using namespace calvorigne;
using namespace calvorigne::testing;

namespace {

void clickArrow(UpDown* spinner, bool up)
{
    QTest::mouseClick(spinner, Qt::LeftButton, {}, QPoint(spinner->width() / 2, up ? 2 : spinner->height() - 3));
}

QList<float> ends(const GuideLine* l)
{
    return {l->x1(), l->y1(), l->x2(), l->y2()};
}

} // namespace

class TestEditing : public QObject {
    Q_OBJECT
private slots:
    void spinnersStepFromWhatTheirLabelShows()
    {
        WindowFixture f;
        Numero& w = f.start();

        // An empty size caption reads as 0 and is held at the bottom of the range, 8.
        QList<double> sampleSizes;
        for (int k = 0; k < 3; ++k) {
            clickArrow(w.UpDown2, true);
            sampleSizes << w.Lbl_Try->font().pointSizeF();
        }
        QCOMPARE(w.Lbl_Size->text(), QString("14"));
        QCOMPARE(sampleSizes, QList<double>({10, 12, 14}));

        w.Lbl_E->setCaption("1");
        clickArrow(w.UpDown1, false);
        QCOMPARE(w.Lbl_E->text(), QString("1"));

        w.Lbl_Debut->setCaption("4");
        QCOMPARE(w.Lbl_Debut->text(), QString("0004"));
        clickArrow(w.UpDown3, true);
        QCOMPARE(w.Lbl_Debut->text(), QString("0005"));
        w.Lbl_NbCarnet->setCaption("11");
        clickArrow(w.UpDown4, true);
        QCOMPARE(w.Lbl_NbCarnet->text(), QString("012"));
        QCOMPARE(w.UpDown4->value(), 12);

        // At a bound a click writes nothing.
        w.opt_org[1]->setChecked(true);
        w.Lbl_folio->setCaption("10");
        QSignalSpy changes(w.Lbl_folio, &ValueLabel::changed);
        clickArrow(w.ud_folio, true);
        QCOMPARE(w.Lbl_folio->text(), QString("10"));
        QCOMPARE(changes.count(), 0);

        // The keyboard steps a spinner that has the focus.
        w.Lbl_X->setCaption("12");
        QTest::keyClick(w.ud_x, Qt::Key_Up);
        QCOMPARE(w.Lbl_X->text(), QString("13"));
        QTest::keyClick(w.ud_x, Qt::Key_Down);
        QTest::keyClick(w.ud_x, Qt::Key_Down);
        QCOMPARE(w.Lbl_X->text(), QString("11"));

        // Holding an arrow down repeats.
        const QPoint up(w.ud_Y->width() / 2, 2);
        QTest::mousePress(w.ud_Y, Qt::LeftButton, {}, up);
        QTest::qWait(700);
        QTest::mouseRelease(w.ud_Y, Qt::LeftButton, {}, up);
        const int reached = w.Lbl_Y->text().toInt();
        QVERIFY(reached > 2);
        QTest::qWait(200);
        QCOMPARE(w.Lbl_Y->text().toInt(), reached);
    }

    void theFirstNumberDialogAnswers()
    {
        WindowFixture f;
        Numero& w = f.start();
        const struct { std::optional<QString> answer; const char* shown; } cases[] = {
            {std::nullopt, "0000"}, {"12", "0012"},   {"7 500", "7500"},   {"12.5", "0013"},
            {"-3", "-0003"},        {"  42", "0042"}, {"42 abc", "0042"}, {"99999", "99999"},
            {"douze", "0000"},
        };
        for (const auto& c : cases) {
            f.dialogs.inputs = {c.answer};
            QTest::mouseDClick(w.Lbl_Debut, Qt::LeftButton);
            QCOMPARE(w.Lbl_Debut->text(), QString(c.shown));
        }
        QCOMPARE(f.dialogs.prompts.first(), QString("Entrez le premier numéro :"));

        // The spinner follows the typed number.
        f.dialogs.inputs = {QString("100")};
        w.Lbl_Debut_DblClick();
        clickArrow(w.UpDown3, true);
        QCOMPARE(w.Lbl_Debut->text(), QString("0101"));

        f.dialogs.inputs = {QString("1e999")};
        w.Lbl_Debut_DblClick();
        QCOMPARE(w.Lbl_Debut->text(), QString("0101"));
        QCOMPARE(f.dialogs.messages.size(), 1);
    }

    void theFolioControlsComeAndGoTogether()
    {
        WindowFixture f;
        Numero& w = f.start();
        QTest::mouseClick(w.opt_org[1], Qt::LeftButton);
        QVERIFY(w.Lbl_folio->isVisible() && w.ud_folio->isVisible());
        QTest::mouseClick(w.opt_org[0], Qt::LeftButton);
        QVERIFY(!w.Lbl_folio->isVisible() && !w.ud_folio->isVisible());
        QTest::mouseClick(w.opt_org[0], Qt::LeftButton);
        QVERIFY(!w.Lbl_folio->isVisible() && !w.ud_folio->isVisible());
    }

    void theGuideLinesFollowXYAndE()
    {
        WindowFixture f;
        Numero& w = f.start();
        w.Lbl_X->setCaption("12");
        QCOMPARE(w.Line_X->x1(), 2120.f);
        QCOMPARE(w.Line_X->x2(), 2120.f);
        w.Lbl_X->setCaption("12.5");
        QCOMPARE(w.Line_X->x1(), 2125.f);
        w.Lbl_X->setCaption("210");
        QCOMPARE(w.Line_X->x2(), 4100.f);
        QCOMPARE(w.Line_X->y1(), 705.f);
        w.Lbl_Y->setCaption("297");
        QCOMPARE(w.Line_Y->y1(), 3970.f);

        w.Lbl_E->setCaption("5");
        w.Lbl_Y->setCaption("20");
        QCOMPARE(w.Line_Y->y1(), 1200.f);
        QCOMPARE(w.Line_E->y1(), 1250.f);
        w.Lbl_Y->setCaption("30");
        QCOMPARE(w.Line_Y->y2(), 1300.f);
        QCOMPARE(w.Line_E->y2(), 1350.f);
        w.Lbl_Y->setCaption("20");
        w.Lbl_E->setCaption("8");
        QCOMPARE(w.Line_E->y1(), 1280.f);
        QCOMPARE(w.Line_Y->y1(), 1200.f);
        QCOMPARE(ends(w.Line_E), QList<float>({1995, 1280, 4290, 1280}));
        QCOMPARE(w.Line_E->style(), Qt::DashLine);

        // The same values give the same picture whatever the order of the edits.
        WindowFixture g;
        Numero& other = g.start();
        other.Lbl_E->setCaption("8");
        other.Lbl_X->setCaption("210");
        other.Lbl_Y->setCaption("20");
        for (auto [a, b] : {std::pair{w.Line_X, other.Line_X}, {w.Line_Y, other.Line_Y}, {w.Line_E, other.Line_E}})
            QCOMPARE(ends(a), ends(b));

        // A value single precision cannot hold leaves the line where it is.
        w.Lbl_X->setCaption("1e308");
        QCOMPARE(w.Line_X->x1(), 4100.f);
        w.Lbl_E->setCaption("1e999");
        QCOMPARE(w.Line_E->y1(), 1280.f);

        // A line far below the page keeps its place but is not painted between the frames.
        w.Lbl_Y->setCaption("300");
        QCOMPARE(w.Line_Y->y1(), 4000.f);
        const QImage picture = w.grab().toImage();
        const QPoint gap(3600 / 15, 4000 / 15); // between "Numérotation" and "Police"
        QCOMPARE(picture.pixelColor(gap), w.palette().color(QPalette::Window));
    }

    void theSampleShowsFontSizeBoldAndInk()
    {
        WindowFixture f;
        Numero& w = f.start();
        QTest::mouseClick(w.Picture1[1], Qt::LeftButton);
        QCOMPARE(w.inkColour(), 0x0000FFu);
        QCOMPARE(w.Lbl_Try->palette().color(QPalette::WindowText), QColor(255, 0, 0));
        QTest::keyClick(w.Picture1[2], Qt::Key_Space);
        QCOMPARE(w.sampleColour(), 0x0080FFu);
        QTest::mouseClick(w.Picture1[0], Qt::LeftButton);
        QCOMPARE(w.inkColour(), 0u);

        QTest::mouseClick(w.Chk_Bold, Qt::LeftButton);
        QVERIFY(w.Lbl_Try->font().bold());
        QVERIFY(!w.Lbl_Try->font().italic());
        QTest::mouseClick(w.Chk_Bold, Qt::LeftButton);
        QVERIFY(!w.Lbl_Try->font().bold());

        // An empty name shows the window's own family; a size of 0 keeps the last drawn size.
        QCOMPARE(w.Lbl_Try->font().family(), w.font().family());
        w.Lbl_Size->setCaption("12");
        const int narrow = w.Lbl_Try->width();
        w.Lbl_Size->setCaption("24");
        QCOMPARE(w.Lbl_Try->font().pointSizeF(), 24.0);
        QVERIFY(w.Lbl_Try->width() > narrow); // the sample sizes itself to its text
        for (const char* undrawable : {"0", "1e308"}) {
            w.Lbl_Size->setCaption(undrawable);
            QCOMPARE(w.Lbl_Try->font().pointSizeF(), 24.0);
        }

        w.List1->setCurrentRow(2);
        QCOMPARE(w.Lbl_Try->font().family(), QString("Courier"));

        // Scrolling the list redraws the sample with what is already chosen.
        for (int k = 0; k < 30; ++k)
            w.List1->addItem(QStringLiteral("Font %1").arg(k));
        QApplication::processEvents();
        QVERIFY(w.List1->verticalScrollBar()->maximum() > 3);
        w.Picture1[5]->setFocus();
        QTest::mouseClick(w.Picture1[5], Qt::LeftButton);
        w.setSampleColour(0);
        w.List1->verticalScrollBar()->setValue(w.List1->verticalScrollBar()->value() + 3);
        QCOMPARE(w.sampleColour(), 0xFF0000u);

        clickArrow(w.UpDown7, true);
        QCOMPARE(w.Lbl_Try->text(), QString("0002"));
    }

    void aStoredFoliatedLayoutOpensInPlace()
    {
        WindowFixture f;
        f.writeSettingsFile("[Font]\r\nName=courier\r\nSize=12\r\nBold=True\r\ncouleur=255\r\n[Tickets]\r\nOrg=True\r\nFolio=4\r\n"
                            "[Pos]\r\nX=012\r\nY=20\r\nE=5\r\n");
        Numero& w = f.start();
        QVERIFY(w.Lbl_folio->isVisible() && w.ud_folio->isVisible());
        QCOMPARE(w.Lbl_folio->text(), QString("4"));
        QCOMPARE(w.Lbl_X->text(), QString("012"));
        QCOMPARE(w.Line_X->x1(), 2120.f);
        QCOMPARE(w.Line_Y->y1(), 1200.f);
        QCOMPARE(w.Line_E->y1(), 1250.f);
        QCOMPARE(w.Lbl_Try->font().family(), QString("Courier"));
        QCOMPARE(w.Lbl_Try->font().pointSizeF(), 12.0);
        QVERIFY(w.Lbl_Try->font().bold());
        QCOMPARE(w.sampleColour(), 255u);
        // The stored colour is the ink too: ticking bold keeps the sample red.
        QTest::mouseClick(w.Chk_Bold, Qt::LeftButton);
        QCOMPARE(w.sampleColour(), 255u);
    }
};

QTEST_MAIN(TestEditing)
#include "test_editing.moc"
