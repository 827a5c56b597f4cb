// The draw: the README's worked example as sha256sum and openssl give it, a check that the
// ranking favours no ticket (which a biased shuffle fails), only sold tickets winning in either
// way, a draw resumed after a kill, and the check of its data file.
#include "draw/algorithm.h"
#include "draw/drawbook.h"
#include "draw/minutes.h"
#include "raffle_fixture.h"

#include <QGuiApplication>
#include <QCryptographicHash>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <functional>
#include <map>
#include <random>

using namespace calvorigne;
using namespace calvorigne::testing;

namespace {

const QStringList example = {"0012", "0047", "0103", "0158", "0222", "0290", "0317", "0388", "0456", "0499"};
const QStringList dice = {"3516244231", "6213455162"};

// A raffle of 0001 to 0500 whose sold tickets are the example's, the rest unsold, with three
// prizes, its draw prepared.
qint64 exampleRaffle(RaffleRegister& reg)
{
    Raffle raffle{0, {}, "Tombola de l'exemple", 200, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}};
    reg.saveRaffle(raffle);
    reg.addRun(raffle.id, runOf(50, 10));
    Seller seller{0, "Martine Dupont", {}, {}, {}};
    reg.saveSeller(raffle.id, seller);
    reg.handOut(raffle.id, seller.id, QDate(2026, 12, 1), "1-50", Unit::Booklets);
    QStringList unsold;
    for (int n = 1; n <= 500; ++n)
        if (!example.contains(QStringLiteral("%1").arg(n, 4, 10, QChar(u'0'))))
            unsold << QString::number(n);
    reg.giveBack(raffle.id, {"1-50", Unit::Booklets, Return::Outcome::Sold, unsold.join(','), {}, QDate(2026, 12, 10)});
    DrawBook book(reg, raffle.id);
    for (const QString lot : {"Panier garni", "Vélo", "Bon pour un repas au restaurant"}) {
        Prize prize{0, 0, lot, {}, 5000};
        book.savePrize(prize);
    }
    const Result prepared = book.prepare();
    if (!prepared)
        qWarning("%s", qPrintable(prepared.refusal));
    return raffle.id;
}

// The child: draws two prizes by the program, says so, and waits to be killed.
int drawUntilKilled(const QString& path)
{
    RaffleRegister reg(path, 0);
    DrawBook book(reg, reg.raffles().front().id);
    if (!book.begin("programme", false, dice) || !book.drawByProgram() || !book.drawByProgram())
        return 3;
    std::printf("prêt\n");
    std::fflush(stdout);
    for (;;)
        QTest::qWait(1000);
}

// How far the winners of many draws stray from every ticket winning as often: Pearson's
// chi-square over the tickets.
double chiSquare(const QStringList& tickets, const std::function<QString(int)>& winnerOfDraw, int draws)
{
    std::map<QString, int> wins;
    for (int k = 0; k < draws; ++k)
        ++wins[winnerOfDraw(k)];
    const double expected = double(draws) / tickets.size();
    double chi = 0;
    for (const QString& t : tickets)
        chi += (wins[t] - expected) * (wins[t] - expected) / expected;
    return chi;
}

QString graineOf(int k)
{
    return QString::fromLatin1(QCryptographicHash::hash(QByteArray::number(k), QCryptographicHash::Sha256).toHex());
}

} // namespace

class TestDraw : public QObject {
    Q_OBJECT
private slots:
    // Computed with: printf '%s\n' 0012 … 0499 | sha256sum; printf '%s\n%s\n%s' HASH 3516244231
    // 6213455162 | sha256sum; printf '%s' 0388 | openssl dgst -sha256 -mac HMAC -macopt hexkey:GRAINE.
    void theReadmesWorkedExample()
    {
        const QString hash = draw::listHash(example);
        QCOMPARE(hash, QString("8836f8d8e3d5f6091ba2ac12b6128528aa660ea28e8d6f28093a6e00c46260a9"));
        const QString graine = draw::graine(hash, dice);
        QCOMPARE(graine, QString("22d45ff6b1a992ab2019e624f00485f2d151d42159599fa8b1148563762936a0"));
        const std::vector<draw::Ranked> ranked = draw::ranking(graine, example);
        QStringList order;
        for (const draw::Ranked& r : ranked)
            order << r.label;
        QCOMPARE(order, QStringList({"0388", "0317", "0012", "0047", "0222", "0158", "0499", "0456", "0290", "0103"}));
        QCOMPARE(ranked.front().mark.toHex(), QByteArray("1bd0a5d76580fc530e2fb234bf44f556424997516c6edf93326463a26a8f7327"));
        QCOMPARE(draw::readAloud(hash).left(14), QString("8836 f8d8 e3d5"));
    }

