// « Suivi de la tombola » as a user sees it: forms filled and saved, refusals that keep what was
// typed, the tabs and their filters, a receipt and a spreadsheet written, undo asked first.
#include "fakes.h"
#include "files.h"
#include "raffle_fixture.h"
#include "draw/algorithm.h"
#include "ui/raffle/drawwindow.h"
#include "ui/raffle/form.h"
#include "ui/raffle/roomdisplay.h"
#include "ui/raffle/rafflewindow.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTableWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

using namespace calvorigne;
using namespace calvorigne::testing;

namespace {

QPushButton* button(QWidget* window, const QString& text)
{
    for (QPushButton* b : window->findChildren<QPushButton*>())
        if (b->text() == text)
            return b;
    return nullptr;
}

// The form the button opened, its fields in order.
struct Opened {
    Form* form = nullptr;
    QList<QLineEdit*> texts;
    QList<QComboBox*> choices;
};
// The form a button or an action opened, its fields in order.
Opened shown(QWidget* window)
{
    Opened opened;
    for (Form* form : window->findChildren<Form*>())
        if (form->isVisible())
            opened.form = form;
    if (opened.form) {
        for (QLineEdit* line : opened.form->findChildren<QLineEdit*>())
            if (!line->parent()->inherits("QAbstractSpinBox") && !line->parent()->inherits("QComboBox"))
                opened.texts << line;
        opened.choices = opened.form->findChildren<QComboBox*>();
    }
    return opened;
}
Opened open(QWidget* window, const QString& text)
{
    button(window, text)->click();
    return shown(window);
}

QStringList column(QTableView* view, int column)
{
    QStringList cells;
    for (int row = 0; row < view->model()->rowCount(); ++row)
        cells << view->model()->index(row, column).data().toString();
    return cells;
}

} // namespace

class TestRaffleWindow : public QObject {
    Q_OBJECT
private slots:
    void handingOutBringingBackAndUndoing()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("registre.sqlite");
        SmallRaffle small;
        {
            RaffleRegister reg(path, 0);
            small.make(reg);
        }
        ScriptedDialogs dialogs;
        auto* window = new RaffleWindow(std::make_unique<RaffleRegister>(path, 0), dialogs, {});
        window->show();
        auto* tabs = window->findChild<QTabWidget*>();
        auto* sellers = qobject_cast<QTableView*>(tabs->widget(0));
        QCOMPARE(column(sellers, 0), QStringList({"Martine Dupont", "Paul Martin", "Total"}));

        // Handed out, with its receipt saved as a PDF.
        Opened out = open(window, "Remettre des carnets…");
        QVERIFY(out.form && out.form->isVisible());
        out.choices[0]->setCurrentIndex(0);
        out.texts[0]->setText("1-2");
        const QString receipt = dir.filePath("bon.pdf");
        dialogs.choices = {1};
        dialogs.files = {receipt};
        out.form->save();
        QVERIFY(!out.form->isVisible());
        QCOMPARE(dialogs.messages, QStringList({"Le bon de remise de Martine Dupont est prêt."}));
        QVERIFY(bytesOf(receipt).startsWith("%PDF"));
        dialogs.messages.clear();
        QCOMPARE(column(sellers, 1), QStringList({"10", "0", "10"}));
        QVERIFY(window->findChildren<QLabel*>().value(1)->text().contains("Remis : 10 = 0 vendu + 0 invendu + 0 annulé + 0 perdu + 10 "
                                                                          "encore chez les vendeurs."));

        // Refused: said, and the form stays with what was typed.
        QTRY_VERIFY(window->findChildren<Form*>().isEmpty());
        Opened again = open(window, "Remettre des carnets…");
        again.choices[0]->setCurrentIndex(1);
        again.texts[0]->setText("2-3");
        again.form->save();
        QCOMPARE(dialogs.messages.value(0),
                 QString("Rien n'a été remis à Paul Martin : les billets 0006 à 0010 sont déjà chez Martine Dupont."));
        QVERIFY(again.form->isVisible());
        QCOMPARE(again.texts[0]->text(), QString("2-3"));
        again.form->reject();

