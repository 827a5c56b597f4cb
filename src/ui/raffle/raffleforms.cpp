// The raffle window's forms: each fills an action of the register from what is typed.
#include "rafflewindow.h"

#include "documents/law.h"
#include "raffle/money.h"
#include "ui/raffle/form.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>

namespace calvorigne {

namespace {

QStringList namesOf(const std::vector<Seller>& sellers)
{
    QStringList names;
    for (const Seller& s : sellers)
        names << s.name;
    return names;
}

qint64 chosen(const std::vector<Seller>& sellers, const QComboBox* box)
{
    return box->currentIndex() >= 0 && std::size_t(box->currentIndex()) < sellers.size() ? sellers[std::size_t(box->currentIndex())].id : 0;
}

} // namespace

void RaffleWindow::newRaffle()
{
    Raffle fresh;
    fresh.drawDate = QDate::currentDate().addMonths(2);
    const std::vector<Raffle> all = m_reg.raffles();
    if (!all.empty()) { // the association stays from one raffle to the next
        fresh.association = all.front().association, fresh.address = all.front().address;
        fresh.rna = all.front().rna, fresh.president = all.front().president, fresh.priceCents = all.front().priceCents;
    }
    raffleForm(fresh, QStringLiteral("Nouvelle tombola"));
}

void RaffleWindow::editRaffle()
{
    if (needsRaffle())
        raffleForm(*m_reg.raffle(m_raffle), QStringLiteral("Modifier la tombola"));
}

void RaffleWindow::raffleForm(const Raffle& start, const QString& title)
{
    auto* form = new Form(title, {}, m_dialogs, this);
    auto* name = form->addText(QStringLiteral("Nom :"), start.name, QStringLiteral("Tombola de Noël %1").arg(QDate::currentDate().year()));
    auto* price = form->addText(QStringLiteral("Prix du billet (€) :"), start.priceCents ? moneyCell(start.priceCents) : QString(),
                                QStringLiteral("2,00"));
    auto* date = form->addDate(QStringLiteral("Date du tirage :"), start.drawDate.isValid() ? start.drawDate : QDate::currentDate());
    auto* place = form->addText(QStringLiteral("Lieu du tirage :"), start.drawPlace);
    auto* authorisation = form->addText(QStringLiteral("Autorisation du maire (référence) :"), start.authorisation,
                                        QStringLiteral("à compléter quand elle est connue"));
    auto* association = form->addText(QStringLiteral("Association :"), start.association);
    auto* address = form->addText(QStringLiteral("Adresse :"), start.address);
    auto* rna = form->addText(QStringLiteral("N° RNA :"), start.rna, QStringLiteral("W123456789"));
    auto* president = form->addText(QStringLiteral("Président(e) :"), start.president);
    auto* cause = form->addChoice(QStringLiteral("Cause :"), QStringList{QString()} + law::causes());
    cause->setEditable(true);
    cause->setCurrentText(start.cause);
    auto* purpose = form->addText(QStringLiteral("Objet :"), start.purpose, QStringLiteral("financer la classe de neige des CM2"));
    auto* profitUse = form->addText(QStringLiteral("Utilisation des bénéfices :"), start.profitUse,
                                    QStringLiteral("achat du car pour la classe de neige"));
    form->onSave(
        [=, this]() {
            Raffle r = start;
            r.name = name->text();
            const std::optional<qint64> cents = readMoney(price->text());
            if (!cents)
                return Result{QStringLiteral("« %1 » n'est pas un prix : écrivez des euros et des centimes, par exemple 2,00.").arg(price->text().trimmed())};
            r.priceCents = *cents;
            r.drawDate = date->date();
            r.drawPlace = place->text(), r.authorisation = authorisation->text(), r.association = association->text();
            r.address = address->text(), r.rna = rna->text(), r.president = president->text();
            r.cause = cause->currentText(), r.purpose = purpose->text(), r.profitUse = profitUse->text();
            bool confirmed = false;
            if (const QString question = m_reg.priceQuestion(r); !question.isEmpty()) {
                if (!m_dialogs.question(question))
                    return Result{QStringLiteral("Le prix reste %1 : rien n'a été enregistré.").arg(moneyText(start.priceCents))};
                confirmed = true;
            }
            Result result = m_reg.saveRaffle(r, confirmed);
            result.operation = r.id;
            return result;
        },
        [this](const Result& saved) { chooseRaffle(saved.operation); });
    form->open();
}

void RaffleWindow::addTickets()
{
    if (!needsRaffle())
        return;
    const std::vector<PrintedRunChoice> runs = m_reg.printedRuns();
    if (runs.empty()) {
        m_dialogs.message(QStringLiteral("Le registre ne connaît encore aucun tirage imprimé : les billets d'une tombola sont ceux que "
                                         "Calvorigne a imprimés. Imprimez-les d'abord."));
        return;
    }
    auto* form = new Form(QStringLiteral("Ajouter des billets"),
                          QStringLiteral("Les billets d'une tombola sont ceux d'un tirage imprimé : tout le tirage, ou les numéros écrits."),
                          m_dialogs, this);
    QStringList names;
    for (const PrintedRunChoice& run : runs)
        names << QStringLiteral("Tirage du %1, %2 à %3").arg(run.at.toString(QStringLiteral("dd/MM/yyyy à HH:mm"))).arg(run.first).arg(run.last);
    auto* run = form->addChoice(QStringLiteral("Tirage :"), names);
    auto* numbers = form->addText(QStringLiteral("Numéros :"), {}, QStringLiteral("vide : tout le tirage ; ou 0001-0500"));
    form->onSave(
        [=, this]() {
            const std::optional<RunTickets> tickets = m_ticketsOf(runs[std::size_t(run->currentIndex())]);
            if (!tickets)
                return Result{QStringLiteral("Les carnets de ce tirage n'ont pas pu être retrouvés à partir de ses paramètres.")};
            return m_reg.addRun(m_raffle, *tickets, numbers->text());
        },
        [this](const Result&) { refresh(); });
    form->open();
}

void RaffleWindow::newSeller()
{
    if (!needsRaffle())
        return;
    auto* form = new Form(QStringLiteral("Nouveau vendeur"), {}, m_dialogs, this);
    auto* name = form->addText(QStringLiteral("Nom :"));
    auto* phone = form->addText(QStringLiteral("Téléphone :"));
    auto* email = form->addText(QStringLiteral("Courriel :"));
    auto* note = form->addText(QStringLiteral("Note :"));
    form->onSave(
        [=, this]() {
            Seller s{0, name->text(), phone->text(), email->text(), note->text()};
            return m_reg.saveSeller(m_raffle, s);
        },
        [this](const Result&) { refresh(); });
    form->open();
}

void RaffleWindow::editSeller()
{
    const qint64 id = selectedSeller();
    const std::vector<Seller> sellers = m_reg.sellers(m_raffle);
    const auto found = std::find_if(sellers.begin(), sellers.end(), [id](const Seller& s) { return s.id == id; });
    if (found == sellers.end()) {
        m_dialogs.message(QStringLiteral("Choisissez d'abord le vendeur dans l'onglet « Vendeurs »."));
        return;
    }
    auto* form = new Form(QStringLiteral("Modifier le vendeur"), {}, m_dialogs, this);
    auto* name = form->addText(QStringLiteral("Nom :"), found->name);
    auto* phone = form->addText(QStringLiteral("Téléphone :"), found->phone);
    auto* email = form->addText(QStringLiteral("Courriel :"), found->email);
    auto* note = form->addText(QStringLiteral("Note :"), found->note);
    form->onSave(
        [=, this]() {
            Seller s{id, name->text(), phone->text(), email->text(), note->text()};
            return m_reg.saveSeller(m_raffle, s);
        },
        [this](const Result&) { refresh(); });
    form->open();
}

void RaffleWindow::removeSeller()
{
    const qint64 id = selectedSeller();
    if (id == 0) {
        m_dialogs.message(QStringLiteral("Choisissez d'abord le vendeur dans l'onglet « Vendeurs »."));
        return;
    }
    if (const Result removed = m_reg.deleteSeller(m_raffle, id); !removed)
        m_dialogs.message(removed.refusal);
    refresh();
}

void RaffleWindow::handOut()
{
    if (!needsRaffle())
        return;
    const std::vector<Seller> sellers = m_reg.sellers(m_raffle);
    if (sellers.empty()) {
        m_dialogs.message(QStringLiteral("Ajoutez d'abord le vendeur, avec « Nouveau vendeur… »."));
        return;
    }
    auto* form = new Form(QStringLiteral("Remettre des carnets"),
                          QStringLiteral("Les carnets comme la liste des carnets les numérote (12-20, 25), ou les billets (0111-0200)."),
                          m_dialogs, this);
    auto* seller = form->addChoice(QStringLiteral("Vendeur :"), namesOf(sellers));
    if (const qint64 id = selectedSeller())
        for (std::size_t k = 0; k < sellers.size(); ++k)
            if (sellers[k].id == id)
                seller->setCurrentIndex(int(k));
    auto* date = form->addDate(QStringLiteral("Date :"), QDate::currentDate());
    auto* unit = form->addChoice(QStringLiteral("Numéros de :"), {QStringLiteral("carnets"), QStringLiteral("billets")});
    auto* numbers = form->addText(QStringLiteral("Numéros :"), {}, QStringLiteral("12-20, 25"));
    form->onSave(
        [=, this]() {
            return m_reg.handOut(m_raffle, chosen(sellers, seller), date->date(), numbers->text(),
                                 unit->currentIndex() == 0 ? Unit::Booklets : Unit::Tickets);
        },
        [=, this](const Result& done) {
            refresh();
            printReceipt(done, chosen(sellers, seller), date->date());
        });
    form->open();
}

void RaffleWindow::giveBack()
{
    if (!needsRaffle())
        return;
    auto* form = new Form(QStringLiteral("Retour de carnets"),
                          QStringLiteral("Les carnets rendus, puis les billets invendus et annulés qu'ils contiennent. Les autres sont "
                                         "vendus, invendus ou perdus, comme vous le dites."),
                          m_dialogs, this);
    auto* unit = form->addChoice(QStringLiteral("Numéros de :"), {QStringLiteral("carnets"), QStringLiteral("billets")});
    auto* numbers = form->addText(QStringLiteral("Rendus :"), {}, QStringLiteral("12-20, 25"));
    auto* rest = form->addChoice(QStringLiteral("Les autres billets :"),
                                 {QStringLiteral("tous vendus"), QStringLiteral("aucun vendu"), QStringLiteral("perdus (carnet perdu)")});
    auto* unsold = form->addText(QStringLiteral("Billets invendus :"), {}, QStringLiteral("0113, 0117-0120"));
    auto* spoiled = form->addText(QStringLiteral("Billets annulés :"), {}, QStringLiteral("abîmés, déchirés"));
    auto* date = form->addDate(QStringLiteral("Date :"), QDate::currentDate());
    form->onSave(
        [=, this]() {
            return m_reg.giveBack(m_raffle, {numbers->text(), unit->currentIndex() == 0 ? Unit::Booklets : Unit::Tickets,
                                             Return::Outcome(rest->currentIndex()), unsold->text(), spoiled->text(), date->date()});
        },
        [this](const Result&) { refresh(); });
    form->open();
}

void RaffleWindow::receive()
{
    if (!needsRaffle())
        return;
    const std::vector<Seller> sellers = m_reg.sellers(m_raffle);
    auto* form = new Form(QStringLiteral("Paiement reçu"), {}, m_dialogs, this);
    auto* seller = form->addChoice(QStringLiteral("Vendeur :"), namesOf(sellers));
    auto* amount = form->addText(QStringLiteral("Montant (€) :"), {}, QStringLiteral("12,50"));
    auto* method = form->addChoice(QStringLiteral("Payé en :"), {QStringLiteral("espèces"), QStringLiteral("chèque"), QStringLiteral("virement")});
    auto* cheque = form->addText(QStringLiteral("N° du chèque :"));
    auto* date = form->addDate(QStringLiteral("Date :"), QDate::currentDate());
    form->onSave([=, this]() { return m_reg.receive(m_raffle, chosen(sellers, seller), {amount->text(), method->currentText(), cheque->text(), date->date()}); },
                 [this](const Result&) { refresh(); });
    form->open();
}

void RaffleWindow::buyer()
{
    if (!needsRaffle())
        return;
    auto* form = new Form(QStringLiteral("Acheteur d'un billet"),
                          QStringLiteral("Notez l'acheteur seulement s'il est d'accord : ses coordonnées servent à prévenir un gagnant, "
                                         "et s'effacent avec « Effacer les coordonnées des acheteurs… » une fois la tombola finie."),
                          m_dialogs, this);
    auto* ticket = form->addText(QStringLiteral("Billet :"), {}, QStringLiteral("0457"));
    auto* name = form->addText(QStringLiteral("Nom :"));
    auto* phone = form->addText(QStringLiteral("Téléphone :"));
    form->onSave([=, this]() { return m_reg.setBuyer(m_raffle, ticket->text(), name->text(), phone->text()); },
                 [this](const Result&) { refresh(); });
    form->open();
}

void RaffleWindow::undo()
{
    if (!needsRaffle())
        return;
    const QString last = m_reg.lastOperation(m_raffle);
    if (last.isEmpty()) {
        m_dialogs.message(QStringLiteral("Il n'y a pas d'opération à annuler."));
        return;
    }
    if (!m_dialogs.question(QStringLiteral("Annuler la dernière opération : « %1 » ?").arg(last)))
        return;
    if (const Result undone = m_reg.undo(m_raffle); !undone)
        m_dialogs.message(undone.refusal);
    refresh();
}

} // namespace calvorigne
