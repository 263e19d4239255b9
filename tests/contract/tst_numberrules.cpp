#include "contract/NumberRules.h"

#include <QtTest>
#include <cmath>
#include <limits>

using namespace NumberRules;

class TestNumberRules : public QObject {
    Q_OBJECT

private slots:
    void leadingNumber_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("expected");
        QTest::newRow("plain integer") << "42" << 42.0;
        QTest::newRow("blanks around") << "  12.5  " << 12.5;
        QTest::newRow("blank inside digits") << "1 000" << 1000.0;
        QTest::newRow("tab and line feed inside") << "1\t2\n3" << 123.0;
        QTest::newRow("comma is no decimal point") << "12,5" << 12.0;
        QTest::newRow("second point ends it") << "1.2.3" << 1.2;
        QTest::newRow("negative") << "-7.25" << -7.25;
        QTest::newRow("plus sign") << "+3" << 3.0;
        QTest::newRow("sign then blank") << "- 5" << -5.0;
        QTest::newRow("leading point") << ".5" << 0.5;
        QTest::newRow("negative leading point") << "-.25" << -0.25;
        QTest::newRow("trailing text") << "16 bitů" << 16.0;
        QTest::newRow("window size") << "1024x768" << 1024.0;
        QTest::newRow("exponent") << "1.5E3" << 1500.0;
        QTest::newRow("lower-case exponent, negative") << "25e-1" << 2.5;
        QTest::newRow("exponent with blanks") << "2 E 2" << 200.0;
        QTest::newRow("letter without exponent digits") << "7E" << 7.0;
        QTest::newRow("exponent sign without digits") << "7e+x" << 7.0;
        QTest::newRow("hexadecimal") << "&HFF" << 255.0;
        QTest::newRow("hexadecimal lower case") << "&h1a" << 26.0;
        QTest::newRow("octal") << "&O17" << 15.0;
        // A digit equal to the radix or above is no digit of the number: it
        // ends it.
        QTest::newRow("octal ended by the digit 8") << "&O18" << 1.0;
        QTest::newRow("octal with only the digit 8") << "&O8" << 0.0;
        QTest::newRow("octal ended by the digit 9") << "&o79" << 7.0;
        QTest::newRow("hexadecimal ended by G") << "&HFFG" << 255.0;
        QTest::newRow("ampersand alone") << "&X12" << 0.0;
        QTest::newRow("letters") << "abc" << 0.0;
        QTest::newRow("empty") << "" << 0.0;
        QTest::newRow("blank only") << "   " << 0.0;
        QTest::newRow("sign only") << "-" << 0.0;
        QTest::newRow("point only") << "." << 0.0;
        QTest::newRow("settings state line") << " 4 " << 4.0;
        QTest::newRow("negative state line") << "-1 " << -1.0;
        QTest::newRow("score text") << " 57.1428571428571" << 57.1428571428571;
        QTest::newRow("underflow") << "1e-400" << 0.0;
        QTest::newRow("long digits") << "123456789012345678901234567890" << 1.2345678901234568e29;
        QTest::newRow("non-breaking space stops") << QString::fromUtf8("5\u00a06") << 5.0;
        QTest::newRow("czech letter stops") << QString::fromUtf8("3č4") << 3.0;
    }

    void leadingNumber() {
        QFETCH(QString, text);
        QFETCH(double, expected);
        QCOMPARE(LeadingNumber(QStringView(text)), expected);
        // The byte overload reads the same text (as single bytes) alike.
        if (text.size() == text.toUtf8().size()) {
            QCOMPARE(LeadingNumber(text.toLatin1()), expected);
        }
    }

    void leadingNumberOverflowKeepsItsSign() {
        QCOMPARE(LeadingNumber(QStringLiteral("1e400")), std::numeric_limits<double>::infinity());
        QCOMPARE(LeadingNumber(QStringLiteral("-1e400")), -std::numeric_limits<double>::infinity());
        QCOMPARE(LeadingNumber(QStringLiteral("1") + QString(400, QLatin1Char('0'))),
                 std::numeric_limits<double>::infinity());
        QCOMPARE(LeadingNumber(QStringLiteral("0.000001e99999999999999999")),
                 std::numeric_limits<double>::infinity());
        QCOMPARE(LeadingNumber(QStringLiteral("5e-99999999999999999")), 0.0);
    }

    void leadingNumberIgnoresTheLocale() {
        const QLocale saved;
        QLocale::setDefault(QLocale(QLocale::Czech));
        std::setlocale(LC_ALL, "cs_CZ.UTF-8");
        QCOMPARE(LeadingNumber(QStringLiteral("12.5")), 12.5);
        QCOMPARE(LeadingNumber(QStringLiteral("12,5")), 12.0);
        QCOMPARE(FormatScore(1234.5), QStringLiteral(" 1234.5"));
        std::setlocale(LC_ALL, "C");
        QLocale::setDefault(saved);
    }

    void isNumberLine_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("expected");
        QTest::newRow("integer") << "3" << true;
        QTest::newRow("blanks around") << "  3  " << true;
        QTest::newRow("tab around") << "\t12.5\t" << true;
        QTest::newRow("signed fraction") << "-0.5" << true;
        QTest::newRow("leading point") << ".5" << true;
        QTest::newRow("trailing point") << "5." << true;
        QTest::newRow("exponent") << "1.5e+3" << true;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("blank") << "   " << false;
        QTest::newRow("text") << "konec" << false;
        QTest::newRow("trailing text") << "3 snímky" << false;
        QTest::newRow("blank inside") << "1 000" << false;
        QTest::newRow("comma") << "12,5" << false;
        QTest::newRow("sign only") << "+" << false;
        QTest::newRow("point only") << "." << false;
        QTest::newRow("exponent without digits") << "3e" << false;
        QTest::newRow("hexadecimal") << "&H10" << false;
        QTest::newRow("two points") << "1.2.3" << false;
    }

    void isNumberLine() {
        QFETCH(QString, line);
        QFETCH(bool, expected);
        QCOMPARE(IsNumberLine(line), expected);
        QCOMPARE(IsNumberLine(line.toUtf8()), expected);
    }

    void roundToInt16_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("expected"); // 99999 = does not fit
        QTest::newRow("two and a half") << 2.5 << 2;
        QTest::newRow("three and a half") << 3.5 << 4;
        QTest::newRow("minus two and a half") << -2.5 << -2;
        QTest::newRow("minus three and a half") << -3.5 << -4;
        QTest::newRow("below half") << 2.4999 << 2;
        QTest::newRow("above half") << 2.5001 << 3;
        QTest::newRow("largest") << 32767.0 << 32767;
        QTest::newRow("rounds down into range") << 32767.5 << 99999;
        QTest::newRow("just below the top half") << 32767.49 << 32767;
        QTest::newRow("smallest") << -32768.0 << -32768;
        QTest::newRow("smallest half rounds to even") << -32768.5 << -32768;
        QTest::newRow("too small") << -32769.0 << 99999;
        QTest::newRow("too large") << 40000.0 << 99999;
        QTest::newRow("infinity") << std::numeric_limits<double>::infinity() << 99999;
        QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN() << 99999;
    }

    void roundToInt16() {
        QFETCH(double, value);
        QFETCH(int, expected);
        const std::optional<qint16> rounded = RoundToInt16(value);
        if (expected == 99999) {
            QVERIFY(!rounded.has_value());
        } else {
            QVERIFY(rounded.has_value());
            QCOMPARE(int(*rounded), expected);
        }
    }

    void formatScore_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("expected");
        QTest::newRow("thirty") << 30.0 << " 30";
        QTest::newRow("seventy over twenty-one") << 70.0 / 21.0 << " 3.33333333333333";
        QTest::newRow("one half") << 0.5 << " .5";
        QTest::newRow("minus one half") << -0.5 << "-.5";
        QTest::newRow("zero") << 0.0 << " 0";
        QTest::newRow("negative zero") << -0.0 << " 0";
        QTest::newRow("fraction") << 1234.5 << " 1234.5";
        QTest::newRow("negative") << -12.0 << "-12";
        QTest::newRow("rounded to 15 digits") << 2.0 / 3.0 << " .666666666666667";
        QTest::newRow("rounding carries") << 9.9999999999999999 << " 10";
        QTest::newRow("small fixed") << 0.000123 << " .000123";
        QTest::newRow("smallest fixed") << 0.0001 << " .0001";
        QTest::newRow("below fixed") << 0.00001 << " 1E-05";
        QTest::newRow("tiny") << 1.5e-300 << " 1.5E-300";
        QTest::newRow("largest fixed") << 999999999999999.0 << " 999999999999999";
        QTest::newRow("fifteen digits round up") << 9999999999999999.0 << " 1E+16";
        QTest::newRow("large") << 1e15 << " 1E+15";
        QTest::newRow("large with mantissa") << -1.25e20 << "-1.25E+20";
        QTest::newRow("infinity") << std::numeric_limits<double>::infinity() << " 1.79769313486232E+308";
        QTest::newRow("minus infinity")
            << -std::numeric_limits<double>::infinity() << "-1.79769313486232E+308";
        QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN() << " 0";
    }

    void formatScore() {
        QFETCH(double, value);
        QFETCH(QString, expected);
        QCOMPARE(FormatScore(value), expected);
    }

    // What is written must read back as (nearly) the same value, since the
    // systems database stores scores as text.
    void formatScoreReadsBack() {
        for (const double value : {70.0 / 21.0, 1234.5, -0.5, 1e-7, 6.02e23, 123456.789012345}) {
            const double back = LeadingNumber(FormatScore(value));
            QVERIFY2(std::fabs(back - value) <= std::fabs(value) * 1e-14, qPrintable(FormatScore(value)));
        }
        QVERIFY(std::isinf(LeadingNumber(FormatScore(std::numeric_limits<double>::infinity()))));
    }
};

QTEST_APPLESS_MAIN(TestNumberRules)
#include "tst_numberrules.moc"
