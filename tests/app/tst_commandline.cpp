#include <QDir>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include "CKelvoApp.h"
#include "CommandLine.h"
#include "FileName.h"
#include "PathSearch.h"

class CommandLineTest : public QObject {
    Q_OBJECT
private slots:
    // `exact` has a letter per token: y when the text shows where the token ends.
    void tokens_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("tokens");
        QTest::addColumn<QString>("exact");
        QTest::newRow("separators")
            << "kelvo  amp.cir+x\tb" << QStringList{"kelvo", "amp.cir", "x", "b"} << "yyyy";
        QTest::newRow("quoted") << "kelvo \"/tmp/my amp.cir\" -p/lib"
                                << QStringList{"kelvo", "/tmp/my amp.cir", "-p/lib"} << "yyy";
        QTest::newRow("unclosed quote") << "kelvo \"a b" << QStringList{"kelvo", "a b"} << "yn";
        QTest::newRow("empty") << "" << QStringList{} << "";
        QTest::newRow("doubled quotes") << "kelvo \"q\"\"x.cir\" \"\"\"\"\"\"+y"
                                        << QStringList{"kelvo", "q\"x.cir", "\"\"", "y"} << "yyyy";
        QTest::newRow("quote inside a name")
            << "kelvo /w/q\"x.cir\"" << QStringList{"kelvo", "/w/q", "x.cir"} << "yny";
        QTest::newRow("text after a closing quote")
            << "kelvo \"/w/q\".cir" << QStringList{"kelvo", "/w/q", ".cir"} << "yny";
        QTest::newRow("quote ending a name") << "kelvo q\"" << QStringList{"kelvo", "q"} << "yn";
    }

    void tokens() {
        QFETCH(QString, text);
        QFETCH(QStringList, tokens);
        QFETCH(QString, exact);
        QStringList got;
        QString gotExact;
        qsizetype at = 0;
        for (;;) {
            bool whole = false;
            const QString token = CommandLine::NextToken(text, at, &whole);
            if (token.isEmpty())
                break;
            got << token;
            gotExact += whole ? 'y' : 'n';
        }
        QCOMPARE(got, tokens);
        QCOMPARE(gotExact, exact);
    }

    // Random text without a double quote scans as runs between separators, every token
    // exact; random names, with quotes, blanks, separators and bytes that are not UTF-8,
    // come back from Build's text exactly, also through the bytes of the hand-off.
    void namesSurviveBuildAndScan() {
        const QList<QByteArray> pieces{"a", "Z", " ", "\t", "\r",       "\n",   "+",   "\"",
                                       "/", ".", "~", "-",  "\xC3\xA9", "\xE9", "\x80"};
        const auto randomBytes = [&](QRandomGenerator& random, int longest) {
            QByteArray bytes;
            for (int n = int(random.bounded(longest + 1)); n > 0; --n)
                bytes += pieces[random.bounded(pieces.size())];
            return bytes;
        };
        const QString folder = "/w o\"rk/";
        for (quint32 seed = 1; seed <= 3000; ++seed) {
            QRandomGenerator random(seed);
            const QString plain = FileNameFromBytes(randomBytes(random, 30).replace('"', ""));
            QStringList got;
            qsizetype at = 0;
            for (;;) {
                bool exact = false;
                const QString token = CommandLine::NextToken(plain, at, &exact);
                if (token.isEmpty())
                    break;
                QVERIFY(exact);
                got << token;
            }
            QString spaced = plain;
            for (const char separator : {'\t', '\r', '\n', '+'})
                spaced.replace(QLatin1Char(separator), ' ');
            QCOMPARE(got, spaced.split(' ', Qt::SkipEmptyParts));

            QByteArray name = randomBytes(random, 12);
            if (seed % 2 == 0)
                name.prepend('/'); // used as it stands, where a relative name is cleaned
            else
                name.replace('/', "").replace('.', "");
            QStringList arguments{FileNameFromBytes(randomBytes(random, 12)),
                                  FileNameFromBytes(name)};
            if (seed % 3 == 0)
                arguments << "-p" + FileNameFromBytes(randomBytes(random, 8));
            const QString text =
                FileNameFromBytes(FileNameBytes(CommandLine::Build(arguments, folder)));
            const QString file =
                name.isEmpty() || name.startsWith('/') ? arguments[1] : folder + arguments[1];
            at = 0;
            for (const QString& expected : {arguments[0], file}) {
                bool exact = false;
                QCOMPARE(CommandLine::NextToken(text, at, &exact), expected);
                QVERIFY(exact);
            }
        }
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
