#include "app/instance.h"
#include "app/settings.h"
#include "files.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <memory>
#include <QTest>
#include <cstdlib>
#include <cstring>

using namespace calvorigne;
using namespace calvorigne::testing;

namespace {

SavedSettings foliatedLayout()
{
    SavedSettings s;
    s.fontName = QStringLiteral("Gâteau Sans");
    s.size = "12";
    s.colour = 255;
    s.foliated = true;
    s.folio = "4";
    s.bold = true;
    s.top = "5";
    s.bottom = "22";
    s.x = "012";
    s.y = "30";
    s.e = "90";
    return s;
}

// kernel32, as Wine has it, drops the blank the number form puts before a number; both
// forms read back the same.
QByteArray asWritten(QByteArray expected)
{
#ifdef _WIN32
    expected.replace("= ", "=");
#endif
    return expected;
}

QString thisProgram; // for the child processes that save

} // namespace

class TestSettings : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

private slots:
    void aFirstSaveWritesEveryKeyInItsOrderAndReadsBack()
    {
        const QString path = dir.filePath("new/folder/Calvorigne.ini");
        QVERIFY(writeSettings(path, foliatedLayout()));
        QCOMPARE(bytesOf(path), asWritten("[Font]\r\nName=G\xe2teau Sans\r\nSize= 12\r\ncouleur= 255\r\nBold=True\r\n"
                                          "[Tickets]\r\nOrg=True\r\nFolio= 4\r\n[Marges]\r\nH= 5\r\nB= 22\r\n"
                                          "[Pos]\r\nX= 12\r\nY= 30\r\nE= 90\r\n"));
        const StoredSettings s = readSettings(path);
        QCOMPARE(s.fontName, QStringLiteral("Gâteau Sans"));
        QCOMPARE(s.size, QString("12"));
        QCOMPARE(s.bold, QString("True"));
        QCOMPARE(s.colour, QString("255"));
        QCOMPARE(s.org, QString("True"));
        QCOMPARE(s.folio, std::optional<QString>("4"));
        QCOMPARE(s.top, QString("5"));
        QCOMPARE(s.bottom, QString("22"));
        QCOMPARE(s.x, QString("12"));
        QCOMPARE(s.y, QString("30"));
        QCOMPARE(s.e, QString("90"));
    }

    void aLinearSaveLeavesTheOldFolioUnread()
    {
        const QString path = dir.filePath("linear.ini");
        QVERIFY(writeSettings(path, foliatedLayout()));
        SavedSettings linear = foliatedLayout();
        linear.foliated = false;
        linear.fontName.clear(); // nothing selected in the list
        linear.size.clear();     // a caption with no number
        QVERIFY(writeSettings(path, linear));
        QVERIFY(bytesOf(path).contains(asWritten("Org=False\r\nFolio= 4\r\n")));
        QVERIFY(bytesOf(path).contains("Name=\r\nSize=\r\n"));
        const StoredSettings s = readSettings(path);
        QCOMPARE(s.org, QString("Fals")); // read limit of 4: only "True" matters
        QVERIFY(!s.folio);
        QCOMPARE(s.fontName, QString());
    }

    void aHandWrittenWindowsFileReadsTheSame()
    {
        const QString path = dir.filePath("hand.ini");
        writeBytes(path, "[font]\r\nNAME=Courier New\r\nSize = 12 \r\nbold=true\r\nCOULEUR=255abc\r\n"
                         "[Tickets]\r\norg=TRUE\r\nFolio=4\r\n[Pos]\r\nX=1500\r\nY=297\r\nE=5\r\n"
                         "[Marges]\r\nH=123\r\n");
        const StoredSettings s = readSettings(path);
        QCOMPARE(s.fontName, QString("Courier New"));
        QCOMPARE(s.size, QString("12"));
        QCOMPARE(s.bold, QString("true"));
        QCOMPARE(s.colour, QString("255abc"));
        QCOMPARE(s.org, QString("TRUE"));
        QVERIFY(!s.folio); // only "True" lets the folio count be read
        QCOMPARE(s.x, QString("150"));
        QCOMPARE(s.top, QString("12"));
        QCOMPARE(s.bottom, QString());

        writeBytes(path, "[Font]\r\nName=" + QByteArray(45, 'N') + "\r\n");
        QCOMPARE(readSettings(path).fontName, QString(39, 'N'));
        QCOMPARE(readSettings(dir.filePath("absent.ini")).fontName, QString());
    }

    // A hand-edited ticket model opens with what can be read, brought into range; saved, it
    // reads back the same, and at its default its section goes.
    void aTicketModelIsReadAsWindowsReadsIt()
    {
        const QString path = dir.filePath("billet.ini");
        writeBytes(path, "[Pos]\r\nX= 20\r\n[Billet]\r\nColonnes= 99\r\nPas=abc\r\nSouches=\" 2 \"\r\nSouche1X=-500\r\n"
                         "Souche1Y= 12.5\r\nSouche1Taille=\r\nSouche1Rotation=100\r\nSouche2Taille=1e999\r\n"
                         "Souche2Rotation=x\r\nTexte=\"N\xb0 \"\r\nChiffres=0\r\n");
        const TicketModel model = readSettings(path).model;
        QCOMPARE(model.columns, 10);
        QCOMPARE(model.pitch, 0.0);
        QVERIFY(model.stubs == std::vector<StubPlace>({{-297, 12.5, std::nullopt, 90}, {0, 0, 500.0, 0}}));
        QCOMPARE(model.prefix, QString("N° "));
        QCOMPARE(model.digits, 1);

        SavedSettings saved = foliatedLayout();
        saved.model = model;
        QVERIFY(writeSettings(path, saved));
        QVERIFY(readSettings(path).model == model);
        saved.model = TicketModel();
        QVERIFY(writeSettings(path, saved));
        QVERIFY(!bytesOf(path).contains("Billet"));
    }

    void numberForm()
    {
        QCOMPARE(calvorigne::numberForm("012"), QString(" 12"));
        QCOMPARE(calvorigne::numberForm(" 12 "), QString(" 12"));
        QCOMPARE(calvorigne::numberForm("-3"), QString("-3"));
        QCOMPARE(calvorigne::numberForm("12.5"), QString(" 12.5"));
        QCOMPARE(calvorigne::numberForm(""), QString());
        QCOMPARE(calvorigne::numberForm("12abc"), QString());
    }

    void aFailedSaveIsReported()
    {
        const QString blocker = dir.filePath("blocker");
        writeBytes(blocker, "a file where a folder should be");
        QVERIFY(!writeSettings(blocker + "/Calvorigne.ini", foliatedLayout()));

        const QString readOnly = dir.filePath("readonly.ini");
        writeBytes(readOnly, "[Font]\r\nName=Arial\r\n");
        const WriteLock lock(readOnly);
        QVERIFY(!writeSettings(readOnly, foliatedLayout()));
        QCOMPARE(bytesOf(readOnly), QByteArray("[Font]\r\nName=Arial\r\n"));
    }

