// What the raffle window writes and reads: spreadsheets, printouts, a raffle passed to another
// computer, and the buyers' erasure.
#include "rafflewindow.h"

#include "platform/htmlpages.h"
#include "raffle/exports.h"
#include "raffle/papers.h"
#include "raffle/transfer.h"
#include "ui/raffle/form.h"

#include <QDir>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinter>
#include <QTabWidget>
#include <QTextDocument>

namespace calvorigne {

namespace {

// Written whole or not at all; the cause said in the program's words.
QString written(const QString& path, const QByteArray& bytes)
{
    return writeWhole(path, [&](QIODevice& file) { return file.write(bytes) == bytes.size(); });
}

} // namespace

void RaffleWindow::printHtml(const QString& html, const QString& title)
{
    const int how = m_dialogs.choice(QStringLiteral("%1 est prêt.").arg(title),
                                     {QStringLiteral("Imprimer…"), QStringLiteral("Enregistrer en PDF…"), QStringLiteral("Fermer")}, 2);
    QTextDocument document;
    document.setHtml(html);
    if (how == 0) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setPageSize(QPageSize(QPageSize::A4));
        QPrintDialog dialog(&printer, this);
        if (dialog.exec() == QDialog::Accepted)
            document.print(&printer);
    } else if (how == 1) {
        const std::optional<QString> path = m_dialogs.fileToSave(QStringLiteral("Enregistrer en PDF"), suggestedPath(title, QStringLiteral(".pdf")),
                                                                 QStringLiteral("Documents PDF (*.pdf)"));
        if (!path)
            return;
        const QString failure = writeWhole(*path, [&](QIODevice& file) {
            QPdfWriter pdf(&file);
            pdf.setPageSize(QPageSize(QPageSize::A4));
            pdf.setTitle(title);
            document.print(&pdf);
            return true;
        });
        if (!failure.isEmpty())
            m_dialogs.message(failure);
    }
}

void RaffleWindow::printReceipt(const Result& handedOut, qint64 seller, const QDate& on)
{
    const std::vector<Seller> sellers = m_reg.sellers(m_raffle);
    const auto found = std::find_if(sellers.begin(), sellers.end(), [seller](const Seller& s) { return s.id == seller; });
    if (found != sellers.end())
        printHtml(receiptHtml(*m_reg.raffle(m_raffle), *found, m_reg.ticketsOf(handedOut.operation), on),
                  QStringLiteral("Le bon de remise de %1").arg(found->name));
}

void RaffleWindow::printSummary()
{
    if (!needsRaffle())
        return;
    const int which = m_dialogs.choice(QStringLiteral("Imprimer le récapitulatif de toute la tombola, ou celui de chaque vendeur, une page chacun ?"),
                                       {QStringLiteral("Toute la tombola"), QStringLiteral("Chaque vendeur"), QStringLiteral("Annuler")}, 2);
    if (which == 2)
        return;
    const Raffle raffle = *m_reg.raffle(m_raffle);
    const std::vector<Balance> balances = m_reg.balances(m_raffle);
    const std::vector<PaymentLine> payments = m_reg.payments(m_raffle);
    QString html;
    if (which == 0) {
        html = summaryHtml(raffle, balances, payments);
    } else {
        for (const Balance& b : balances)
            if (b.seller)
                html += (html.isEmpty() ? QString() : QStringLiteral("<div style=\"page-break-before: always\"></div>"))
                        + summaryHtml(raffle, balances, payments, b.name);
    }
    printHtml(html, which == 0 ? QStringLiteral("Le récapitulatif de la tombola") : QStringLiteral("Le récapitulatif des vendeurs"));
}

void RaffleWindow::exportCsv()
{
    if (!needsRaffle())
        return;
    const int which = m_dialogs.choice(QStringLiteral("Quel tableau exporter pour un tableur ?"),
                                       {QStringLiteral("Les billets"), QStringLiteral("Les vendeurs"), QStringLiteral("Les paiements"),
                                        QStringLiteral("Annuler")},
                                       3, m_tabs->currentIndex() == 0 ? 1 : 0);
    if (which == 3)
        return;
    const Raffle raffle = *m_reg.raffle(m_raffle);
    QByteArray bytes;
    QString name;
    if (which == 0) {
        const std::vector<Ticket> tickets = m_reg.tickets(m_raffle);
        const bool anyBuyer = std::any_of(tickets.begin(), tickets.end(), [](const Ticket& t) { return !t.buyerName.isEmpty() || !t.buyerPhone.isEmpty(); });
        const bool buyers = anyBuyer
                            && m_dialogs.choice(QStringLiteral("Mettre aussi les noms et téléphones des acheteurs ? Ce sont des données "
                                                               "personnelles : ne les donnez qu'à qui en a besoin pour prévenir les gagnants."),
                                                {QStringLiteral("Sans les acheteurs"), QStringLiteral("Avec les acheteurs")}, 0)
                                   == 1;
        bytes = ticketsCsv(tickets, buyers);
        name = QStringLiteral("%1 - billets").arg(raffle.name);
    } else if (which == 1) {
        bytes = balancesCsv(m_reg.balances(m_raffle));
        name = QStringLiteral("%1 - vendeurs").arg(raffle.name);
    } else {
        bytes = paymentsCsv(m_reg.payments(m_raffle));
        name = QStringLiteral("%1 - paiements").arg(raffle.name);
    }
    const std::optional<QString> path = m_dialogs.fileToSave(QStringLiteral("Exporter en CSV"), suggestedPath(name, QStringLiteral(".csv")),
                                                             QStringLiteral("Fichiers CSV (*.csv)"));
    if (path)
        if (const QString failed = written(*path, bytes); !failed.isEmpty())
            m_dialogs.message(failed);
}

