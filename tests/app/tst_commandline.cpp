#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include "CKelvoApp.h"
#include "CommandLine.h"
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
    }
};

QTEST_MAIN(CommandLineTest)
#include "tst_commandline.moc"
