// A printer's measured error: the fit that finds it from marks, the settings file that keeps
// it for that printer alone, and the runs that print through its inverse.
#include "correction/ruler.h"
#include "correction/sheet.h"
#include "correction/store.h"
#include "fakes.h"
#include "print/printrun.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

using namespace calvorigne;
using namespace calvorigne::testing;

namespace {

// Worked example 1, with the numbers x mm from the left.
FakeLayout exampleOne(const QString& x = "20")
{
    return exampleLayout(12, 1, x);
}

} // namespace

class TestCorrection : public QObject {
    Q_OBJECT

private slots:
    void theFitFindsOffsetScaleAndTurnAndRefusesMarksInALine()
    {
        const PrinterCorrection truth{2.3, -1.8, 1.006, 0.994, 0.7};
        const std::vector<QPointF> asked = {{20, 20}, {190, 20}, {20, 277}, {190, 277}, {105, 148.5}};
        std::vector<QPointF> landed;
        QRandomGenerator noise(7);
        for (const QPointF& p : asked)
            landed.push_back(truth.landing().map(p) + QPointF(noise.bounded(0.1) - 0.05, noise.bounded(0.1) - 0.05));
        const CorrectionFit fit = fitCorrection(asked, landed);
        QVERIFY(fit.refusal.isEmpty());
        QVERIFY(std::abs(fit.correction.dx - truth.dx) < 0.1 && std::abs(fit.correction.dy - truth.dy) < 0.1);
        QVERIFY(std::abs(fit.correction.sx - truth.sx) < 0.001 && std::abs(fit.correction.sy - truth.sy) < 0.001);
        QVERIFY(std::abs(fit.correction.degrees - truth.degrees) < 0.03);
        QVERIFY(fit.worst < 0.1);
        QCOMPARE(fit.residuals.size(), asked.size());
        // Printing through the inverse puts a point back where it was asked.
        const QPointF p(57, 211);
        const QPointF back = truth.landing().map(truth.asking().map(p));
        QVERIFY(std::hypot(back.x() - p.x(), back.y() - p.y()) < 1e-9);

        QCOMPARE(fitCorrection({{20, 20}, {100, 100}, {180, 180}}, {{21, 20}, {101, 100}, {181, 180}}).refusal,
                 QString("les repères sont presque alignés"));
        QVERIFY(!fitCorrection({{20, 20}, {100, 100}}, {{21, 20}, {101, 100}}).refusal.isEmpty());

        // The settings file's form, and what a hand edit may make of it.
        QCOMPARE(PrinterCorrection::fromKey(truth.key())->key(), truth.key());
        for (const char* nonsense : {"", "1 2 3", "a b c d e", "0 0 1.2 1 0", "30 0 1 1 0", "0 0 1 1 nan"})
            QVERIFY2(!PrinterCorrection::fromKey(nonsense), qPrintable(nonsense));
        QCOMPARE(truth.words(), QString("décalage +2,3\u00a0mm vers la droite, \u22121,8\u00a0mm vers le bas, échelle 100,6\u00a0% "
                                        "en largeur, 99,4\u00a0% en hauteur, rotation +0,70°"));
        // What rounds to nothing carries no sign.
        QCOMPARE(PrinterCorrection({-0.04, 0.03, 1, 1, -0.004}).words(),
                 QString("décalage 0,0\u00a0mm vers la droite, 0,0\u00a0mm vers le bas, échelle 100,0\u00a0%"));
    }

