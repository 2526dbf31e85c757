#include <QtTest>

#include "FileName.h"

// A name keeps the system's bytes exactly and shows each byte that is not part of valid
// UTF-8 as one U+FFFD; its path operations work on the bytes alone.
class FileNameTest : public QObject {
    Q_OBJECT
private slots:
    // `shown` null: the bytes name no file.
    void bytesComeBackExactly_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("shown");
        const QString mark(QChar::ReplacementCharacter);
        QTest::newRow("ascii") << QByteArray("/tmp/amp.cir") << "/tmp/amp.cir";
        QTest::newRow("utf-8") << QByteArray("/tmp/caf\xC3\xA9.cir") << "/tmp/caf\u00E9.cir";
        QTest::newRow("four-byte utf-8") << QByteArray("\xF0\x9F\x98\x80.cir") << "\U0001F600.cir";
        QTest::newRow("utf-8 of U+10080") << QByteArray("\xF0\x90\x82\x80") << "\U00010080";
        QTest::newRow("latin-1") << QByteArray("/tmp/caf\xE9.cir") << "/tmp/caf" + mark + ".cir";
        QTest::newRow("a lone 0xFF") << QByteArray("\xFF") << mark;
        QTest::newRow("cut sequence") << QByteArray("a\xC3") << "a" + mark;
        QTest::newRow("overlong slash") << QByteArray("a\xC0\xAF") << "a" + mark + mark;
        QTest::newRow("encoded surrogate") << QByteArray("\xED\xB3\xA9") << mark.repeated(3);
        QTest::newRow("past U+10FFFF") << QByteArray("\xF4\x90\x80\x80") << mark.repeated(4);
        QTest::newRow("every high byte") << [] {
            QByteArray all;
            for (int b = 0x80; b <= 0xFF; ++b)
                all += char(b);
            return all;
        }() << mark.repeated(128);
        QTest::newRow("a NUL") << QByteArray("a\0b", 3) << QString();
    }

    void bytesComeBackExactly() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, shown);
        const FileName name = FileName::FromBytes(bytes);
        QCOMPARE(name.Bytes(), shown.isNull() ? QByteArray() : bytes);
        QCOMPARE(name.Display(), shown.isNull() ? QString("") : shown);
        QCOMPARE(FileName::DisplayOf(bytes).isEmpty(), bytes.isEmpty());
        if (!shown.isNull() && !shown.contains(QChar::ReplacementCharacter))
            QCOMPARE(FileName::FromText(shown), name); // valid UTF-8 is its own text
    }

    // Text that stands for no bytes names no file.
    void textThatStandsForNoBytesIsRefused() {
        QVERIFY(FileName::FromText(QString("a") + QChar(0xD800) + "b").isEmpty());
        QVERIFY(FileName::FromText(QString("a") + QChar(0xDC41)).isEmpty());
        QVERIFY(FileName::FromText(QString("a") + QChar(0) + "b").isEmpty());
        QVERIFY(FileName::FromText(QString(QChar(0xDCC3)) + QChar(0xDCA9)).isEmpty());
        QCOMPARE(FileName::FromText("\U0001F600").Bytes(), QByteArray("\xF0\x9F\x98\x80"));
    }

    void pathOperationsKeepTheBytes() {
        const FileName name = FileName::FromBytes("/w/r\xFFn/amp.x.cir");
        QCOMPARE(name.Folder().Bytes(), QByteArray("/w/r\xFFn/"));
        QCOMPARE(name.Leaf().Bytes(), QByteArray("amp.x.cir"));
        QCOMPARE(name.Extension(), QByteArray(".cir"));
        QCOMPARE(name.WithExtension(".OUT").Bytes(), QByteArray("/w/r\xFFn/amp.x.OUT"));
        QCOMPARE(FileName::FromBytes("/w/.spiceinit").Extension(), QByteArray());
        QCOMPARE(FileName::FromBytes("a.d/amp").WithExtension(".out").Bytes(), "a.d/amp.out");
        QCOMPARE(FileName::FromBytes("amp").Folder(), FileName());
        QCOMPARE((name.Folder() + FileName::FromBytes("b\xE9")).Display(),
                 QString("/w/r\uFFFDn/b\uFFFD"));
        QCOMPARE(FileName::FromBytes("/a//b/./c/../\xFF/").Cleaned().Bytes(), "/a/b/\xFF");
        QCOMPARE(FileName::FromBytes("/../a/..").Cleaned().Bytes(), "/");
        QCOMPARE(FileName::FromBytes("../a/./").Cleaned().Bytes(), "../a");
        QCOMPARE(FileName::FromBytes("/w").WithSlash().Bytes(), "/w/");
        // Names are alike byte for byte; letter case is set aside only when asked.
        QVERIFY(!(FileName::FromBytes("Amp.cir") == FileName::FromBytes("amp.cir")));
        QVERIFY(FileName::FromBytes("Amp.CIR").SameButCase(FileName::FromBytes("amp.cir")));
        QVERIFY(FileName::FromText("\u00C9.out").SameButCase(FileName::FromText("\u00E9.OUT")));
        QVERIFY(FileName::FromBytes("\xC9.out").SameButCase(FileName::FromBytes("\xC9.OUT")));
        QVERIFY(!FileName::FromBytes("\xC9.out").SameButCase(FileName::FromBytes("\xE9.out")));
    }
};

QTEST_MAIN(FileNameTest)
#include "tst_filename.moc"
