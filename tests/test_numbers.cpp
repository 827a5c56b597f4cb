#include "core/numbers.h"
#include "core/ranges.h"

#include <QTest>
#include <cmath>

using namespace calvorigne;

class TestNumbers : public QObject {
    Q_OBJECT
private slots:
    void readNumberTakesTheLeadingNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("expected");
        QTest::newRow("point") << "1.5" << 1.5;
        QTest::newRow("comma ends it") << "1,5" << 1.0;
        QTest::newRow("blanks inside") << "7 500" << 7500.0;
        QTest::newRow("blanks, tabs, line feeds") << " \t4\n2 carnets" << 42.0;
        QTest::newRow("letters") << "abc" << 0.0;
        QTest::newRow("empty") << "" << 0.0;
        QTest::newRow("blank after sign") << "- 3" << -3.0;
        QTest::newRow("fraction only") << ".5" << 0.5;
        QTest::newRow("second point ends it") << "1.2.3" << 1.2;
        QTest::newRow("exponent") << "1E3" << 1000.0;
        QTest::newRow("D exponent") << "25d-1" << 2.5;
        QTest::newRow("exponent without digits") << "12e" << 12.0;
        QTest::newRow("hexadecimal") << "&H10" << 16.0;
        QTest::newRow("hexadecimal letters") << "&hff" << 255.0;
        QTest::newRow("octal stops at 8") << "&O78" << 7.0;
        QTest::newRow("underflow") << "1e-999" << 0.0;
        QTest::newRow("tiny by its digits") << "0." + QString(400, '0') + "1E+5" << 0.0;
        QTest::newRow("carriage return ends it") << "4\r2" << 4.0;
    }
    void readNumberTakesTheLeadingNumber()
    {
        QFETCH(QString, text);
        QFETCH(double, expected);
        QCOMPARE(readNumber(text), expected);
    }

    void readNumberOverflowsToInfinity()
    {
        QVERIFY(std::isinf(readNumber("1e999")));
        QVERIFY(readNumber("-1e999") < 0);
        QVERIFY(std::isinf(readNumber("1" + QString(400, '0'))));
    }

    void padNumberPadsAndRounds()
    {
        QCOMPARE(padNumber(120, "0000"), QString("0120"));
        QCOMPARE(padNumber(12345, "0000"), QString("12345"));
        QCOMPARE(padNumber(-5, "0000"), QString("-0005"));
        QCOMPARE(padNumber(12, "000"), QString("012"));
        // Halves go away from zero here, unlike the colour and the folio loop.
        QCOMPARE(padNumber(12.5, "0000"), QString("0013"));
        QCOMPARE(padNumber(2.5, "000"), QString("003"));
        QCOMPARE(padNumber(-12.5, "0000"), QString("-0013"));
        QCOMPARE(padNumber(-0.4, "0000"), QString("0000"));
        QCOMPARE(padNumber(1e20, "0000"), QString("100000000000000000000"));
    }

    void halvesToEvenAndColours()
    {
        QCOMPARE(roundHalfEven(2.5), 2.0);
        QCOMPARE(roundHalfEven(3.5), 4.0);
        QCOMPARE(roundHalfEven(-2.5), -2.0);
        QCOMPARE(colourFromNumber(255), 255u);
        QCOMPARE(colourFromNumber(254.5), 254u);
        QCOMPARE(colourFromNumber(-1), 0u);
        QCOMPARE(colourFromNumber(16777216), 0u);
        QCOMPARE(colourFromNumber(HUGE_VAL), 0u);
        QCOMPARE(colourValue(255, 128, 0), 0x0080FFu);
    }

    // Lists as people type them; the first part at fault is named, with a backwards range's ends.
    void typedListsOfNumbers()
    {
        using Ranges = std::vector<std::pair<qint64, qint64>>;
        QCOMPARE(readRanges("0111-0200, 25").ranges, Ranges({{111, 200}, {25, 25}}));
        // A scanner set for QWERTY on a French keyboard: « à&&& » is 0111, « -ç » is 69.
        QCOMPARE(readRanges("à&&&, -ç, 3-5").ranges, Ranges({{111, 111}, {69, 69}, {3, 5}}));
        QCOMPARE(readRanges(" 3 - 5 ,9 , ,").ranges, Ranges({{3, 5}, {9, 9}}));
        QVERIFY(readRanges("").ranges.empty() && readRanges("").fault == TypedRanges::Fault::None);
        const TypedRanges backwards = readRanges("1, 5-3, 8-2");
        QVERIFY(backwards.fault == TypedRanges::Fault::Backwards);
        QCOMPARE(backwards.part, QString("5-3"));
        QCOMPARE(std::pair(backwards.from, backwards.to), std::pair(qint64(5), qint64(3)));
        for (const char* wrong : {"a", "1-2-3", "1e3", "+4", "-3", "3-", "3-5, x", "99999999999999999999", "\u0661\u0662"}) {
            const TypedRanges read = readRanges(QString::fromUtf8(wrong));
            QVERIFY2(read.fault == TypedRanges::Fault::NotANumber, wrong);
        }
        QCOMPARE(readRanges("3-5, x").part, QString("x"));
    }
};

QTEST_APPLESS_MAIN(TestNumbers)
#include "test_numbers.moc"