        // Brought back with one unsold; the filters and the tabs follow.
        QTRY_VERIFY(window->findChildren<Form*>().isEmpty());
        Opened back = open(window, "Retour de carnets…");
        back.texts[0]->setText("1");
        back.texts[1]->setText("0004");
        back.form->save();
        QCOMPARE(column(sellers, 2), QStringList({"4", "0", "4"}));
        QCOMPARE(sellers->model()->index(0, 9).data().toString(), QString("-8,00\u00A0€"));
        QCOMPARE(sellers->model()->index(0, 9).data(Qt::ForegroundRole).value<QColor>(), QColor(0xB0, 0x00, 0x20));
        window->setFilter(RaffleWindow::StillOut);
        tabs->setCurrentIndex(2);
        auto* tickets = qobject_cast<QTableView*>(tabs->widget(2));
        QCOMPARE(column(tickets, 0), QStringList({"0006", "0007", "0008", "0009", "0010"}));
        tabs->setCurrentIndex(1);
        auto* booklets = qobject_cast<QTableView*>(tabs->widget(1));
        QCOMPARE(column(booklets, 4), QStringList({"chez le vendeur"}));
        window->setFilter(RaffleWindow::All);
        QCOMPARE(column(booklets, 4).mid(0, 3), QStringList({"rendu : 4 vendus, 1 invendu", "chez le vendeur", "en réserve"}));

        // The booklet's story, then undone once asked.
        window->showHistory(1, 0);
        QVERIFY2(dialogs.messages.last().contains("Remise à Martine Dupont : carnets 1-2 (10 billets)")
                     && dialogs.messages.last().contains("Retour de Martine Dupont : carnets 1 (1 invendu, 4 vendus)"),
                 qPrintable(dialogs.messages.last()));
        dialogs.answers = {false};
        button(window, "Annuler la dernière opération")->click();
        QCOMPARE(column(sellers, 2), QStringList({"4", "0", "4"}));
        dialogs.answers = {true};
        button(window, "Annuler la dernière opération")->click();
        QCOMPARE(dialogs.questions.last(), QString("Annuler la dernière opération : « Retour de Martine Dupont : carnets 1 (1 invendu, 4 vendus) » ?"));
        QCOMPARE(column(sellers, 2), QStringList({"0", "0", "0"}));

