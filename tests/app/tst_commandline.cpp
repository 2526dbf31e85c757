#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include "CKelvoApp.h"
#include "CommandLine.h"
#include "FileName.h"
#include "PathSearch.h"

class CommandLineTest : public QObject {
    Q_OBJECT
private slots:
    void tokens_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("tokens");
        QTest::newRow("separators")
            << "kelvo  amp.cir+x\tb" << QStringList{"kelvo", "amp.cir", "x", "b"};
        QTest::newRow("quoted") << "kelvo \"/tmp/my amp.cir\" -p/lib"
                                << QStringList{"kelvo", "/tmp/my amp.cir", "-p/lib"};
        QTest::newRow("unclosed quote") << "kelvo \"a b" << QStringList{"kelvo", "a b"};
        QTest::newRow("empty") << "" << QStringList{};
    }

    void tokens() {
        QFETCH(QString, text);
        QFETCH(QStringList, tokens);
        QStringList got;
        qsizetype at = 0;
        for (;;) {
            const QString token = CommandLine::NextToken(text, at);
            if (token.isEmpty())
                break;
            got << token;
        }
        QCOMPARE(got, tokens);
    }

    void buildMakesTheFileAbsoluteAndQuotesBlanks() {
        QCOMPARE(CommandLine::Build({"kelvo", "amp.cir", "/p/lib"}, "/work/sim/"),
                 QString("kelvo /work/sim/amp.cir /p/lib"));
        QCOMPARE(CommandLine::Build({"kelvo", "my amp.cir"}, "/w/"),
                 QString("kelvo \"/w/my amp.cir\""));
        QCOMPARE(CommandLine::Build({"kelvo", "/proj/a+b.cir"}, "/w/"),
                 QString("kelvo \"/proj/a+b.cir\""));
        // What Build writes, the scanner reads back.
        const QString text = CommandLine::Build({"kelvo", "my amp.cir"}, "/w/");
        qsizetype at = 0;
        CommandLine::NextToken(text, at);
        QCOMPARE(CommandLine::NextToken(text, at), QString("/w/my amp.cir"));
    }

    void directoryOptionsFollowTheFile() {
        QCOMPARE(CommandLine::DirectoryOptions({"kelvo", "x.cir", "/p/lib"}), QStringList{"/lib/"});
        QCOMPARE(CommandLine::DirectoryOptions({"kelvo", "x.cir", "-p/lib/", "/p"}),
                 (QStringList{"/lib/", "/"}));
        // A Linux path that holds "/p" is no option, nor is the file itself.
        QCOMPARE(CommandLine::DirectoryOptions({"kelvo", "/proj/amp.cir"}), QStringList{});
        QCOMPARE(CommandLine::DirectoryOptions({"kelvo", "/p/lib", "x.cir"}), QStringList{});
    }

    void windowTextColour() {
        bool ok = false;
        QCOMPARE(CKelvoApp::ParseWindowText("0 0 128", &ok), QColor(0, 0, 128));
        QVERIFY(ok);
        QCOMPARE(CKelvoApp::ParseWindowText("256 257 -1"), QColor(0, 1, 255));
        QCOMPARE(CKelvoApp::ParseWindowText("10 20", &ok), QColor(Qt::black));
        QVERIFY(!ok);
        QCOMPARE(CKelvoApp::ParseWindowText("", &ok), QColor(Qt::black));
    }

    // Every byte string comes back exactly; valid UTF-8 reads as QFile::decodeName reads it.
    void fileNamesKeepTheirBytes_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("validUtf8");
        QTest::newRow("ascii") << QByteArray("/tmp/amp.cir") << true;
        QTest::newRow("utf-8") << QByteArray("/tmp/caf\xC3\xA9.cir") << true;
        QTest::newRow("four-byte utf-8") << QByteArray("\xF0\x9F\x98\x80.cir") << true;
        QTest::newRow("utf-8 of U+10080") << QByteArray("\xF0\x90\x82\x80") << true;
        QTest::newRow("latin-1") << QByteArray("/tmp/caf\xE9.cir") << false;
        QTest::newRow("cut sequence") << QByteArray("a\xC3") << false;
        QTest::newRow("overlong slash") << QByteArray("a\xC0\xAF") << false;
        QTest::newRow("encoded surrogate") << QByteArray("\xED\xB3\xA9") << false;
        QTest::newRow("past U+10FFFF") << QByteArray("\xF4\x90\x80\x80") << false;
        QTest::newRow("every high byte") << [] {
            QByteArray all;
            for (int b = 0x80; b <= 0xFF; ++b)
                all += char(b);
            return all;
        }() << false;
    }

    void fileNamesKeepTheirBytes() {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, validUtf8);
        const QString name = FileNameFromBytes(bytes);
        QCOMPARE(FileNameBytes(name), bytes);
        QVERIFY(IsExactFileName(name));
        if (validUtf8) {
            QCOMPARE(name, QFile::decodeName(bytes));
            QCOMPARE(DisplayFileName(name), name);
        } else {
            QVERIFY(DisplayFileName(name).contains(QChar::ReplacementCharacter));
            QCOMPARE(DisplayFileName(name).size(), name.size());
        }
    }

    void namesThatStandForNoBytesAreNotExact() {
        QVERIFY(!IsExactFileName(QString("a") + QChar(0xD800) + "b")); // a lone high half
        QVERIFY(!IsExactFileName(QString("a") + QChar(0xDC41)));       // stands for no byte
        QVERIFY(!IsExactFileName(QString("a") + QChar(0) + "b"));
        // Two escaped bytes that together are valid UTF-8 name the file "é", not these.
        QVERIFY(!IsExactFileName(QString(QChar(0xDCC3)) + QChar(0xDCA9)));
    }

    void argumentsKeepTheirBytes() {
        const char* argv[] = {"kelvo", "caf\xE9.cir", "/p/lib"};
        const QStringList arguments = CommandLine::Arguments(3, argv);
        QCOMPARE(arguments.size(), 3);
        QCOMPARE(FileNameBytes(arguments[1]), QByteArray("caf\xE9.cir"));
        QCOMPARE(arguments[2], QString("/p/lib"));
        // The escaped bytes survive the command line's text form.
        const QString text = CommandLine::Build(arguments, "/w/");
        qsizetype at = 0;
        CommandLine::NextToken(text, at);
        QCOMPARE(FileNameBytes(CommandLine::NextToken(text, at)), QByteArray("/w/caf\xE9.cir"));
    }

    void searchFile() {
        QTemporaryDir dir;
        QFile(dir.filePath("amp.cir")).open(QIODevice::WriteOnly);
        QDir(dir.path()).mkdir("sub.cir");
        const QString slashed = dir.path() + "/";
        QCOMPARE(SearchFile(slashed, "amp.cir"), dir.filePath("amp.cir"));
        QCOMPARE(SearchFile(dir.path(), "amp.cir"), dir.filePath("amp.cir"));
        QCOMPARE(SearchFile(slashed, "sub.cir"), QString()); // a folder is no file
        QCOMPARE(SearchFile("/nowhere/", dir.filePath("amp.cir")), dir.filePath("amp.cir"));
        QCOMPARE(SearchFile(slashed, "missing.cir"), QString());
        QCOMPARE(SearchFile(slashed, ""), QString());
        // With no directory: the program's, the current one, then PATH.
        const QString previous = QDir::currentPath();
        QDir::setCurrent(dir.path());
        QCOMPARE(SearchFile({}, "amp.cir"), dir.filePath("amp.cir"));
        QDir::setCurrent(previous);
        QVERIFY(SearchFile({}, "sh").endsWith("/sh"));
        QVERIFY(CurrentDirectory().endsWith('/'));
        QVERIFY(ProgramDirectory().endsWith('/'));
        // A folder, a FIFO or a device is an entry, though no file.
        QCOMPARE(SearchEntry(slashed, "sub.cir"), dir.filePath("sub.cir"));
        QCOMPARE(SearchEntry({}, "/dev/zero"), QString("/dev/zero"));
        QCOMPARE(SearchEntry(slashed, "missing.cir"), QString());
    }
};

QTEST_MAIN(CommandLineTest)
#include "tst_commandline.moc"
