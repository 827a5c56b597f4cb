// Layouts the printer button refuses before anything is printed: values that make no run,
// numbers off the paper, and texts of a page whose ink would touch.
#include "window_fixture.h"

#include <QLocale>
#include <QTest>

using namespace calvorigne;
using namespace calvorigne::testing;

class TestRefusals : public QObject {
    Q_OBJECT
private slots:
    void impossibleLayoutsAreRefusedBeforeAnythingIsPrinted()
    {
        const struct { const char* field; const char* value; const char* message; } cases[] = {
            {"Lbl_folio", "0", "Le nombre de folios doit être au moins égal à 1."},
            {"Lbl_E", "", "L'écart entre deux numéros doit être supérieur à 0 mm."},
            {"Lbl_H", "290", "Aucun numéro ne tient dans la hauteur de la page : réduisez les marges ou l'écart."},
            {"Lbl_Size", "0", "La taille des caractères doit être supérieure à 0."},
            {"Lbl_Début", "1e300", "Les numéros de ce tirage sont trop grands pour être imprimés."},
            // Rows per page ignore Y: the first row would stand below the paper, or the second
            // be cut by its edge.
            {"Lbl_Y", "292", "Le numéro 0001 tomberait sous le bas de la feuille : réduisez Y, H ou l'écart."},
            {"Lbl_Y", "200", "Le numéro 0002 tomberait sous le bas de la feuille : réduisez Y, H ou l'écart."},
            {"Lbl_Y", "-10", "Le numéro 0001 tomberait au-dessus du haut de la feuille : augmentez Y ou H."},
            {"Lbl_X", "180", "Le numéro 0001 dépasserait le bord droit de la feuille : réduisez X ou B."},
        };
        for (const auto& c : cases) {
            WindowFixture f;
            Numero& w = f.start();
            layOutExample(w, "1", "12", "1");
            w.findChild<ValueLabel*>(QString::fromUtf8(c.field))->setCaption(c.value);
            w.cmd_print_Click();
            QCOMPARE(f.dialogs.messages, QStringList(QString::fromUtf8(c.message)));
            QVERIFY(f.printer.documents.empty() && f.printer.setups.isEmpty());
            QVERIFY(w.Lbl_Der->text().isEmpty() && w.Lbl_Count->text().isEmpty());
            QVERIFY(!f.dialogs.busy);
        }
    }

    // Texts of one page whose ink would touch refuse the run before anything is printed, naming
    // the two, the control as the window labels it and the smallest value that clears them: at
    // that value the run prints, a tenth below it is still refused. Rows closer than their
    // character cells are high, their digits apart, print.
    void overlappingNumbersAreRefused()
    {
        struct Case {
            TicketModel model;
            const char* spacing;
            const char* message; // up to the value
        };
        const Case cases[] = {
            {twoColumnsWithAStub(0, -30, 0), "90", "Le numéro 0004 (colonne 2) recouvrirait 0001 : augmentez « Écart entre colonnes »."},
            {twoColumnsWithAStub(5, -30, 0), "90", "Le numéro 0004 (colonne 2) recouvrirait 0001 : portez « Écart entre colonnes » à "},
            {TicketModel(), "2.5", "Le numéro 0002 recouvrirait 0001 : portez « E » à "},
            {twoColumnsWithAStub(80, 82, 0), "90", "La souche 1 du numéro 0001 recouvrirait le numéro 0004 : changez son "
                                                      "décalage, sa taille ou sa rotation."},
        };
        const auto attempt = [](const TicketModel& model, const QString& spacing) {
            WindowFixture f;
            Numero& w = f.start();
            layOutExample(w, "1", "6", "1");
            w.Lbl_E->setCaption(spacing);
            w.setTicketModel(model);
            w.cmd_print_Click();
            const bool printed = !f.printer.documents.empty();
            return std::pair(printed, f.dialogs.messages.value(0));
        };
        for (const Case& c : cases) {
            const auto [printed, message] = attempt(c.model, c.spacing);
            QVERIFY2(!printed && message.startsWith(QString::fromUtf8(c.message)), qPrintable(message));
            const QString value = message.section(QStringLiteral(" à "), -1).section(QStringLiteral(" mm au moins."), 0, 0);
            if (value == message)
                continue;
            const double smallest = QLocale(QLocale::French).toDouble(value);
            QVERIFY2(smallest > 0, qPrintable(message));
            for (const double tried : {smallest, smallest - 0.1}) {
                TicketModel model = c.model;
                QString spacing = c.spacing;
                if (model.columns > 1)
                    model.pitch = tried;
                else
                    spacing = QString::number(tried);
                QCOMPARE(attempt(model, spacing).first, tried == smallest);
            }
        }
        // 4 mm apart at 10 and 12 points: the cells touch, the digits do not.
        for (const char* size : {"10", "12"}) {
            WindowFixture f;
            Numero& w = f.start();
            layOutExample(w, "1", "6", "1");
            w.Lbl_E->setCaption("4");
            w.Lbl_Size->setCaption(size);
            w.cmd_print_Click();
            QVERIFY2(!f.printer.documents.empty(), qPrintable(f.dialogs.messages.join(u'\n')));
        }
    }
};

QTEST_MAIN(TestRefusals)
#include "test_refusals.moc"
