#include "contract/Cp1250Codec.h"

#include <QtTest>

class TestCp1250Codec : public QObject {
    Q_OBJECT

private slots:
    void everyByteRoundTrips() {
        QByteArray all;
        for (int b = 0; b < 256; ++b) {
            all.append(char(b));
        }
        const QString text = Cp1250Codec::decode(all);
        QCOMPARE(text.size(), 256);
        const Cp1250Codec::Encoded back = Cp1250Codec::encode(text);
        QVERIFY(back.ok());
        QCOMPARE(back.bytes, all);
        // Every byte decodes to a character of its own.
        QCOMPARE(QSet<QChar>(text.begin(), text.end()).size(), 256);
    }

    void czechLetters() {
        const QString word = QString::fromUtf8("Příliš žluťoučký kůň úpěl ďábelské ódy ŘŠČŽÝÁÍÉŮÚŤĎŇĚ");
        const QByteArray bytes = Cp1250Codec::encode(word).bytes;
        QCOMPARE(bytes.size(), word.size());
        QCOMPARE(bytes.left(6), QByteArray("P\xf8\xed\x6c\x69\x9a"));
        QCOMPARE(Cp1250Codec::decode(bytes), word);
    }

    void unassignedBytesAreControls() {
        for (const unsigned char b : {0x81, 0x83, 0x88, 0x90, 0x98}) {
            QCOMPARE(Cp1250Codec::decode(QByteArray(1, char(b))).at(0).unicode(), char16_t(b));
        }
        QCOMPARE(Cp1250Codec::decode(QByteArray("\x80\x9e\xff")), QString::fromUtf8("€ž˙"));
    }

    void unencodableIsReported_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("position");
        QTest::newRow("cyrillic") << QString::fromUtf8("scéna Ж") << 6;
        QTest::newRow("first") << QString::fromUtf8("ñ") << 0;
        QTest::newRow("emoji (surrogate pair)") << QString::fromUtf8("a😀") << 1;
        QTest::newRow("latin-1 letter outside the page") << QString::fromUtf8("Åsa") << 0;
    }

    void unencodableIsReported() {
        QFETCH(QString, text);
        QFETCH(int, position);
        const Cp1250Codec::Encoded encoded = Cp1250Codec::encode(text);
        QVERIFY(!encoded.ok());
        QCOMPARE(encoded.unencodableAt, position);
        QVERIFY(!Cp1250Codec::canEncode(text));
    }
};

QTEST_APPLESS_MAIN(TestCp1250Codec)
#include "tst_cp1250codec.moc"
