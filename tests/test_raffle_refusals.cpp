// What the register refuses, in its own words, changing nothing; a record held by another
// program; a program killed in the middle of an action.
#include "raffle_fixture.h"
#include "raffle/money.h"

#include <QCoreApplication>
#include <QProcess>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <cstdio>
#include <functional>

using namespace calvorigne;
using namespace calvorigne::testing;

namespace {

const QDate day(2026, 12, 1);
using Action = std::function<Result(RaffleRegister&, const SmallRaffle&)>;

// The child: hands out every booklet of the raffle in the record, and takes them back by undoing,
// until it is killed.
int handOutUntilKilled(const QString& path)
{
    RaffleRegister reg(path, 0);
    const Raffle raffle = reg.raffles().front();
    const qint64 seller = reg.sellers(raffle.id).front().id;
    std::printf("prêt\n");
    std::fflush(stdout);
    for (;;)
        if (!reg.handOut(raffle.id, seller, day, "1-2000", Unit::Booklets) || !reg.undo(raffle.id))
            return 3;
}

} // namespace

class TestRaffleRefusals : public QObject {
    Q_OBJECT
private slots:
    void refusedWithWordsChangingNothing_data()
    {
        QTest::addColumn<Action>("action");
        QTest::addColumn<QString>("words");
        const auto out = [](const QString& typed, Unit unit, bool toPaul) {
            return Action([=](RaffleRegister& reg, const SmallRaffle& r) {
                return reg.handOut(r.raffle.id, toPaul ? r.paul.id : r.martine.id, day, typed, unit);
            });
        };
        const auto back = [](const QString& typed, const QString& unsold) {
            return Action([=](RaffleRegister& reg, const SmallRaffle& r) {
                return reg.giveBack(r.raffle.id, {typed, Unit::Booklets, Return::Outcome::Sold, unsold, {}, day});
            });
        };
        const auto pay = [](const QString& amount) {
            return Action([=](RaffleRegister& reg, const SmallRaffle& r) { return reg.receive(r.raffle.id, r.martine.id, {amount, "espèces", {}, day}); });
        };
        QTest::newRow("with another seller") << out("2-3", Unit::Booklets, true)
                                             << "Rien n'a été remis à Paul Martin : les billets 0006 à 0010 sont déjà chez Martine Dupont.";
        QTest::newRow("sold") << out("0004, 0001", Unit::Tickets, true)
                              << "Rien n'a été remis à Paul Martin : les billets 0001 et 0004 sont déjà vendus (rendus par Martine Dupont).";
        QTest::newRow("not in the raffle") << out("0049-0060", Unit::Tickets, true)
                                           << "Les billets 0051 à 0060 ne sont pas dans la tombola « Tombola de Noël » (elle compte "
                                              "les billets 0001 à 0050).";
        QTest::newRow("past the raffle") << out("9-12", Unit::Booklets, true)
                                         << "Les carnets 11 à 12 ne sont pas dans la tombola « Tombola de Noël » (elle compte les "
                                            "carnets 1 à 10).";
        QTest::newRow("backwards") << out("20-12", Unit::Booklets, true) << "« 20-12 » va à rebours : écrivez 12-20.";
        QTest::newRow("not a number") << out("douze", Unit::Booklets, true)
                                      << "« douze » n'est pas un numéro de carnet : écrivez par exemple 12-20, 25.";
        QTest::newRow("never handed out") << back("5", {})
                                          << "Rien n'a été rendu : les billets 0021 à 0025 n'ont jamais été remis à un vendeur.";
        QTest::newRow("sold twice") << back("1", {})
                                    << "Rien n'a été rendu : les billets 0001 à 0005 sont déjà vendus (rendus par Martine Dupont).";
        QTest::newRow("unsold elsewhere") << back("2", "0030")
                                          << "Rien n'a été rendu : le billet 0030, noté invendu, n'est pas parmi ceux rendus.";
        QTest::newRow("negative money") << pay("-5")
                                        << "« -5 » n'est pas une somme d'argent : écrivez des euros et des centimes, par exemple 12,50.";
        QTest::newRow("words for money") << pay("dix euros")
                                         << "« dix euros » n'est pas une somme d'argent : écrivez des euros et des centimes, par exemple 12,50.";
        QTest::newRow("price after sales") << Action([](RaffleRegister& reg, const SmallRaffle& r) {
            Raffle dearer = r.raffle;
            dearer.priceCents = 300;
            return reg.saveRaffle(dearer);
        }) << "La vente a commencé : 10 billets remis aux vendeurs, dont 5 vendus. Au prix de 3,00\u00A0€ au lieu de 2,00\u00A0€, "
              "l'argent dû pour les billets vendus passe de 10,00\u00A0€ à 15,00\u00A0€, et les billets encore chez les vendeurs devront "
              "se vendre à ce prix. Changer le prix ?";
        QTest::newRow("seller holding tickets") << Action([](RaffleRegister& reg, const SmallRaffle& r) { return reg.deleteSeller(r.raffle.id, r.martine.id); })
                                                << "Martine Dupont a encore les billets 0006 à 0010 : enregistrez leur retour avant de "
                                                   "retirer ce vendeur.";
        QTest::newRow("numbers never printed") << Action([](RaffleRegister& reg, const SmallRaffle& r) {
            return reg.addRun(r.raffle.id, runOf(10, 5, 1, QDateTime(QDate(2026, 11, 21), QTime(9, 0))), "0040-0060");
        }) << "Les numéros 0040 à 0060 n'ont pas tous été imprimés par ce tirage, qui a imprimé 0001 à 0050 : seuls des billets "
              "imprimés entrent dans une tombola.";
        QTest::newRow("printed for another raffle") << Action([](RaffleRegister& reg, const SmallRaffle&) {
            Raffle other{0, {}, "Tombola de Pâques", 100, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}};
            reg.saveRaffle(other);
            return reg.addRun(other.id, runOf(10, 5), "0003-0007");
        }) << "Rien n'a été ajouté : les billets 0003 à 0007 sont déjà dans la tombola « Tombola de Noël ».";
    }
    void refusedWithWordsChangingNothing()
    {
        QFETCH(Action, action);
        QFETCH(QString, words);
        QTemporaryDir dir;
        RaffleRegister reg(dir.filePath("registre.sqlite"), 0);
        SmallRaffle small;
        small.make(reg);
        QVERIFY(reg.handOut(small.raffle.id, small.martine.id, day, "1-2", Unit::Booklets));
        QVERIFY(reg.giveBack(small.raffle.id, {"1", Unit::Booklets, Return::Outcome::Sold, {}, {}, day}));
        const QByteArray before = stateOf(reg, small.raffle.id);
        const Result result = action(reg, small);
        QCOMPARE(result.refusal, words);
        QCOMPARE(stateOf(reg, small.raffle.id), before);
    }

    // Asked and confirmed, the new price counts for the tickets already sold.
    void aPriceChangedOnceConfirmed()
    {
        QTemporaryDir dir;
        RaffleRegister reg(dir.filePath("registre.sqlite"), 0);
        SmallRaffle small;
        small.make(reg);
        QVERIFY(reg.handOut(small.raffle.id, small.martine.id, day, "1", Unit::Booklets));
        QVERIFY(reg.giveBack(small.raffle.id, {"1", Unit::Booklets, Return::Outcome::Sold, {}, {}, day}));
        small.raffle.priceCents = 250;
        QVERIFY(reg.saveRaffle(small.raffle, true));
        QCOMPARE(reg.balances(small.raffle.id).back().dueCents, 1250);
    }

    // Held by another program, the record is waited for a moment, then the action is refused
    // whole with words; once it is free, the same action goes through.
    void aRecordHeldElsewhere()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("registre.sqlite");
        RaffleRegister reg(path, 0);
        SmallRaffle small;
        small.make(reg);
        reg.setPatience(200);
        const QByteArray before = stateOf(reg, small.raffle.id);
        {
            QSqlDatabase other = QSqlDatabase::addDatabase("QSQLITE", "autre");
            other.setDatabaseName(path);
            QVERIFY(other.open());
            QSqlQuery hold(other);
            QVERIFY(hold.exec("BEGIN IMMEDIATE"));
            const Result held = reg.handOut(small.raffle.id, small.martine.id, day, "1", Unit::Booklets);
            QVERIFY2(held.refusal.contains("est occupé par un autre programme : rien n'a été changé. Ce que vous avez saisi est gardé"),
                     qPrintable(held.refusal));
            hold.exec("ROLLBACK");
        }
        QSqlDatabase::removeDatabase("autre");
        QCOMPARE(stateOf(reg, small.raffle.id), before);
        QVERIFY(reg.handOut(small.raffle.id, small.martine.id, day, "1", Unit::Booklets));
    }

    // A second window on the same register shows it and says where to write.
    void twoWindowsNeverBothWrite()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("registre.sqlite");
        RaffleRegister first(path, 0);
        SmallRaffle small;
        small.make(first);
        RaffleRegister second(path, 0);
        QVERIFY(second.usable() && !second.writable());
        QVERIFY(second.notice().startsWith("Le suivi de la tombola est déjà ouvert dans une autre fenêtre de Calvorigne"));
        QCOMPARE(second.balances(small.raffle.id).size(), std::size_t(3));
        QVERIFY(second.handOut(small.raffle.id, small.martine.id, day, "1", Unit::Booklets).refusal.startsWith(
            "Le suivi de la tombola est ouvert dans une autre fenêtre de Calvorigne : rien n'a été changé ici."));
        QVERIFY(first.handOut(small.raffle.id, small.martine.id, day, "1", Unit::Booklets));
    }

    // Killed at any moment, the program leaves each hand-out whole or absent, and the trail says
    // which.
    void aKilledActionIsWholeOrAbsent()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("registre.sqlite");
        {
            RaffleRegister reg(path, 0);
            Raffle raffle{0, {}, "Grande tombola", 200, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}};
            QVERIFY(reg.saveRaffle(raffle));
            QVERIFY(reg.addRun(raffle.id, runOf(2000, 5)));
            Seller seller{0, "Martine Dupont", {}, {}, {}};
            QVERIFY(reg.saveSeller(raffle.id, seller));
        }
        for (int attempt = 0; attempt < 4; ++attempt) {
            QProcess child;
            child.start(QCoreApplication::applicationFilePath(), {"--remettre", path});
            QVERIFY(child.waitForReadyRead(20000));
            QThread::msleep(100 + QRandomGenerator::global()->bounded(600));
            child.kill();
            QVERIFY(child.waitForFinished(20000));
            RaffleRegister reg(path, 0);
            QVERIFY2(reg.usable(), qPrintable(reg.notice()));
            const qint64 raffle = reg.raffles().front().id;
            const qint64 out = reg.balances(raffle).back().out;
            QVERIFY2(out == 0 || out == 10000, qPrintable(QString::number(out)));
            QCOMPARE(reg.lastOperation(raffle).startsWith("Remise à Martine Dupont"), out == 10000);
        }
    }
};

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    if (argc == 3 && QByteArray(argv[1]) == "--remettre")
        return handOutUntilKilled(QString::fromLocal8Bit(argv[2]));
    TestRaffleRefusals test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_raffle_refusals.moc"