    void aRulerGivesTheCorrectionWithinWhatARulerHolds()
    {
        const QSizeF a4(210, 297);
        const PrinterCorrection truth{1.8, -2.4, 1.004, 0.996, 0.3};
        const auto typedFor = [&](int pass, bool comma) {
            QStringList typed;
            for (const CalibrationTarget& target : rulerTargets(a4, pass)) {
                // Read off the sheet to the half millimetre.
                const QPointF landed = truth.landing().map(target.at);
                for (const double mm : {landed.x(), landed.y()})
                    typed << QString::number(std::round(mm * 2) / 2, 'f', 1).replace('.', comma ? ',' : '.');
            }
            return typed;
        };
        for (int pass = 1; pass <= 2; ++pass)
            for (const bool comma : {true, false}) {
                const RulerReading reading = rulerCorrection(a4, pass, typedFor(pass, comma));
                QVERIFY2(reading.correction, qPrintable(reading.refusal));
                // Within 0.5 mm over what the three targets span, the middle of the sheet included.
                std::vector<QPointF> places = {QPointF(105, 148.5)};
                for (const CalibrationTarget& target : rulerTargets(a4, pass))
                    places.push_back(target.at);
                for (const QPointF& place : places) {
                    const QPointF off = reading.correction->landing().map(place) - truth.landing().map(place);
                    QVERIFY(std::hypot(off.x(), off.y()) <= 0.5);
                }
            }
        const auto refusal = [&](int index, const QString& text) {
            QStringList typed = typedFor(1, true);
            if (index >= 0)
                typed[index] = text;
            else
                typed = {"20", "20", "100", "100", "180", "180"};
            return rulerCorrection(a4, 1, typed).refusal;
        };
        QCOMPARE(refusal(2, "2O,4"), QString("« 2O,4 » n'est pas une distance en millimètres (B, du bord gauche)."));
        QCOMPARE(refusal(5, "300"), QString("C à 300 mm du bord haut : c'est hors de la feuille, qui mesure 297 mm."));
        QCOMPARE(refusal(0, ""), QString("Il manque la distance de A du bord gauche."));
        QVERIFY(refusal(-1, {}).contains("presque en ligne"));
        QVERIFY(refusal(3, "60").contains("mesurez à nouveau"));
    }

    void eachPassPrintsThroughItsInverseOnItsOwnPrinterOnly()
    {
        QTemporaryDir folder;
        const QString settings = folder.filePath("Calvorigne.ini");
        const PrinterCorrection first{0.4, -0.2, 1.003, 1.003, 0}, second{-1.5, 2.5, 0.995, 0.998, -0.4};
        QVERIFY(storeCorrection(settings, "Test", 1, first) && storeCorrection(settings, "Test", 2, second));
        QVERIFY(!storedCorrections(settings, "Autre").any());
        const PrinterCorrections stored = storedCorrections(settings, "Test");
        QCOMPARE(stored.words(), QString("passage 1 : décalage +0,4\u00a0mm vers la droite, \u22120,2\u00a0mm vers le bas, "
                                         "échelle 100,3\u00a0% ; passage 2 : décalage \u22121,5\u00a0mm vers la droite, +2,5\u00a0mm "
                                         "vers le bas, échelle 99,5\u00a0% en largeur, 99,8\u00a0% en hauteur, rotation \u22120,40°"));

        RecordingPrinter printer;
        ScriptedDialogs dialogs;
        FakeLayout l = exampleOne();
        l.model.columns = 2;
        l.model.pitch = 90;
        l.model.stubs = {{-15, 0, std::nullopt, 90}};
        PrintRun run(l, printer, dialogs);
        run.setCorrections(stored);
        run.run();
        QCOMPARE(printer.documents.size(), std::size_t(2));
        // What each pass is asked lands, through that pass's printer error, where the plan puts it.
        for (int pass = 0; pass < 2; ++pass) {
            const QTransform landing = stored.pass[pass]->landing();
            for (const Page& page : printer.documents[std::size_t(pass)])
                for (const Printed& text : page) {
                    const QPointF asked(text.left, text.top);
                    const QPointF landed = landing.map(text.correction.map(asked));
                    QVERIFY(std::hypot(landed.x() - asked.x(), landed.y() - asked.y()) < 1e-6);
                    QVERIFY(!text.correction.isIdentity());
                }
        }
        // Forgotten for pass 2, that pass prints as asked; another printer's runs never see it.
        QVERIFY(storeCorrection(settings, "Test", 2, std::nullopt));
        QVERIFY(!storedCorrections(settings, "Test").pass[1] && storedCorrections(settings, "Test").pass[0]);

        // A correction that would push a number off the paper refuses the run with the words
        // the paper alone would give.
        FakeLayout nearTheEdge = exampleOne("170");
        const QString plain = planRun(nearTheEdge, printer).refusal;
        QVERIFY(plain.isEmpty());
        PrinterCorrections pushed;
        pushed.pass[1] = PrinterCorrection{-15, 0, 1, 1, 0};
        const QString refused = planRun(nearTheEdge, printer, pushed).refusal;
        QCOMPARE(refused, planRun(exampleOne("185"), printer).refusal);
        QVERIFY(refused.contains("dépasserait le bord droit"));
    }
};

QTEST_GUILESS_MAIN(TestCorrection)
#include "test_correction.moc"
