// Times the raffle register on a large raffle: 33,330 tickets in 9,999 booklets, 200 sellers
// who hold most of them, half brought back and paid for.
//
//   raffle_benchmark [FOLDER]   builds the raffle in FOLDER (a temporary one when none is given),
//                               then reports each time; the record stays in FOLDER.
#include "draw/algorithm.h"
#include "draw/minutes.h"
#include "platform/qtdialogs.h"
#include "platform/qtprinter.h"
#include "raffle/exports.h"
#include "raffle/register.h"
#include "ui/raffle/rafflewindow.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTabWidget>
#include <QTemporaryDir>
#include <cstdio>

using namespace calvorigne;

namespace {

const QStringList firstNames = {"Martine", "Paul", "Jeanne", "Bernard", "Sylvie", "Michel", "Nathalie", "Alain", "Isabelle", "Patrick",
                                "Catherine", "Philippe", "Monique", "Daniel", "Françoise", "Gérard", "Christine", "Jacques", "Sophie", "André"};
const QStringList lastNames = {"Dupont", "Martin", "Leroy", "Bernard", "Petit", "Durand", "Moreau", "Laurent", "Simon", "Michel"};

double milliseconds(const QElapsedTimer& timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QTemporaryDir temporary;
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : temporary.path();
    QDir().mkpath(folder);
    const QString path = QDir(folder).filePath("Calvorigne-tirages.sqlite");
    QFile::remove(path);
    QElapsedTimer timer;
    qint64 raffle = 0;
    {
        RaffleRegister reg(path, 0);
        Raffle r{0, {}, "Tombola de Noël 2026", 200, QDate(2026, 12, 20), "Salle des fêtes", "Arrêté n° 2026-118",
                 "Amicale des écoles", "1 rue de la Mairie, 12345 Calvorigne", "W123456789", "Anne Durand", {}, {}, {}};
        reg.saveRaffle(r);
        raffle = r.id;
        // 3,333 booklets of 4 tickets, then 6,666 of 3: 33,330 tickets.
        RunTickets run{QDateTime(QDate(2026, 11, 20), QTime(14, 2)), {}, 5, {}};
        qint64 next = 1;
        for (int b = 1; b <= 9999; ++b) {
            const int size = b <= 3333 ? 4 : 3;
            run.booklets.push_back({b, next, next + size - 1});
            next += size;
        }
        timer.start();
        reg.addRun(raffle, run);
        std::printf("33 330 billets ajoutés à la tombola : %.0f ms\n", milliseconds(timer));
        std::vector<qint64> sellers;
        for (int k = 0; k < 200; ++k) {
            Seller s{0, QStringLiteral("%1 %2").arg(firstNames[k % 20], lastNames[k / 20]), {}, {}, {}};
            reg.saveSeller(raffle, s);
            sellers.push_back(s.id);
        }
        // Each seller holds 49 booklets; the first 25 of each are back, sold but two tickets, and paid.
        for (int k = 0; k < 200; ++k) {
            const int first = k * 49 + 1;
            reg.handOut(raffle, sellers[std::size_t(k)], QDate(2026, 11, 25), QStringLiteral("%1-%2").arg(first).arg(first + 48), Unit::Booklets);
            reg.giveBack(raffle, {QStringLiteral("%1-%2").arg(first).arg(first + 24), Unit::Booklets, Return::Outcome::Sold, {}, {},
                                  QDate(2026, 12, 5)});
            reg.receive(raffle, sellers[std::size_t(k)], {QStringLiteral("%1").arg(k % 7 == 0 ? 150 : 170), "espèces", {}, QDate(2026, 12, 5)});
        }
    }
    QtPrinter printer;
    QtDialogs dialogs(printer);
    timer.start();
    // With its copy into « Sauvegardes », made once it shows.
    auto* window = new RaffleWindow(std::make_unique<RaffleRegister>(path), dialogs, {});
    window->show();
    QApplication::processEvents();
    std::printf("Fenêtre « Suivi de la tombola » ouverte : %.0f ms\n", milliseconds(timer));
    RaffleRegister& reg = window->raffleRegister();
    timer.start();
    const QString trouble = reg.backUp();
    std::printf("Sauvegarde dans « Sauvegardes » : %.0f ms%s\n", milliseconds(timer), qPrintable(trouble));
    for (const int tab : {1, 2}) {
        timer.start();
        window->findChild<QTabWidget*>()->setCurrentIndex(tab);
        QApplication::processEvents();
        std::printf("Onglet « %s » montré : %.0f ms\n", tab == 1 ? "Carnets" : "Billets", milliseconds(timer));
    }
    const qint64 seller = reg.sellers(raffle).front().id;
    timer.start();
    const Result out = reg.handOut(raffle, seller, QDate(2026, 12, 6), "9999", Unit::Booklets);
    std::printf("Remise d'un carnet : %.1f ms%s\n", milliseconds(timer), out ? "" : qPrintable(u' ' + out.refusal));
    timer.start();
    const Result back = reg.giveBack(raffle, {"9999", Unit::Booklets, Return::Outcome::Sold, "33330", {}, QDate(2026, 12, 7)});
    std::printf("Retour d'un carnet : %.1f ms%s\n", milliseconds(timer), back ? "" : qPrintable(u' ' + back.refusal));
    timer.start();
    const std::vector<Balance> balances = reg.balances(raffle);
    std::printf("Comptes des %zu vendeurs : %.1f ms\n", balances.size() - 1, milliseconds(timer));
    timer.start();
    QFile csv(QDir(folder).filePath("billets.csv"));
    const bool written = csv.open(QIODevice::WriteOnly) && csv.write(ticketsCsv(reg.tickets(raffle), false)) > 0;
    csv.close();
    std::printf("CSV de tous les billets : %.0f ms%s\n", milliseconds(timer), written ? "" : " (non écrit)");
    timer.start();
    reg.undo(raffle);
    std::printf("Annulation du retour : %.1f ms\n", milliseconds(timer));

    // The draw: every ticket sold, ranked, and the minutes of 200 prizes.
    QStringList sold;
    for (const Ticket& t : reg.tickets(raffle))
        sold << t.label;
    timer.start();
    const std::vector<draw::Ranked> ranked = draw::ranking(draw::graine(draw::listHash(sold), {"1234561234", "6543216543"}), sold);
    std::printf("Classement de %lld billets vendus : %.0f ms (premier : %s)\n", qlonglong(ranked.size()), milliseconds(timer),
                qPrintable(ranked.front().label));
    DrawState state{1, QDateTime::currentDateTime(), sold, draw::listHash(sold), "programme", false, {"1234561234", "6543216543"},
                    draw::graine(draw::listHash(sold), {"1234561234", "6543216543"}), {}};
    std::vector<Prize> prizes;
    for (int k = 1; k <= 200; ++k) {
        prizes.push_back({k, k, QStringLiteral("Lot offert par le commerce n° %1").arg(k), {}, 2500});
        state.results.push_back({QDateTime::currentDateTime(), k, ranked[std::size_t(k - 1)].label, "gagnant", {}});
    }
    timer.start();
    const QString failure = writeMinutes(minutesHtml(*reg.raffle(raffle), {33330, 33330, 33330, 0, 0, 0}, state, prizes), {},
                                         QDir(folder).filePath("Procès-verbal.pdf"));
    std::printf("Procès-verbal de 200 lots : %.0f ms%s\n", milliseconds(timer), qPrintable(failure));
    delete window;
    return 0;
}