void RaffleWindow::exportRaffle()
{
    if (!needsRaffle())
        return;
    const Raffle raffle = *m_reg.raffle(m_raffle);
    const std::vector<Ticket> tickets = m_reg.tickets(m_raffle);
    const bool anyBuyer = std::any_of(tickets.begin(), tickets.end(), [](const Ticket& t) { return !t.buyerName.isEmpty() || !t.buyerPhone.isEmpty(); });
    const bool buyers = anyBuyer
                        && m_dialogs.choice(QStringLiteral("Le fichier part-il avec les noms et téléphones des acheteurs ? Le trésorier "
                                                           "suivant en a besoin pour prévenir les gagnants ; sinon, laissez-les ici."),
                                            {QStringLiteral("Sans les acheteurs"), QStringLiteral("Avec les acheteurs")}, 0)
                               == 1;
    const std::optional<QString> path = m_dialogs.fileToSave(QStringLiteral("Exporter la tombola"), suggestedPath(raffle.name, QStringLiteral(".tombola")),
                                                             QStringLiteral("Tombolas Calvorigne (*.tombola)"));
    if (!path)
        return;
    if (const Result done = calvorigne::exportRaffle(m_reg, m_raffle, *path, buyers); !done)
        m_dialogs.message(done.refusal);
    else
        m_dialogs.message(QStringLiteral("La tombola « %1 » est dans « %2 ». Sur l'autre ordinateur, ouvrez « Suivi de la tombola » et "
                                         "choisissez « Importer… ».")
                              .arg(raffle.name, QDir::toNativeSeparators(*path)));
}

void RaffleWindow::importRaffle()
{
    const std::optional<QString> path = m_dialogs.fileToOpen(QStringLiteral("Importer une tombola"),
                                                             QStringLiteral("Tombolas Calvorigne (*.tombola);;Tous les fichiers (*)"));
    if (!path)
        return;
    const Transfer transfer = readTransfer(m_reg, *path);
    if (!transfer.refusal.isEmpty()) {
        m_dialogs.message(transfer.refusal);
        return;
    }
    const bool replace = transfer.existing
                         && m_dialogs.choice(QStringLiteral("La tombola « %1 » est déjà dans ce registre. La remplacer par celle du fichier ? "
                                                            "Ce qui a été saisi ici et n'est pas dans le fichier sera perdu ; « Annuler la "
                                                            "dernière opération » la rendrait.")
                                                 .arg(transfer.name),
                                             {QStringLiteral("Remplacer"), QStringLiteral("Ne rien importer")}, 1, 1)
                                == 0;
    if (transfer.existing && !replace)
        return;
    const Result taken = calvorigne::importRaffle(m_reg, transfer, replace);
    if (!taken)
        m_dialogs.message(taken.refusal);
    else
        chooseRaffle(taken.operation);
}

void RaffleWindow::eraseBuyers()
{
    if (!needsRaffle())
        return;
    const Raffle raffle = *m_reg.raffle(m_raffle);
    if (m_dialogs.choice(QStringLiteral("Effacer les noms et téléphones de tous les acheteurs de « %1 » ? Faites-le une fois les lots remis : "
                                        "ils sont effacés du registre, de son historique et de ses sauvegardes, et ne pourront pas être "
                                        "retrouvés. Rien d'autre ne change.")
                             .arg(raffle.name),
                         {QStringLiteral("Effacer"), QStringLiteral("Ne rien effacer")}, 1, 1)
        != 0)
        return;
    const Result erased = m_reg.eraseBuyers(m_raffle);
    if (!erased || !erased.note.isEmpty())
        m_dialogs.message(erased ? erased.note : erased.refusal);
    refresh();
}

} // namespace calvorigne
