// The papers a raffle needs, read back as the mayor and the association will read them: the
// PDFs through pdftotext, the rules' OpenDocument unzipped, the account's CSV as French Excel
// reads it, and the sample ticket's numbers where the run prints them.
#include "documents/account.h"
#include "documents/dossier.h"
#include "documents/rules.h"
#include "documents/sampleticket.h"
#include "fakes.h"
#include "raffle_fixture.h"
#include "raffle/transfer.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <share.h>
#endif

using namespace calvorigne;
using namespace calvorigne::testing;

namespace {

// What a program prints of a file, spaces made plain; nothing where the program is not there.
QString run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(20000) || process.exitCode() != 0)
        return {};
    // Ligatures and non-breaking spaces read as the plain letters and spaces they stand for.
    return QString::fromUtf8(process.readAllStandardOutput()).normalized(QString::NormalizationForm_KC).simplified();
}

QString pdfText(const QString& pdf)
{
    return run(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
}

QByteArray bytesOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The Amicale's raffle of 1 500 tickets at 2,00 €, its draw a month and two days away, three prizes.
RaffleFacts amicale()
{
    RaffleFacts facts;
    Raffle& r = facts.raffle;
    r.name = QStringLiteral("Tombola de printemps");
    r.priceCents = 200;
    r.association = QStringLiteral("Amicale des écoles");
    r.rna = QStringLiteral("W123456789");
    r.address = QStringLiteral("1 rue de la Mairie, 12345 Calvorigne");
    r.president = QStringLiteral("Anne Durand");
    r.cause = QStringLiteral("éducative");
    r.purpose = QStringLiteral("financer la classe de neige des CM2");
    r.profitUse = QStringLiteral("le car de la classe de neige");
    r.drawPlace = QStringLiteral("salle des fêtes");
    facts.today = QDate(2027, 3, 1);
    r.drawDate = QDate(2027, 4, 3);
    facts.tickets = 1500;
    facts.prizes = {{0, 1, QStringLiteral("Vélo"), QStringLiteral("Cycles Martin"), 25000},
                    {0, 2, QStringLiteral("Panier garni"), {}, 6000},
                    {0, 3, QStringLiteral("Livre de cuisine"), {}, 1990}};
    return facts;
}

} // namespace

class TestDocuments : public QObject {
    Q_OBJECT
private slots:
    // Each threshold at its cent: the balance sheet above 7 500 €, the tax office above 30 000 €.
    void thresholds_data()
    {
        QTest::addColumn<qint64>("tickets");
        QTest::addColumn<qint64>("price");
        QTest::addColumn<bool>("balanceSheet");
        QTest::addColumn<bool>("taxOffice");
        QTest::addColumn<QString>("capital");
        QTest::newRow("7 500,00 €") << qint64(3750) << qint64(200) << false << false << "7 500,00 €";
        QTest::newRow("7 500,01 €") << qint64(1) << qint64(750001) << true << false << "7 500,01 €";
        QTest::newRow("30 000,00 €") << qint64(15000) << qint64(200) << true << false << "30 000,00 €";
        QTest::newRow("30 000,01 €") << qint64(1) << qint64(3000001) << true << true << "30 000,01 €";
    }
    void thresholds()
    {
        QFETCH(qint64, tickets);
        QFETCH(qint64, price);
        QFETCH(bool, balanceSheet);
        QFETCH(bool, taxOffice);
        QFETCH(QString, capital);
        RaffleFacts facts = amicale();
        facts.tickets = tickets;
        facts.raffle.priceCents = price;
        QTemporaryDir dir;
        const QString pdf = dir.filePath("dossier.pdf");
        QCOMPARE(writeDossier(facts, pdf), QString());
        QVERIFY(bytesOf(pdf).startsWith("%PDF"));
        QString warnings;
        for (const Warning& w : mayorWarnings(facts))
            warnings += w.text + " (" + w.rule + ") ";
        QCOMPARE(warnings.contains("joignez le bilan du dernier exercice"), balanceSheet);
        QCOMPARE(warnings.contains("avis du directeur départemental des finances publiques"), taxOffice);
        QCOMPARE(warnings.contains("article D322-2"), taxOffice);
        QCOMPARE(warnings.isEmpty(), !balanceSheet);
#ifndef _WIN32
        const QString text = pdfText(pdf);
        QVERIFY2(text.contains("Capital d'émission (nombre × prix) " + capital), qPrintable(text));
        QCOMPARE(text.contains("joignez le bilan du dernier exercice"), balanceSheet);
        QCOMPARE(text.contains("Le bilan du dernier exercice de l'association non : à joindre"), balanceSheet);
        QCOMPARE(text.contains("(article D322-2 du code de la sécurité intérieure)"), taxOffice);
        QCOMPARE(text.contains("À voir avant de déposer la demande"), balanceSheet);
#endif
    }