    // Over 6,000 graines every one of three tickets wins about as often (chi-square below
    // 13.8, the 0.1 % bound for 2 degrees of freedom). A shuffle of Sattolo's kind, for two
    // tickets, always makes the same one win, and the check says so.
    void noTicketIsFavoured()
    {
        const QStringList three = {"0001", "0002", "0003"};
        const double ours = chiSquare(three, [&](int k) { return draw::ranking(graineOf(k), three).front().label; }, 6000);
        QVERIFY2(ours < 13.8, qPrintable(QString::number(ours)));
        const QStringList two = {"0001", "0002"};
        const auto sattolo = [&](int k) {
            QStringList order = two;
            std::mt19937 random{std::uint32_t(k)};
            for (qsizetype i = order.size() - 1; i > 0; --i)
                order.swapItemsAt(i, qsizetype(random() % std::uint32_t(i)));
            return order.front();
        };
        QVERIFY(chiSquare(two, sattolo, 6000) > 13.8);
        QVERIFY(chiSquare(two, [&](int k) { return draw::ranking(graineOf(k), two).front().label; }, 6000) < 13.8);
    }

    // Only sold tickets win: a draw cannot be prepared while tickets are out, the list then
    // freezes, the program's draw follows the example, and the urn sets aside what cannot win.
    void onlySoldTicketsWin()
    {
        QTemporaryDir dir;
        RaffleRegister reg(dir.filePath("registre.sqlite"), 0);
        SmallRaffle small;
        small.make(reg);
        QVERIFY(reg.handOut(small.raffle.id, small.martine.id, QDate(2026, 12, 1), "1-3", Unit::Booklets));
        QVERIFY(reg.giveBack(small.raffle.id, {"1", Unit::Booklets, Return::Outcome::Sold, "0004", {}, QDate(2026, 12, 9)}));
        QVERIFY(reg.giveBack(small.raffle.id, {"2", Unit::Booklets, Return::Outcome::Lost, {}, {}, QDate(2026, 12, 9)}));
        DrawBook book(reg, small.raffle.id);
        Prize prize{0, 0, "Panier garni", {}, 3500};
        QVERIFY(book.savePrize(prize));
        QCOMPARE(book.prepare().refusal, QString("Le tirage ne peut pas être préparé : des billets sont encore chez les vendeurs. Seuls des "
                                                 "billets vendus peuvent gagner ; dites ce qu'il en est de ceux-ci.\n"
                                                 "Martine Dupont : les billets 0011 à 0015"));
        QVERIFY(book.settleStillOut(false));
        QVERIFY(book.prepare());
        QCOMPARE(book.current()->list, QStringList({"0001", "0002", "0003", "0005"}));
        QVERIFY(reg.handOut(small.raffle.id, small.paul.id, QDate(2026, 12, 11), "5", Unit::Booklets).refusal.startsWith(
            "Le tirage de cette tombola est préparé"));
        Prize second{0, 0, "Vélo", {}, 12000};
        QVERIFY(book.savePrize(second));

        QVERIFY(book.begin("urne", true));
        QCOMPARE(book.nextPrize()->description, QString("Vélo")); // last prize first
        QCOMPARE(book.drawFromUrn("0004").note, QString("0004 : billet invendu, tirez-en un autre"));
        QCOMPARE(book.drawFromUrn("0007").note, QString("0007 : billet perdu, tirez-en un autre"));
        QCOMPARE(book.drawFromUrn("0099").note, QString("0099 : pas un billet de cette tombola, tirez-en un autre"));
        QVERIFY(!book.drawFromUrn("douze"));
        QVERIFY(book.drawFromUrn("àà&") && book.drawFromUrn("àà&").refusal.startsWith("Le billet 0001 a déjà été tiré")); // AZERTY 001
        QVERIFY(book.absent("ne s'est pas présenté"));
        QCOMPARE(book.nextPrize()->description, QString("Vélo"));
        QVERIFY(book.drawFromUrn("0005"));
        QVERIFY(book.drawFromUrn("0002"));
        QVERIFY(!book.nextPrize());
        QStringList outcomes;
        const DrawState done = *book.current();
        for (const DrawResult& r : done.results)
            outcomes << QStringLiteral("%1 %2 %3").arg(r.label, r.outcome).arg(r.prizeRank);
        QCOMPARE(outcomes, QStringList({"0004 écarté 0", "0007 écarté 0", "0099 écarté 0", "0001 absent 2", "0005 gagnant 2",
                                        "0002 gagnant 1"}));
        QCOMPARE(verifyDraw(book.data()), QString());
    }