#ifndef _WIN32
    // Killed at any instant, a save leaves every old value or every new one; a settings file
    // that is a link stays one.
    void aKilledSaveLeavesTheOldOrTheNewFile()
    {
        QByteArray old = "[Font]\r\nName=Arial\r\nSize= 9\r\n[Pos]\r\nX= 1\r\n[Notes]\r\n";
        for (int line = 0; line < 5000; ++line)
            old += "Note" + QByteArray::number(line) + "=une ligne que la sauvegarde garde\r\n";
        const QString path = dir.filePath("killed.ini");
        const QString program = thisProgram;
        auto save = [&] {
            auto child = std::make_unique<QProcess>();
            child->start(program, {"--save", path});
            child->waitForStarted();
            return child;
        };

        writeBytes(path, old);
        QElapsedTimer clock;
        clock.start();
        const auto whole = save();
        QVERIFY(whole->waitForFinished() && whole->exitCode() == 0);
        const qint64 duration = clock.elapsed();
        const QByteArray saved = bytesOf(path);
        QVERIFY(saved.contains("X= 12\r\n") && saved.contains(old.mid(old.indexOf("[Notes]"))));

        int cut = 0;
        for (int attempt = 0; attempt < 50; ++attempt) {
            writeBytes(path, old);
            const auto child = save();
            QTest::qWait(int(QRandomGenerator::global()->bounded(duration + 5)));
            child->kill();
            child->waitForFinished();
            const QByteArray now = bytesOf(path);
            QVERIFY2(now == old || now == saved, qPrintable(QString("attempt %1").arg(attempt)));
            cut += now == old;
        }
        qInfo("%d of 50 saves were killed before they ended (a save takes %lld ms)", cut, duration);

        // The next start removes what killed saves and runs left, and nothing else.
        const QTemporaryDir documents;
        // A user's look-alike files stay.
        for (const QString& file : {documents.filePath(".Calvorigne-provisoire-a1B2c3.pdf"), documents.filePath("Calvorigne.pdf"),
                                    documents.filePath(".Calvorigne-Budget.pdf"), dir.filePath(".killed.ini.provisoire-Ab12Cd"),
                                    dir.filePath(".killed.ini.notes"), dir.filePath(".killed.ini.backup"),
                                    dir.filePath(".killed.ini.ancien")})
            writeBytes(file, "x");
        removeLeftovers(path, documents.path());
        QCOMPARE(QDir(dir.path()).entryList({".*killed.ini.*"}, QDir::Files | QDir::Hidden),
                 QStringList({".killed.ini.ancien", ".killed.ini.backup", ".killed.ini.notes"}));
        QCOMPARE(QDir(documents.path()).entryList(QDir::Files | QDir::Hidden), QStringList({".Calvorigne-Budget.pdf", "Calvorigne.pdf"}));

        const QString link = dir.filePath("link.ini");
        writeBytes(dir.filePath("real.ini"), old);
        QVERIFY(QFile::link(dir.filePath("real.ini"), link));
        QVERIFY(writeSettings(link, foliatedLayout()));
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(bytesOf(dir.filePath("real.ini")), saved);
    }