    // The whole file as the mayor reads it, then the cash prize, the date too near and the cause
    // left blank, each said with its rule.
    void mayorFile()
    {
        QTemporaryDir dir;
        RaffleFacts facts = amicale();
        const QString clean = dir.filePath("propre.pdf");
        QCOMPARE(writeDossier(facts, clean), QString());
        QVERIFY(mayorWarnings(facts).empty());
        facts.prizes.push_back({0, 4, QStringLiteral("Chèque de 100 €"), {}, 10000});
        facts.raffle.drawDate = facts.today.addMonths(1).addDays(-1);
        facts.raffle.cause.clear();
        const std::vector<Warning> warnings = mayorWarnings(facts);
        QCOMPARE(warnings.size(), std::size_t(3));
        QVERIFY(warnings[0].text.startsWith("La cause de la tombola n'est pas dite"));
        QVERIFY(warnings[1].text.startsWith("Lot n° 4 : « Chèque de 100 € » ressemble à une somme d'argent"));
        QVERIFY(warnings[2].text.startsWith("Le tirage est le 31 mars 2027, dans moins d'un mois"));
        facts.raffle.drawDate = facts.today.addMonths(1);
        QCOMPARE(mayorWarnings(facts).size(), std::size_t(2)); // a month ahead is in time
        facts.raffle.drawDate = facts.today.addDays(20);
        const QString warned = dir.filePath("avertissements.pdf");
        QCOMPARE(writeDossier(facts, warned), QString());
#ifndef _WIN32
        const QString text = pdfText(clean);
        for (const QString expected :
             {"Dossier pour la mairie", "Cerfa n° 11823*03", "Association Amicale des écoles", "N° RNA W123456789",
              "Président ou présidente Anne Durand", "Cause éducative", "Objet financer la classe de neige des CM2",
              "Nombre de billets émis 1500", "Prix du billet 2,00 €", "Capital d'émission (nombre × prix) 3 000,00 €",
              "1 Vélo 250,00 €", "Offert par Cycles Martin", "Valeur totale des lots (3) 329,90 €", "Date 3 avril 2027", "Lieu salle des fêtes",
              "Les bénéfices iront à le car de la classe de neige", "Un spécimen de billet oui : « Billet spécimen »",
              "Les statuts de l'association non : à joindre", "page 1 / 2"})
            QVERIFY2(text.contains(expected), qPrintable(expected + " :: " + text));
        QVERIFY(!text.contains("À voir"));
        const QString said = pdfText(warned);
        for (const QString expected : {"À voir avant de déposer la demande", "La cause de la tombola n'est pas dite",
                                       "(article L322-3 du code de la sécurité intérieure)", "« Chèque de 100 € » ressemble à une somme",
                                       "les lots sont des objets mobiliers)", "Le tirage est le 21 mars 2027, dans moins d'un mois",
                                       "(délai que demandent la plupart des mairies)", "Cause à compléter"})
            QVERIFY2(said.contains(expected), qPrintable(expected + " :: " + said));
#endif
    }

    // Refused whole: no organiser, no cause for the rules, a folder that cannot be written, a
    // file another program holds open.
    void refusals()
    {
        QTemporaryDir dir;
        RaffleFacts facts = amicale();
        facts.raffle.association = "  ";
        QVERIFY(writeDossier(facts, dir.filePath("d.pdf")).startsWith("Le formulaire demande le nom de l'association"));
        QVERIFY(rulesRefusal(facts).startsWith("Le règlement nomme l'association"));
        facts = amicale();
        facts.tickets = 9'000'000'000'000'000'000;
        QCOMPARE(writeDossier(facts, dir.filePath("d.pdf")),
                 QString("9000000000000000000 billets, c'est plus que Calvorigne n'en numérote (10000000 au plus). Rien n'a été écrit."));
        facts = amicale();
        facts.raffle.cause.clear();
        QVERIFY(rulesRefusal(facts).startsWith("Le règlement dit la cause"));
        QVERIFY(QDir(dir.path()).entryList(QDir::Files).isEmpty());

        facts = amicale();
        const QString absent = dir.filePath("absent/règlement.odt");
        const QString folder = writeRules(rulesHtml(facts, {}), absent);
        QVERIFY2(folder.contains("ne peut pas être écrit dans ce dossier") && folder.endsWith("Rien n'a été écrit."), qPrintable(folder));
        QVERIFY(!QFile::exists(rulesPdfPath(absent)));
#ifdef _WIN32
        // Windows will not replace a file another program holds open.
        const QString held = dir.filePath("dossier.pdf");
        QCOMPARE(writeDossier(facts, held), QString());
        const QByteArray before = bytesOf(held);
        int handle = -1;
        QCOMPARE(_wsopen_s(&handle, reinterpret_cast<const wchar_t*>(QDir::toNativeSeparators(held).utf16()), _O_RDONLY, _SH_DENYRW, 0), 0);
        const QString open = writeDossier(amicale(), held);
        _close(handle);
        QVERIFY2(open.contains("il est sans doute ouvert dans un autre programme"), qPrintable(open));
        QCOMPARE(bytesOf(held), before);
#endif
    }

