// The papers a raffle needs, as the raffle window asks for them: the mayor's file, the sample
// ticket, the rules and the account. src/documents writes them; here the user says what
// the register cannot know and where each goes.
#include "rafflewindow.h"

#include "documents/account.h"
#include "documents/dossier.h"
#include "documents/rules.h"
#include "raffle/money.h"
#include "ui/raffle/form.h"

#include <QComboBox>
#include <QDir>
#include <QLineEdit>

namespace calvorigne {

namespace {

const QString pdfFilter = QStringLiteral("Documents PDF (*.pdf)");

RaffleFacts factsOf(RaffleRegister& reg, qint64 raffle)
{
    return {*reg.raffle(raffle), qint64(reg.tickets(raffle).size()), DrawBook(reg, raffle).prizes(), QDate::currentDate()};
}

QString where(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

} // namespace

void RaffleWindow::writeMayorFile()
{
    if (!needsRaffle())
        return;
    const RaffleFacts start = factsOf(m_reg, m_raffle);
    auto* form = new Form(QStringLiteral("Dossier pour la mairie"),
                          QStringLiteral("Le dossier reprend la tombola, ses billets et ses lots, prêts à recopier sur le formulaire "
                                         "Cerfa n° 11823*03."),
                          m_dialogs, this);
    auto* tickets = form->addText(QStringLiteral("Nombre de billets émis :"), start.tickets ? QString::number(start.tickets) : QString(),
                                  QStringLiteral("1500"));
    form->onSave([=, this]() {
        RaffleFacts facts = start;
        bool number = false;
        facts.tickets = tickets->text().trimmed().toLongLong(&number);
        if (!number && !tickets->text().trimmed().isEmpty())
            return Result{QStringLiteral("« %1 » n'est pas un nombre de billets : écrivez par exemple 1500.").arg(tickets->text().trimmed())};
        if (const QString refusal = dossierRefusal(facts); !refusal.isEmpty())
            return Result{refusal};
        const std::optional<QString> path = m_dialogs.fileToSave(QStringLiteral("Dossier pour la mairie"),
                                                                 suggestedPath(QStringLiteral("Dossier pour la mairie – %1").arg(facts.raffle.name),
                                                                               QStringLiteral(".pdf")),
                                                                 pdfFilter);
        if (!path)
            return Result{QStringLiteral("Aucun fichier choisi : le dossier n'a pas été écrit.")};
        if (const QString failure = writeDossier(facts, *path); !failure.isEmpty())
            return Result{failure};
        QString said = QStringLiteral("Le dossier pour la mairie est écrit dans « %1 ».").arg(where(*path));
        const std::vector<Warning> warnings = mayorWarnings(facts);
        if (!warnings.empty()) {
            said += QStringLiteral("\n\nÀ voir avant de déposer la demande :");
            for (const Warning& w : warnings)
                said += QStringLiteral("\n• %1 (%2)").arg(w.text, w.rule);
        }
        m_dialogs.message(said);
        return Result{};
    });
    form->open();
}

void RaffleWindow::writeSampleTicket()
{
    if (!needsRaffle())
        return;
    const std::optional<PrintedRunChoice> run = m_reg.firstRun(m_raffle);
    if (!run) {
        m_dialogs.message(m_reg.tickets(m_raffle).empty()
                              ? QStringLiteral("Le spécimen montre la première feuille du tirage des billets : ajoutez d'abord les billets "
                                               "d'un tirage imprimé (« Ajouter des billets… »).")
                              : QStringLiteral("Le tirage qui a imprimé les billets de cette tombola n'est plus dans le registre des "
                                               "tirages : le spécimen ne peut pas être dessiné."));
        return;
    }
    if (!m_sampleTicketOf) {
        m_dialogs.message(QStringLiteral("Le spécimen ne peut pas être dessiné ici : ouvrez le suivi de la tombola depuis Calvorigne."));
        return;
    }
    const std::optional<QString> path = m_dialogs.fileToSave(
        QStringLiteral("Billet spécimen"), suggestedPath(QStringLiteral("Billet spécimen – %1").arg(m_reg.raffle(m_raffle)->name), QStringLiteral(".pdf")),
        pdfFilter);
    if (!path)
        return;
    const QString failure = m_sampleTicketOf(*run, *path);
    m_dialogs.message(failure.isEmpty() ? QStringLiteral("Le billet spécimen est écrit dans « %1 ».").arg(where(*path)) : failure);
}

void RaffleWindow::writeRules()
{
    if (!needsRaffle())
        return;
    const RaffleFacts start = factsOf(m_reg, m_raffle);
    if (const QString refusal = rulesRefusal(start); !refusal.isEmpty()) {
        m_dialogs.message(refusal);
        return;
    }
    const std::optional<DrawState> draw = DrawBook(m_reg, m_raffle).current();
    auto* form = new Form(QStringLiteral("Règlement de la tombola"),
                          QStringLiteral("Le règlement reprend la tombola et ses lots ; il s'écrit pour LibreOffice ou Word, où "
                                         "l'association peut le retoucher, et en PDF."),
                          m_dialogs, this);
    auto* method = form->addChoice(QStringLiteral("Le tirage se fait :"),
                                   {QStringLiteral("à l'urne"), QStringLiteral("par le programme, vérifiable par tous")});
    method->setCurrentIndex(draw && draw->method == u"programme" ? 1 : 0);
    auto* days = form->addText(QStringLiteral("Jours pour retirer un lot :"), QStringLiteral("30"));
    auto* told = form->addText(QStringLiteral("Les numéros gagnants sont ensuite :"),
                               QStringLiteral("affichés au lieu du tirage, et les gagnants qui ont laissé leur téléphone sont appelés"));
    auto* unclaimed = form->addText(QStringLiteral("Un lot non réclamé :"), QStringLiteral("reste à l'association, qui le remettra en jeu"));
    form->onSave([=, this]() {
        RulesChoices choices;
        choices.method = method->currentIndex() == 1 ? QStringLiteral("programme") : QStringLiteral("urne");
        bool number = false;
        choices.claimDays = days->text().trimmed().toInt(&number);
        if (!number || choices.claimDays < 1 || choices.claimDays > 365)
            return Result{QStringLiteral("« %1 » n'est pas un délai : écrivez un nombre de jours, de 1 à 365.").arg(days->text().trimmed())};
        choices.toldBy = told->text(), choices.unclaimed = unclaimed->text();
        const std::vector<Ticket> tickets = m_reg.tickets(m_raffle);
        if (!tickets.empty())
            choices.firstLabel = tickets.front().label, choices.lastLabel = tickets.back().label;
        const std::optional<QString> path = m_dialogs.fileToSave(
            QStringLiteral("Règlement de la tombola"), suggestedPath(QStringLiteral("Règlement – %1").arg(start.raffle.name), QStringLiteral(".odt")),
            QStringLiteral("Documents OpenDocument (*.odt)"));
        if (!path)
            return Result{QStringLiteral("Aucun fichier choisi : le règlement n'a pas été écrit.")};
        if (const QString failure = calvorigne::writeRules(rulesHtml(start, choices), *path); !failure.isEmpty())
            return Result{failure};
        m_dialogs.message(QStringLiteral("Le règlement est écrit dans « %1 », à retoucher dans LibreOffice ou Word, et en PDF dans « %2 ».")
                              .arg(where(*path), where(rulesPdfPath(*path))));
        return Result{};
    });
    form->open();
}

void RaffleWindow::writeAccount()
{
    if (!needsRaffle())
        return;
    const Account stored = m_reg.account(m_raffle);
    auto* form = new Form(QStringLiteral("Compte rendu financier"),
                          QStringLiteral("Les recettes viennent du registre ; écrivez les frais. Le compte rendu s'écrit en PDF, avec "
                                         "un CSV pour le tableur à côté."),
                          m_dialogs, this);
    const auto money = [&](const QString& label, qint64 cents) { return form->addText(label, moneyCell(cents), QStringLiteral("0,00")); };
    QLineEdit* costs[] = {money(QStringLiteral("Lots achetés (€) :"), stored.prizesCents), money(QStringLiteral("Impression (€) :"), stored.printingCents),
                          money(QStringLiteral("Papier des billets (€) :"), stored.paperCents),
                          money(QStringLiteral("Autres frais (€) :"), stored.otherCents)};
    auto* otherLabel = form->addText(QStringLiteral("Autres frais, lesquels :"), stored.otherLabel, QStringLiteral("location de la salle"));
    auto* use = form->addText(QStringLiteral("Le résultat va à :"),
                              stored.resultUse.isEmpty() ? m_reg.raffle(m_raffle)->profitUse : stored.resultUse);
    form->onSave([=, this]() {
        Account account;
        qint64* into[] = {&account.prizesCents, &account.printingCents, &account.paperCents, &account.otherCents};
        for (int k = 0; k < 4; ++k) {
            const std::optional<qint64> cents = readMoney(costs[k]->text().trimmed().isEmpty() ? QStringLiteral("0") : costs[k]->text());
            if (!cents)
                return Result{QStringLiteral("« %1 » n'est pas une somme : écrivez des euros et des centimes, par exemple 45,90.").arg(costs[k]->text().trimmed())};
            *into[k] = *cents;
        }
        account.otherLabel = otherLabel->text(), account.resultUse = use->text();
        if (const Result saved = m_reg.saveAccount(m_raffle, account); !saved)
            return saved;
        const AccountFacts facts{*m_reg.raffle(m_raffle), m_reg.balances(m_raffle), account, QDate::currentDate()};
        const std::optional<QString> path = m_dialogs.fileToSave(
            QStringLiteral("Compte rendu financier"), suggestedPath(QStringLiteral("Compte rendu – %1").arg(facts.raffle.name), QStringLiteral(".pdf")),
            pdfFilter);
        if (!path)
            return Result{QStringLiteral("Les frais sont enregistrés ; aucun fichier choisi, le compte rendu n'a pas été écrit.")};
        if (const QString failure = calvorigne::writeAccount(facts, *path); !failure.isEmpty())
            return Result{QStringLiteral("Les frais sont enregistrés. %1").arg(failure)};
        const QFileInfo pdf(*path);
        m_dialogs.message(QStringLiteral("Le compte rendu financier est écrit dans « %1 », et pour le tableur dans « %2 ».")
                              .arg(where(*path), where(pdf.dir().filePath(pdf.completeBaseName() + QStringLiteral(".csv")))));
        refresh();
        return Result{};
    });
    form->open();
}

} // namespace calvorigne