    // Killed after two prizes, the draw goes on at the next start with the third, as the
    // example says; an absent winner gives way to the first substitute; the data file checks,
    // and an edited one does not.
    void resumedAfterAKillAndChecked()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("registre.sqlite");
        {
            RaffleRegister reg(path, 0);
            exampleRaffle(reg);
        }
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(), {"--tirer", path});
        QVERIFY(child.waitForReadyRead(20000));
        child.kill();
        QVERIFY(child.waitForFinished(20000));

        RaffleRegister reg(path, 0);
        DrawBook book(reg, reg.raffles().front().id);
        QCOMPARE(book.current()->results.size(), std::size_t(2));
        QCOMPARE(book.nextPrize()->rank, 3);
        QVERIFY(book.drawByProgram());
        QCOMPARE(book.current()->results.back().label, QString("0012"));
        QVERIFY(book.absent("ne réclame pas son lot"));
        QVERIFY(book.drawByProgram());
        QCOMPARE(book.current()->results.back().label, QString("0047"));
        QVERIFY(!book.nextPrize());

        QJsonObject data = book.data();
        QCOMPARE(data.value("graine").toString(), QString("22d45ff6b1a992ab2019e624f00485f2d151d42159599fa8b1148563762936a0"));
        QCOMPARE(verifyDraw(data), QString());
        QJsonArray results = data.value("resultats").toArray();
        QJsonObject second = results[1].toObject();
        second["billet"] = "0012";
        results[1] = second;
        QJsonObject edited = data;
        edited["resultats"] = results;
        QCOMPARE(verifyDraw(edited), QString("Résultat n° 2 (lot n° 2) : le fichier dit 0012, le calcul donne 0317."));
        edited = data;
        edited["liste"] = QJsonArray::fromStringList(QStringList(example).replaceInStrings("0499", "0500"));
        QVERIFY(verifyDraw(edited).startsWith("L'empreinte de la liste des billets vendus ne correspond pas"));
        edited = data;
        edited["temoins"] = QJsonArray::fromStringList({"3516244231", "6213455161"});
        QVERIFY(verifyDraw(edited).startsWith("La graine du fichier ne vient pas"));
    }

    // The minutes as a signing mayor reads them, from the PDF; the data file beside them checks.
    void theMinutesReadBack()
    {
        QTemporaryDir dir;
        RaffleRegister reg(dir.filePath("registre.sqlite"), 0);
        const qint64 raffle = exampleRaffle(reg);
        DrawBook book(reg, raffle);
        QVERIFY(book.begin("programme", false, dice));
        for (int k = 0; k < 3; ++k)
            QVERIFY(book.drawByProgram());
        const Balance total = reg.balances(raffle).back();
        const DrawCounts counts{total.stock + total.handedOut, total.handedOut, total.sold, total.unsold, total.spoiled, total.lost};
        const QString pdf = dir.filePath("Procès-verbal.pdf");
        QCOMPARE(writeMinutes(minutesHtml(*reg.raffle(raffle), counts, *book.current(), book.prizes()), book.data(), pdf), QString());
        QFile json(dir.filePath("Procès-verbal.json"));
        QVERIFY(json.open(QIODevice::ReadOnly));
        QCOMPARE(verifyDraw(QJsonDocument::fromJson(json.readAll()).object()), QString());
        QCOMPARE(writeMinutes("<p>x</p>", {}, dir.filePath("absent/pv.pdf")).left(2), QString("« "));
#ifdef _WIN32
        QSKIP("pdftotext is read on Linux");
#else
        QProcess pdftotext;
        pdftotext.start("pdftotext", {pdf, "-"});
        QVERIFY(pdftotext.waitForFinished(20000));
        const QString text = QString::fromUtf8(pdftotext.readAllStandardOutput()).simplified();
        for (const QString expected : {"Procès-verbal du tirage", "Tombola de l'exemple", "500 500 10 490 0 0",
                                       "8836 f8d8 e3d5 f609", "3516244231", "22d4 5ff6 b1a9 92ab", "1 Panier garni 50,00 € 0388",
                                       "2 Vélo 50,00 € 0317", "Témoin", "page 1 / 1"})
            QVERIFY2(text.contains(expected), qPrintable(expected + " :: " + text));
#endif
    }

    void refusedBeforeTheDraw()
    {
        QTemporaryDir dir;
        RaffleRegister reg(dir.filePath("registre.sqlite"), 0);
        DrawBook book(reg, exampleRaffle(reg));
        QCOMPARE(book.begin("programme", false, {"35162442316213455"}).refusal,
                 QString("Il faut au moins deux témoins et 20 chiffres de dés en tout (1 témoin, 17 chiffres pour l'instant)."));
        QVERIFY(book.begin("programme", false, {"3516a", "62134"}).refusal.startsWith("« 3516a » : les témoins tapent"));
        Prize cash{0, 0, "Chèque de 100 €", {}, 10000};
        QVERIFY(DrawBook::cashWarning(cash.description).startsWith("« Chèque de 100 € » ressemble à une somme d'argent."));
        QCOMPARE(DrawBook::cashWarning("Panier garni"), QString());
        // Prizes from a spreadsheet, headings skipped, all or none.
        const QByteArray sheet = "\xEF\xBB\xBFLot;Offert par;Valeur\r\nVélo;Cycles Durand;320,00\r\nEnveloppe de 50 € en espèces;;50\r\n";
        QVERIFY(book.cancel("erreur dans la liste"));
        QCOMPARE(book.importPrizes("Vélo;;320\nPanier;;trente euros\n").refusal,
                 QString("Ligne 2 du fichier : « Panier;;trente euros » n'est pas un lot (sa description, qui l'offre, sa valeur en euros). "
                         "Aucun lot n'a été ajouté."));
        const Result imported = book.importPrizes(sheet);
        QVERIFY2(imported, qPrintable(imported.refusal));
        QVERIFY(imported.note.startsWith("« Enveloppe de 50 € en espèces » ressemble à une somme d'argent."));
        QCOMPARE(book.prizes().size(), std::size_t(5));
        QCOMPARE(book.prizes()[3].donor, QString("Cycles Durand"));
        QCOMPARE(book.prizes()[3].valueCents, 32000);
        QVERIFY(!book.current());
        QVERIFY(book.savePrize(cash));
        QVERIFY(book.prepare());
        const Result begun = book.begin("programme", false, dice);
        QVERIFY(begun);
        QCOMPARE(begun.note, QString()); // 6 prizes, 10 tickets
        QVERIFY(book.importPrizes(sheet).refusal.startsWith("Le tirage a commencé"));
    }
};

int main(int argc, char* argv[])
{
    QGuiApplication application(argc, argv);
    if (argc == 3 && QByteArray(argv[1]) == "--tirer")
        return drawUntilKilled(QString::fromLocal8Bit(argv[2]));
    TestDraw test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_draw.moc"