    // The rules as OpenDocument and as PDF, both filled in; the draw said as it will be held.
    void rules()
    {
        QTemporaryDir dir;
        const RaffleFacts facts = amicale();
        RulesChoices choices;
        choices.method = "programme";
        choices.claimDays = 45;
        choices.firstLabel = "0001", choices.lastLabel = "1500";
        const QString odt = dir.filePath("Règlement.odt");
        QCOMPARE(writeRules(rulesHtml(facts, choices), odt), QString());
        // An OpenDocument package opens with its type, stored, which is how a reader knows it.
        QVERIFY(bytesOf(odt).startsWith("PK"));
        QCOMPARE(bytesOf(odt).mid(30, 47), QByteArray("mimetypeapplication/vnd.oasis.opendocument.text"));
        QVERIFY(bytesOf(rulesPdfPath(odt)).startsWith("%PDF"));
#ifndef _WIN32
        const QString content = run("unzip", {"-p", odt, "content.xml"});
        QVERIFY2(content.startsWith("<?xml") && content.contains("office:document-content"), qPrintable(content.left(200)));
        const QString pdf = pdfText(rulesPdfPath(odt));
        for (const QString expected :
             {"L'association Amicale des écoles (RNA W123456789), dont le siège est 1 rue de la Mairie, 12345 Calvorigne, représentée par Anne "
              "Durand, organise une tombola intitulée « Tombola de printemps ».",
              "La tombola sert une cause éducative : financer la classe de neige des CM2.",
              "1500 billets, numérotés de 0001 à 1500, sont vendus au prix de 2,00 € l'un", "Vélo, offert par Cycles Martin, d'une valeur de 250,00 €",
              "Le tirage a lieu le 3 avril 2027, salle des fêtes, en public.", "Au moins deux témoins", "HMAC-SHA-256",
              "chacun peut refaire le calcul", "dans les 45 jours qui suivent le tirage, soit jusqu'au 18 mai 2027",
              "reste à l'association, qui le remettra en jeu", "Elle les efface à la fin du délai de retrait des lots, le 18 mai 2027"}) {
            QVERIFY2(content.contains(QString(expected).toHtmlEscaped().replace("&quot;", "\"")) || content.contains(expected),
                     qPrintable("content.xml :: " + expected));
            QVERIFY2(pdf.contains(expected), qPrintable(expected + " :: " + pdf));
        }
        choices.method = "urne";
        QCOMPARE(writeRules(rulesHtml(facts, choices), odt), QString());
        const QString urn = pdfText(rulesPdfPath(odt));
        QVERIFY(urn.contains("Les talons des billets vendus sont placés dans une urne"));
        QVERIFY(!urn.contains("HMAC"));
#endif
    }