        // The sellers' sheet for a spreadsheet.
        const QString csv = dir.filePath("vendeurs.csv");
        dialogs.choices = {1};
        dialogs.files = {csv};
        button(window, "Exporter en CSV…")->click();
        QCOMPARE(csvLines(csv).value(1).mid(0, 2), QStringList({"Martine Dupont", "10"}));
        delete window;
    }

    // A price changed after sales asks, and keeps the old one when told no.
    void aPriceChangeAsksFirst()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("registre.sqlite");
        SmallRaffle small;
        {
            RaffleRegister reg(path, 0);
            small.make(reg);
            QVERIFY(reg.handOut(small.raffle.id, small.martine.id, QDate(2026, 12, 1), "1", Unit::Booklets));
        }
        ScriptedDialogs dialogs;
        RaffleWindow window(std::make_unique<RaffleRegister>(path, 0), dialogs, {});
        Opened edit = open(&window, "Modifier…");
        QCOMPARE(edit.texts[0]->text(), QString("Tombola de Noël"));
        edit.texts[1]->setText("3");
        dialogs.answers = {false};
        edit.form->save();
        QVERIFY(dialogs.questions.value(0).startsWith("La vente a commencé : 5 billets remis aux vendeurs, dont 0 vendu."));
        QCOMPARE(dialogs.messages.value(0), QString("Le prix reste 2,00\u00A0€ : rien n'a été enregistré."));
        QCOMPARE(window.raffleRegister().raffle(small.raffle.id)->priceCents, 200);
        dialogs.answers = {true};
        edit.form->save();
        QCOMPARE(window.raffleRegister().raffle(small.raffle.id)->priceCents, 300);
    }

    // The draw from its window: a prize added, the list frozen once the tickets still out are
    // settled, the program's draw shown large and in the room, a ticket the urn cannot take.
    void aDrawFromItsWindow()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("registre.sqlite");
        SmallRaffle small;
        {
            RaffleRegister reg(path, 0);
            small.make(reg);
            QVERIFY(reg.handOut(small.raffle.id, small.martine.id, QDate(2026, 12, 1), "1-2", Unit::Booklets));
            QVERIFY(reg.giveBack(small.raffle.id, {"1", Unit::Booklets, Return::Outcome::Sold, "0002", {}, QDate(2026, 12, 9)}));
        }
        ScriptedDialogs dialogs;
        RaffleWindow window(std::make_unique<RaffleRegister>(path, 0), dialogs, {});
        DrawWindow* draw = window.showDraw();
        Opened prize = open(draw, "Ajouter un lot…");
        prize.texts[0]->setText("Bon d'achat de 50 € en espèces");
        prize.texts[2]->setText("50");
        prize.form->save();
        QVERIFY(dialogs.messages.value(0).contains("ressemble à une somme d'argent"));
        QCOMPARE(draw->prizes->item(0, 1)->text(), QString("Bon d'achat de 50 € en espèces"));
        dialogs.choices = {0}; // Martine's booklet 2 counted unsold
        draw->prepareButton->click();
        QVERIFY(dialogs.messages.value(1).startsWith("Le tirage ne peut pas être préparé"));
        QCOMPARE(draw->hash->text(), draw::readAloud(draw::listHash({"0001", "0003", "0004", "0005"})));
        draw->program->setChecked(true);
        draw->witnesses->setPlainText("1234561234\n6543216543");
        draw->startButton->click();
        QVERIFY(draw->next->text().startsWith("Lot n° 1 : Bon d'achat"));
        RoomDisplay* room = draw->showRoom();
        draw->drawButton->click();
        const QString winner = draw::ranking(draw::graine(draw::listHash({"0001", "0003", "0004", "0005"}), {"1234561234", "6543216543"}),
                                             {"0001", "0003", "0004", "0005"})
                                   .front()
                                   .label;
        QCOMPARE(draw->said->text(), QString("Lot n° 1 : le billet %1 gagne !").arg(winner));
        QCOMPARE(room->number->text(), winner);
        QCOMPARE(draw->next->text(), QString("Tous les lots sont tirés."));
        // The register's window says the list is frozen.
        Opened out = open(&window, "Remettre des carnets…");
        out.texts[0]->setText("5");
        out.form->save();
        QVERIFY(dialogs.messages.last().startsWith("Le tirage de cette tombola est préparé"));
        out.form->reject();
        room->close();
    }

    // The papers from the window: the cause chosen in the raffle's form, the mayor's file with
    // what it warns of, the rules, the account with its costs; what cannot be read is refused
    // and the form keeps it.
    void thePapersFromItsWindow()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("registre.sqlite");
        SmallRaffle small;
        {
            RaffleRegister reg(path, 0);
            small.make(reg);
            QVERIFY(reg.handOut(small.raffle.id, small.martine.id, QDate(2026, 12, 1), "1", Unit::Booklets));
            QVERIFY(reg.giveBack(small.raffle.id, {"1", Unit::Booklets, Return::Outcome::Sold, {}, {}, QDate(2026, 12, 9)}));
            QVERIFY(reg.receive(small.raffle.id, small.martine.id, {"10", "chèque", "1234567", QDate(2026, 12, 9)}));
        }
        ScriptedDialogs dialogs;
        RaffleWindow window(std::make_unique<RaffleRegister>(path, 0), dialogs, {});
        RaffleRegister& reg = window.raffleRegister();
        window.writeRules();
        QVERIFY(dialogs.messages.value(0).startsWith("Le règlement nomme l'association"));
        QVERIFY(window.findChildren<Form*>().isEmpty());

        Opened edit = open(&window, "Modifier…");
        edit.texts[4]->setText("Amicale des écoles");
        edit.choices[0]->setCurrentText("éducative");
        edit.texts[9]->setText("le car de la classe de neige");
        edit.form->save();
        QCOMPARE(reg.raffle(small.raffle.id)->cause, QString("éducative"));
        QCOMPARE(reg.raffle(small.raffle.id)->profitUse, QString("le car de la classe de neige"));
        QTRY_VERIFY(window.findChildren<Form*>().isEmpty());

        window.writeMayorFile();
        Opened mayor = shown(&window);
        QCOMPARE(mayor.texts[0]->text(), QString("50"));
        mayor.texts[0]->setText("cinquante");
        mayor.form->save();
        QCOMPARE(dialogs.messages.last(), QString("« cinquante » n'est pas un nombre de billets : écrivez par exemple 1500."));
        QVERIFY(mayor.form->isVisible());
        mayor.texts[0]->setText("4000");
        const QString file = dir.filePath("dossier.pdf");
        dialogs.files = {file};
        mayor.form->save();
        QVERIFY2(!mayor.form->isVisible(), qPrintable(dialogs.messages.join(" / ")));
        const QString said = dialogs.messages.last();
        QVERIFY2(said.startsWith(QString("Le dossier pour la mairie est écrit dans « %1 ».").arg(QDir::toNativeSeparators(file))), qPrintable(said));
        QVERIFY(said.contains("Le capital d'émission, 8\u00A0000,00\u00A0€, dépasse 7\u00A0500,00\u00A0€"));
        QVERIFY(said.contains("dans moins d'un mois")); // the form's date is today's
        QVERIFY(bytesOf(file).startsWith("%PDF"));
        QTRY_VERIFY(window.findChildren<Form*>().isEmpty());

        window.writeRules();
        Opened rules = shown(&window);
        rules.choices[0]->setCurrentIndex(1);
        rules.texts[0]->setText("0");
        rules.form->save();
        QVERIFY(dialogs.messages.last().startsWith("« 0 » n'est pas un délai"));
        rules.texts[0]->setText("60");
        dialogs.files = {dir.filePath("règlement.odt")};
        rules.form->save();
        QVERIFY(dialogs.messages.last().startsWith("Le règlement est écrit dans"));
        QVERIFY(bytesOf(dir.filePath("règlement.odt")).startsWith("PK"));
        QVERIFY(bytesOf(dir.filePath("règlement.pdf")).startsWith("%PDF"));
        QTRY_VERIFY(window.findChildren<Form*>().isEmpty());

        window.writeAccount();
        Opened account = shown(&window);
        QCOMPARE(account.texts[5]->text(), QString("le car de la classe de neige"));
        account.texts[0]->setText("12,345");
        account.form->save();
        QCOMPARE(dialogs.messages.last(), QString("« 12,345 » n'est pas une somme : écrivez des euros et des centimes, par exemple 45,90."));
        QCOMPARE(reg.account(small.raffle.id).prizesCents, 0);
        account.texts[0]->setText("4,50");
        account.texts[3]->setText("3");
        account.texts[4]->setText("affiches");
        dialogs.files = {dir.filePath("compte.pdf")};
        account.form->save();
        QVERIFY(dialogs.messages.last().startsWith("Le compte rendu financier est écrit"));
        QCOMPARE(reg.account(small.raffle.id).costsCents(), 750);
        const QByteArray csv = bytesOf(dir.filePath("compte.csv"));
        QVERIFY2(csv.contains("Recettes;Argent reçu des vendeurs;10,00\r\n") && csv.contains("Résultat;Résultat net (reçu − frais);2,50\r\n"),
                 csv.constData());
        QCOMPARE(reg.lastOperation(small.raffle.id), QString("Frais de la tombola : 7,50 €"));
    }

    // A second window on the register shows it, and its buttons that write are off.
    void aSecondWindowOnlyShows()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("registre.sqlite");
        ScriptedDialogs dialogs;
        RaffleWindow first(std::make_unique<RaffleRegister>(path, 0), dialogs, {});
        RaffleWindow second(std::make_unique<RaffleRegister>(path, 0), dialogs, {});
        QVERIFY(button(&first, "Remettre des carnets…")->isEnabled());
        QVERIFY(!button(&second, "Remettre des carnets…")->isEnabled());
        QVERIFY(!button(&second, "Nouvelle tombola…")->isEnabled());
        QVERIFY(button(&second, "Exporter en CSV…")->isEnabled());
    }
};

QTEST_MAIN(TestRaffleWindow)
#include "test_raffle_window.moc"
