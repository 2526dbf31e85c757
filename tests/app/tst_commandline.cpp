#include <QDir>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include "CKelvoApp.h"
#include "CommandLine.h"
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
            const QByteArray token = CommandLine::NextToken(text.toUtf8(), at, &whole);
            if (token.isEmpty())
                break;
            got << QString::fromUtf8(token);
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
        const FileName folder = FileName::FromText("/w o\"rk/");
        for (quint32 seed = 1; seed <= 3000; ++seed) {
            QRandomGenerator random(seed);
            const QByteArray plain = randomBytes(random, 30).replace('"', "");
            QByteArrayList got;
            qsizetype at = 0;
            for (;;) {
                bool exact = false;
                const QByteArray token = CommandLine::NextToken(plain, at, &exact);
                if (token.isEmpty())
                    break;
                QVERIFY(exact);
                got << token;
            }
            QByteArray spaced = plain;
            for (const char separator : {'\t', '\r', '\n', '+'})
                spaced.replace(separator, ' ');
            QByteArrayList words = spaced.split(' ');
            words.removeAll(QByteArray());
            QCOMPARE(got, words);

            QByteArray name = randomBytes(random, 12);
            if (seed % 2 == 0)
                name.prepend('/'); // used as it stands, where a relative name is cleaned
            else
                name.replace('/', "").replace('.', "");
            QByteArrayList arguments{randomBytes(random, 12), name};
            if (seed % 3 == 0)
                arguments << "-p" + randomBytes(random, 8);
            const QByteArray text = CommandLine::Build(arguments, folder);
            const QByteArray file = name.isEmpty() || name.startsWith('/')
                                        ? arguments[1]
                                        : folder.Bytes() + arguments[1];
            at = 0;
            for (const QByteArray& expected : {arguments[0], file}) {
                bool exact = false;
                QCOMPARE(CommandLine::NextToken(text, at, &exact), expected);
                QVERIFY(exact);
            }
        }
    }

    void buildMakesTheFileAbsoluteAndQuotesBlanks() {
        const FileName work = FileName::FromText("/w/");
        QCOMPARE(
            CommandLine::Build({"kelvo", "amp.cir", "/p/lib"}, FileName::FromText("/work/sim/")),
            QByteArray("kelvo /work/sim/amp.cir /p/lib"));
        QCOMPARE(CommandLine::Build({"kelvo", "my amp.cir"}, work),
                 QByteArray("kelvo \"/w/my amp.cir\""));
        QCOMPARE(CommandLine::Build({"kelvo", "/proj/a+b.cir"}, work),
                 QByteArray("kelvo \"/proj/a+b.cir\""));
        // What Build writes, the scanner reads back.
        const QByteArray text = CommandLine::Build({"kelvo", "my amp.cir"}, work);
        qsizetype at = 0;
        CommandLine::NextToken(text, at);
        QCOMPARE(CommandLine::NextToken(text, at), QByteArray("/w/my amp.cir"));
    }

    void directoryOptionsFollowTheFile() {
        const auto names = [](const QStringList& texts) {
            FileNameList names;
            for (const QString& text : texts)
                names << FileName::FromText(text);
            return names;
        };
        QCOMPARE(CommandLine::DirectoryOptions({"kelvo", "x.cir", "/p/lib"}), names({"/lib/"}));
        QCOMPARE(CommandLine::DirectoryOptions({"kelvo", "x.cir", "-p/lib/", "/p"}),
                 names({"/lib/", "/"}));
        // A Linux path that holds "/p" is no option, nor is the file itself.
        QCOMPARE(CommandLine::DirectoryOptions({"kelvo", "/proj/amp.cir"}), names({}));
        QCOMPARE(CommandLine::DirectoryOptions({"kelvo", "/p/lib", "x.cir"}), names({}));
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

    void argumentsKeepTheirBytes() {
        const char* argv[] = {"kelvo", "caf\xE9.cir", "/p/lib"};
        const QByteArrayList arguments = CommandLine::Arguments(3, argv);
        QCOMPARE(arguments.size(), 3);
        QCOMPARE(arguments[1], QByteArray("caf\xE9.cir"));
        QCOMPARE(arguments[2], QByteArray("/p/lib"));
        // The bytes survive the command line's own form.
        const QByteArray text = CommandLine::Build(arguments, FileName::FromText("/w/"));
        qsizetype at = 0;
        CommandLine::NextToken(text, at);
        QCOMPARE(CommandLine::NextToken(text, at), QByteArray("/w/caf\xE9.cir"));
    }

    void searchFile() {
        QTemporaryDir dir;
        QFile(dir.filePath("amp.cir")).open(QIODevice::WriteOnly);
        QDir(dir.path()).mkdir("sub.cir");
        const auto name = [](const QString& text) { return FileName::FromText(text); };
        const FileName slashed = name(dir.path() + "/");
        const FileName amp = name(dir.filePath("amp.cir"));
        QCOMPARE(SearchFile(slashed, name("amp.cir")), amp);
        QCOMPARE(SearchFile(name(dir.path()), name("amp.cir")), amp);
        QCOMPARE(SearchFile(slashed, name("sub.cir")), FileName()); // a folder is no file
        QCOMPARE(SearchFile(name("/nowhere/"), amp), amp);
        QCOMPARE(SearchFile(slashed, name("missing.cir")), FileName());
        QCOMPARE(SearchFile(slashed, name("")), FileName());
        // With no directory: the program's, the current one, then PATH.
        const QString previous = QDir::currentPath();
        QDir::setCurrent(dir.path());
        QCOMPARE(SearchFile({}, name("amp.cir")), amp);
        QDir::setCurrent(previous);
        QVERIFY(SearchFile({}, name("sh")).Bytes().endsWith("/sh"));
        QVERIFY(CurrentDirectory().EndsWith('/'));
        QVERIFY(ProgramDirectory().EndsWith('/'));
        // A folder, a FIFO or a device is an entry, though no file.
        QCOMPARE(SearchEntry(slashed, name("sub.cir")), name(dir.filePath("sub.cir")));
        QCOMPARE(SearchEntry({}, name("/dev/zero")), name("/dev/zero"));
        QCOMPARE(SearchEntry(slashed, name("missing.cir")), FileName());
    }
};

QTEST_MAIN(CommandLineTest)
#include "tst_commandline.moc"
