#include "core/numbers.h"

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
};

QTEST_APPLESS_MAIN(TestNumbers)
#include "test_numbers.moc"