    // A raffle's money by hand: 12 sold at 2,00 € is 24,00 € due; 20,00 € received; 11,70 € of
    // costs; 8,30 € of result. The same lines in the PDF and in the CSV.
    void account()
    {
        QTemporaryDir dir;
        RaffleRegister reg(dir.filePath("registre.sqlite"), 0);
        SmallRaffle small;
        small.make(reg);
        const qint64 id = small.raffle.id;
        QVERIFY(reg.handOut(id, small.martine.id, QDate(2027, 3, 1), "1-3", Unit::Booklets));
        QVERIFY(reg.giveBack(id, {"1-3", Unit::Booklets, Return::Outcome::Sold, "1-3", {}, QDate(2027, 3, 20)}));
        QVERIFY(reg.receive(id, small.martine.id, {"20", "espèces", {}, QDate(2027, 3, 20)}));
        QCOMPARE(reg.account(id).costsCents(), 0);
        QVERIFY(reg.saveAccount(id, {550, 320, 100, 200, "", ""}).refusal.startsWith("Dites ce que sont les autres frais de 2,00\u00A0€"));
        QVERIFY(reg.saveAccount(id, {550, 320, 100, 200, "location de la salle", "le car de la classe de neige"}));
        QCOMPARE(reg.lastOperation(id), QString("Frais de la tombola : 11,70\u00A0€"));
        const AccountFacts facts{*reg.raffle(id), reg.balances(id), reg.account(id), QDate(2027, 4, 10)};
        QCOMPARE(facts.resultCents(), 830);
        const QString pdf = dir.filePath("Compte rendu.pdf");
        QCOMPARE(writeAccount(facts, pdf), QString());
        const QByteArray csv = bytesOf(dir.filePath("Compte rendu.csv"));
        QVERIFY(csv.startsWith("\xEF\xBB\xBF" "Rubrique;Libellé;Montant (€)\r\n"));
        for (const QByteArray line : {"Recettes;Billets vendus : 12 × 2,00\xC2\xA0\xE2\x82\xAC;24,00\r\n", "Recettes;Argent reçu des vendeurs;20,00\r\n",
                                      "Recettes;Écart (reçu − dû);-4,00\r\n", "Frais;Autres frais : location de la salle;2,00\r\n",
                                      "Frais;Total des frais;11,70\r\n", "Résultat;Résultat net (reçu − frais);8,30\r\n",
                                      "Résultat;Va à;le car de la classe de neige\r\n", "\r\nVendeur;Remis;Vendus;", "Martine Dupont;15;12;3;"})
            QVERIFY2(csv.contains(line), line.constData());
        QVERIFY(reg.undo(id));
        QCOMPARE(reg.account(id).costsCents(), 0);
#ifndef _WIN32
        const QString text = pdfText(pdf);
        for (const QString expected : {"Compte rendu financier", "Billets vendus : 12 × 2,00 € 24,00 €", "Argent reçu des vendeurs 20,00 €",
                                       "Écart (reçu − dû) -4,00 €", "Lots achetés 5,50 €", "Impression 3,20 €", "Papier des billets 1,00 €",
                                       "Total des frais 11,70 €", "Résultat net (reçu − frais) 8,30 €",
                                       "Le résultat va à : le car de la classe de neige", "Martine Dupont 15 12 3"})
            QVERIFY2(text.contains(expected), qPrintable(expected + " :: " + text));
#endif
    }

