#include "files.h"
#include "platform/profile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace calvorigne::testing;

namespace {

struct Read {
    QByteArray text;
    DWORD count;
};

Read read(const QString& path, const char* section, const char* key, DWORD size = 40, const char* fallback = "")
{
    QByteArray buffer(int(size), ' ');
    const DWORD count = GetPrivateProfileStringA(section, key, fallback, buffer.data(), size,
                                                 QFile::encodeName(path).constData());
    return {QByteArray(buffer.constData()), count};
}

bool write(const QString& path, const char* section, const char* key, const char* value)
{
    return WritePrivateProfileStringA(section, key, value, QFile::encodeName(path).constData()) != 0;
}

} // namespace

class TestProfile : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QString path(const char* name) const { return dir.filePath(name); }

private slots:
    void aNewFileIsWrittenInTheWindowsForm()
    {
        const QString file = path("new.ini");
        QVERIFY(write(file, "Font", "Name", "Arial"));
        QCOMPARE(bytesOf(file), QByteArray("[Font]\r\nName=Arial\r\n"));
        QVERIFY(write(file, "Font", "Size", " 12"));
        QVERIFY(write(file, "Pos", "X", " 20"));
        QVERIFY(write(file, "Font", "Name", "Courier"));
        QCOMPARE(bytesOf(file), QByteArray("[Font]\r\nName=Courier\r\nSize= 12\r\n[Pos]\r\nX= 20\r\n"));
        QVERIFY(QDir(dir.path()).entryList({"*new.ini?*"}, QDir::Files | QDir::Hidden).isEmpty()); // no temporary left
    }

    void readingMatchesNamesWithoutCaseAndTrimsBlanks()
    {
        const QString file = path("hand.ini");
        writeBytes(file, "stray=1\r\n[font]\r\nNAME=Arial\r\n  Size  =  12  \r\n;Bold=True\r\n[Pos]\nX=20\rY=30");
        QCOMPARE(read(file, "Font", "Name").text, QByteArray("Arial"));
        QCOMPARE(read(file, "FONT", "size").text, QByteArray("12"));
        QCOMPARE(read(file, "Font", "Bold", 40, "none").text, QByteArray("none")); // a comment
        QCOMPARE(read(file, "Pos", "X").text, QByteArray("20"));   // LF alone
        QCOMPARE(read(file, "Pos", "Y").text, QByteArray("30"));   // CR alone, no final break
        QCOMPARE(read(file, "Font", "stray").count, 0u);           // before any section
        QCOMPARE(read(path("missing.ini"), "Font", "Name", 40, " dflt ").text, QByteArray(" dflt"));
        QCOMPARE(read(path("missing.ini"), "Font", "Name", 40, "\"x\" ").text, QByteArray("x"));
        QCOMPARE(read(file, "Nowhere", "Name").count, 0u);
    }

    // What a hand-edited or Windows-written file meets, as Windows reads it.
    void readingFollowsWindows_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QByteArray>("section");
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("double quotes") << QByteArray("[Font]\r\nName=\"Times New Roman\"\r\n") << QByteArray("Font") << QByteArray("Name") << QByteArray("Times New Roman");
        QTest::newRow("single quotes") << QByteArray("[Font]\r\nName = 'Arial' \r\n") << QByteArray("Font") << QByteArray("Name") << QByteArray("Arial");
        QTest::newRow("empty quotes") << QByteArray("[Font]\r\nName=\"\"\r\n") << QByteArray("Font") << QByteArray("Name") << QByteArray("");
        QTest::newRow("lone quote") << QByteArray("[Font]\r\nName=\"Arial\r\n") << QByteArray("Font") << QByteArray("Name") << QByteArray("\"Arial");
        QTest::newRow("unmatched quotes") << QByteArray("[Font]\r\nName=\"Arial'\r\n") << QByteArray("Font") << QByteArray("Name") << QByteArray("\"Arial'");
        QTest::newRow("blanks in the file's names") << QByteArray("[ Pos ]\r\n E = \"90\"\r\n") << QByteArray("Pos") << QByteArray("E") << QByteArray("90");
        QTest::newRow("blanks in the caller's names") << QByteArray("[Pos]\r\nE=90\r\n") << QByteArray(" Pos ") << QByteArray(" E ") << QByteArray("90");
        QTest::newRow("a line without = is no value") << QByteArray("[Pos]\r\nE\r\nX=3\r\n") << QByteArray("Pos") << QByteArray("E") << QByteArray("absent");
        QTest::newRow("a key not there") << QByteArray("[Pos]\r\n") << QByteArray("Pos") << QByteArray("E") << QByteArray("absent");
    }
    void readingFollowsWindows()
    {
        QFETCH(QByteArray, file);
        QFETCH(QByteArray, section);
        QFETCH(QByteArray, key);
        QFETCH(QByteArray, expected);
        const QString name = path("rules.ini");
        writeBytes(name, file);
        const Read got = read(name, section.constData(), key.constData(), 40, "'absent'"); // a default in quotes is read without them
        QCOMPARE(got.text, expected);
        QCOMPARE(got.count, DWORD(expected.size()));
    }

    // Writes change only what they concern; a null key or value deletes, as on Windows.
    void writingFollowsWindows_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("key");   // "-" for none
        QTest::addColumn<QByteArray>("value"); // "-" for none
        QTest::addColumn<QByteArray>("after");
        const QByteArray closed = "[Pos]\r\nX=1\r\n\r\n; fin\r\n[Font]\r\nName=A\r\n";
        QTest::newRow("new key at the end of its section") << closed << QByteArray("Y") << QByteArray("2") << QByteArray("[Pos]\r\nX=1\r\n\r\n; fin\r\nY=2\r\n[Font]\r\nName=A\r\n");
        QTest::newRow("a line without = is replaced") << QByteArray("[Pos]\r\nY\r\nX=1\r\n") << QByteArray("Y") << QByteArray("2") << QByteArray("[Pos]\r\nY=2\r\nX=1\r\n");
        QTest::newRow("null value deletes the key") << closed << QByteArray("X") << QByteArray("-") << QByteArray("[Pos]\r\n\r\n; fin\r\n[Font]\r\nName=A\r\n");
        QTest::newRow("null key deletes the section") << closed << QByteArray("-") << QByteArray("-") << QByteArray("[Font]\r\nName=A\r\n");
        QTest::newRow("nothing to delete") << closed << QByteArray("Z") << QByteArray("-") << closed;
    }
    void writingFollowsWindows()
    {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, key);
        QFETCH(QByteArray, value);
        QFETCH(QByteArray, after);
        const QString name = path("written.ini");
        writeBytes(name, before);
        QVERIFY(WritePrivateProfileStringA(" Pos ", key == "-" ? nullptr : key.constData(),
                                           value == "-" ? nullptr : value.constData(),
                                           QFile::encodeName(name).constData()));
        QCOMPARE(bytesOf(name), after);
    }

    void valuesAreCutToTheBuffer()
    {
        const QString file = path("cut.ini");
        writeBytes(file, "[Pos]\r\nX=1500\r\n");
        const Read cut = read(file, "Pos", "X", 4);
        QCOMPARE(cut.text, QByteArray("150"));
        QCOMPARE(cut.count, 3u);
        QCOMPARE(read(file, "Pos", "X", 1).count, 0u);
        QCOMPARE(GetPrivateProfileStringA("Pos", "X", "", nullptr, 10, QFile::encodeName(file).constData()), 0u);
    }

    void aWriteChangesOnlyItsOwnLine()
    {
        const QString file = path("keep.ini");
        const QByteArray before = "; mes réglages\r\n[FONT]\r\nname = Arial\r\n\r\n[Pos]\nx=20\nKeep=me\n\n[Other]\r\nA=1";
        writeBytes(file, before);
        QVERIFY(write(file, "Font", "Name", "Courier"));
        QVERIFY(write(file, "Pos", "Y", " 30"));
        QVERIFY(write(file, "Other", "B", "2"));
        QVERIFY(write(file, "Marges", "H", " 5"));
        QCOMPARE(bytesOf(file), QByteArray("; mes réglages\r\n[FONT]\r\nname=Courier\r\n\r\n[Pos]\nx=20\nKeep=me\n"
                                           "\nY= 30\r\n[Other]\r\nA=1\r\nB=2\r\n[Marges]\r\nH= 5\r\n"));
    }

    void oddBytesNeitherCrashNorSpreadToOtherKeys()
    {
        const QString file = path("binary.ini");
        QByteArray garbage("[Font]\r\nName=\x01\xff\xfe");
        garbage.append('\0');
        garbage.append("x\r\n[Pos\r\nX=5\r\n=7\r\n");
        writeBytes(file, garbage);
        QCOMPARE(read(file, "Font", "Name").text, QByteArray("\x01\xff\xfe"));
        QCOMPARE(read(file, "Pos", "X").text, QByteArray("5")); // an unclosed header still names its section
        QVERIFY(write(file, "Pos", "X", "6"));
        QCOMPARE(read(file, "Pos", "X").text, QByteArray("6"));
        QVERIFY(bytesOf(file).startsWith(garbage.left(14)));
    }

    void failedWritesLeaveTheFileWhole()
    {
        const QString missingFolder = path("no/such/folder/x.ini");
        QVERIFY(!write(missingFolder, "Font", "Name", "Arial"));
        QVERIFY(!QFile::exists(missingFolder));

        const QString readOnly = path("readonly.ini");
        writeBytes(readOnly, "[Font]\r\nName=Arial\r\n");
        QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::ReadGroup);
        QVERIFY(!write(readOnly, "Font", "Name", "Courier"));
        QCOMPARE(bytesOf(readOnly), QByteArray("[Font]\r\nName=Arial\r\n"));

        const QString folder = path("folder.ini");
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(!write(folder, "Font", "Name", "Arial"));
    }

    void aLinkedFileIsReplacedBehindItsLink()
    {
        const QString real = path("real.ini");
        const QString link = path("link.ini");
        writeBytes(real, "[Font]\r\nName=Arial\r\n");
        QVERIFY(QFile::link(real, link));
        QVERIFY(write(link, "Font", "Name", "Courier"));
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(bytesOf(real), QByteArray("[Font]\r\nName=Courier\r\n"));

        // A temporary name planted beside the file is not followed.
        const QString victim = path("victim.txt");
        writeBytes(victim, "untouched");
        QVERIFY(QFile::link(victim, real + ".tmp"));
        QVERIFY(write(link, "Font", "Name", "Times"));
        QCOMPARE(bytesOf(victim), QByteArray("untouched"));
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(bytesOf(real), QByteArray("[Font]\r\nName=Times\r\n"));
    }
};

QTEST_APPLESS_MAIN(TestProfile)
#include "test_profile.moc"