#endif

    // A second start finds the first and calls it forward; a lock left by a crash is no one's.
    void oneInstanceAtATime()
    {
        const QString folder = dir.filePath("instance");
        QProcess crashed;
        crashed.start(thisProgram, {"--crash-holding", folder});
        QVERIFY(crashed.waitForFinished() && crashed.exitCode() == 0);
        QVERIFY(QFile::exists(folder + "/.Calvorigne.lock"));
        Instance first(folder);
        QVERIFY(first.isFirst());
        const Instance second(folder);
        QVERIFY(!second.isFirst());
        QSignalSpy called(&first, &Instance::called);
        second.callFirst();
        QVERIFY(called.wait(5000));
    }

#ifdef _WIN32
    // Through kernel32's own functions, in C:\Windows and then in the user's VirtualStore copy.
    void onWindowsTheFileIsInCWindowsOrItsVirtualStoreCopy()
    {
        const QString system = defaultSettingsPath();
        QCOMPARE(system, QString("C:\\Windows\\Calvorigne.ini"));
        const QString copy = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
                             + "/VirtualStore/Windows/Calvorigne.ini";
        if (qEnvironmentVariable("WINEUSERNAME").contains(u'é')) // a user name with an accent
            QVERIFY(copy.contains(u'é'));
        QFile::remove(system);
        QFile::remove(copy);

        QVERIFY(writeSettings(system, foliatedLayout()));
        QCOMPARE(readSettings(system).x, QString("12"));
        QCOMPARE(readSettings(system).fontName, QStringLiteral("Gâteau Sans"));
        QVERIFY(!QFile::exists(copy));

        // Refused, as for a user who is not an administrator: the copy takes over, whole.
        SavedSettings moved = foliatedLayout();
        moved.x = "33";
        {
            const WriteLock lock(system);
            QVERIFY(writeSettings(system, moved));
        }
        QVERIFY(bytesOf(system).contains(asWritten("X= 12\r\n")));
        QVERIFY(bytesOf(copy).contains(asWritten("X= 33\r\n")));
        const StoredSettings s = readSettings(system);
        QCOMPARE(s.x, QString("33"));
        QCOMPARE(s.folio, std::optional<QString>("4"));
        QCOMPARE(s.fontName, QStringLiteral("Gâteau Sans"));

        // Once there, the copy is the settings file, as Windows' virtualisation had it.
        moved.x = "44";
        QVERIFY(writeSettings(system, moved));
        QVERIFY(bytesOf(system).contains(asWritten("X= 12\r\n")));
        QCOMPARE(readSettings(system).x, QString("44"));
        QFile::remove(system);
        QFile::remove(copy);
    }
#endif
};

// Run as "test_settings --save PATH", the program saves the foliated layout into PATH and
// ends: the child process of the test that kills saves half way. With "--crash-holding
// FOLDER" it takes the instance lock there and ends as a crash would, leaving the lock.
int main(int argc, char* argv[])
{
    if (argc == 3 && std::strcmp(argv[1], "--save") == 0)
        return writeSettings(QFile::decodeName(argv[2]), foliatedLayout()) ? 0 : 1;
    QCoreApplication application(argc, argv);
    if (argc == 3 && std::strcmp(argv[1], "--crash-holding") == 0) {
        const Instance held(QFile::decodeName(argv[2]));
        std::_Exit(held.isFirst() ? 0 : 1);
    }
    thisProgram = QFileInfo(QFile::decodeName(argv[0])).absoluteFilePath();
    TestSettings test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_settings.moc"