    // A register written before the papers takes them on, keeps its raffle, and a change to
    // them is undone like any other; a raffle carried to another record takes them along.
    void registerKeepsThePapers()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("registre.sqlite");
        qint64 id = 0;
        {
            RaffleRegister reg(path, 0);
            SmallRaffle small;
            small.make(reg);
            id = small.raffle.id;
        }
        {
            // Back to the form it had before: no papers, version 1.
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "older");
            db.setDatabaseName(path);
            QVERIFY(db.open());
            QSqlQuery q(db);
            for (const char* statement : {"DROP TRIGGER raffles_update", "DROP TRIGGER raffles_delete", "DROP TRIGGER raffles_insert",
                                          "DROP TRIGGER accounts_update", "DROP TRIGGER accounts_delete", "DROP TRIGGER accounts_insert",
                                          "DROP TABLE accounts", "ALTER TABLE raffles DROP COLUMN cause", "ALTER TABLE raffles DROP COLUMN purpose",
                                          "ALTER TABLE raffles DROP COLUMN profit_use", "UPDATE raffle_schema SET version = 1"})
                QVERIFY2(q.exec(statement), qPrintable(q.lastError().text()));
        }
        QSqlDatabase::removeDatabase("older");
        RaffleRegister reg(path, 0);
        QVERIFY(reg.usable());
        Raffle raffle = *reg.raffle(id);
        QCOMPARE(raffle.name, QString("Tombola de Noël"));
        QCOMPARE(reg.tickets(id).size(), std::size_t(50));
        raffle.cause = "sportive", raffle.purpose = "des maillots", raffle.profitUse = "le club";
        QVERIFY(reg.saveRaffle(raffle));
        QCOMPARE(reg.raffle(id)->cause, QString("sportive"));
        QVERIFY(reg.saveAccount(id, {1000, 0, 0, 0, {}, "le club"}));
        const QString file = dir.filePath("noel.tombola");
        QVERIFY(exportRaffle(reg, id, file, false));
        RaffleRegister other(dir.filePath("autre.sqlite"), 0);
        QVERIFY(importRaffle(other, readTransfer(other, file), false));
        const Raffle carried = other.raffles().front();
        QCOMPARE(carried.purpose, QString("des maillots"));
        QCOMPARE(other.account(carried.id).prizesCents, 1000);
        QVERIFY(reg.undo(id));
        QVERIFY(reg.undo(id));
        QCOMPARE(reg.raffle(id)->cause, QString());
        QCOMPARE(reg.raffle(id)->name, QString("Tombola de Noël"));
    }

    // The first sheet as it will print: pass 1's numbers where the run prints them, pass 2's on
    // the same sheet turned end for end, the picture of the blank sheet under them.
    void sampleTicket()
    {
        QTemporaryDir dir;
        RecordingPrinter printer;
        const PrintPlan plan = planRun(exampleLayout(12, 2), printer);
        QVERIFY(plan.refusal.isEmpty());
        const std::vector<PlacedNumber>& first = plan.documents.front().pages.front().numbers;
        QVERIFY(!first.empty());
        QImage blank(210, 297, QImage::Format_RGB32);
        blank.fill(QColor(250, 240, 200));
        const QString pdf = dir.filePath("spécimen.pdf");
        QCOMPARE(writeSampleTicket(plan, {printer.sheet(), printer.printable(), nullptr, blank}, pdf), QString());
        const QString plain = dir.filePath("sans fond.pdf");
        QCOMPARE(writeSampleTicket(plan, {printer.sheet(), printer.printable(), nullptr, {}}, plain), QString());
        QVERIFY(bytesOf(pdf).size() > bytesOf(plain).size());
#ifndef _WIN32
        QCOMPARE(run("pdfimages", {"-list", pdf}).count(" image "), 1);
        QVERIFY(!run("pdfimages", {"-list", plain}).contains(" image "));
        // Where pdftotext finds each word, in millimetres from the sheet's top-left corner.
        QProcess boxes;
        boxes.start("pdftotext", {"-bbox", pdf, "-"});
        QVERIFY(boxes.waitForFinished(20000));
        const QString xml = QString::fromUtf8(boxes.readAllStandardOutput());
        const QRegularExpression word("<page width=\"([\\d.]+)\" height=\"([\\d.]+)\"|<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" yMax=\"([\\d.]+)\">([^<]+)</word>");
        std::map<QString, QRectF> found;
        for (auto m = word.globalMatch(xml); m.hasNext();) {
            const auto w = m.next();
            if (w.captured(1).isEmpty())
                found[w.captured(7)] = QRectF(QPointF(w.captured(3).toDouble(), w.captured(4).toDouble()),
                                              QPointF(w.captured(5).toDouble(), w.captured(6).toDouble()));
            else
                QVERIFY(qAbs(w.captured(1).toDouble() / 72 * 25.4 - 210) < 0.5 && qAbs(w.captured(2).toDouble() / 72 * 25.4 - 297) < 0.5);
        }
        // The mark, turned, comes out a letter at a time: read across the sheet, left to right.
        std::map<double, QString> letters;
        for (const auto& [text, box] : found)
            if (text.size() == 1)
                letters[box.left()] += text;
        QString mark;
        for (const auto& [left, letter] : letters)
            mark += letter;
        QCOMPARE(mark, QString("SPÉCIMEN"));
        const double mm = 25.4 / 72;
        for (const PlacedNumber& n : first) {
            const QString text = plan.text(n);
            QVERIFY2(found.count(text), qPrintable(text + " :: " + xml));
            QVERIFY2(qAbs(found[text].left() * mm - n.left) < 1.0, qPrintable(text));
            QVERIFY2(qAbs(found[text].top() * mm - n.top) < 1.5, qPrintable(text));
        }
        for (const PlannedDocument& d : plan.documents)
            if (d.pass == 2)
                for (const PlacedNumber& n : d.pages.front().numbers) {
                    const QString text = plan.text(n);
                    QVERIFY2(found.count(text), qPrintable(text));
                    // Turned end for end: its right edge where its left would be, from the other side.
                    QVERIFY2(qAbs(found[text].right() * mm - (210 - n.left)) < 1.0, qPrintable(text));
                }
#endif
    }
};

int main(int argc, char* argv[])
{
    QGuiApplication application(argc, argv);
    TestDocuments test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_documents.moc"
