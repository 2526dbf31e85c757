#include <iterator>
#include <random>
#include <set>

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include "ProgramScan.h"

namespace {

// The programs found in scripts, sorted, one space between.
QString Found(const std::vector<std::pair<std::string, QString>>& scripts) {
    ProgramScan scan;
    for (const auto& [file, text] : scripts)
        scan.AddScript(file, text.toStdString());
    std::set<std::string> programs;
    for (const ProgramCall& call : scan.Calls())
        programs.insert(call.program);
    QStringList names;
    for (const std::string& program : programs)
        names << QString::fromStdString(program);
    return names.join(' ');
}

bool Write(const QString& path, const QByteArray& text) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
}

} // namespace

// The check that every program the scripts and tests start comes from a package the set-up
// installs: what it reads as a program in a script's text, and what it says of a tree.
class ProgramScanTest : public QObject {
    Q_OBJECT
private slots:
    void scriptsCallWhatStandsWhereACommandBegins_data() {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("programs");
        QTest::newRow("lists and pipes") << "grep -q x f | sort; cat a && head b || tail c &\n"
                                            "wc -l |& tee log"
                                         << "cat grep head sort tail tee wc";
        QTest::newRow("assignments and redirections")
            << "A=1 B=$(mktemp -d) ctest -j2 >log 2>&1 3>\"$f\" <in\nread -r a <<<\"$b\"\n"
               "X=\"$(realpath x)\" # a profile of its own"
            << "ctest mktemp realpath";
        QTest::newRow("keywords and builtins")
            << "if ! kill -0 1; then echo x; elif test -f y; then printf z; fi\n"
               "while [ -s f ]; do sleep 1; done; until false; do :; done; time nproc"
            << "nproc sleep";
        QTest::newRow("a for loop's words are not commands")
            << "for f in cmake ninja $(seq 1 3); do od -c \"$f\"; done\nselect x in a b; do ls; "
               "done"
            << "ls od seq";
        QTest::newRow("case patterns are not commands")
            << "case $x in\n  (xdotool|gzip) tar x ;;\n  *) unzip y ;&\n  z) zip;;\nesac; uname"
            << "tar uname unzip zip";
        QTest::newRow("the script's own functions are not programs")
            << "watch() { pdftotext a -; }\nfunction later { true; }\nwatch x; later"
            << "pdftotext";
        QTest::newRow("functions that run their arguments")
            << "check() { local w=$1; shift; if \"$@\"; then :; fi; }\n"
               "wait_until() { local n=$1; shift; \"$@\"; }\n"
               "check \"it shows\" wait_until 5 xwininfo -root\ncheck 'a' grep -q x y"
            << "grep xwininfo";
        QTest::newRow("bash -c, trap and eval texts")
            << "end() { :; }\ntrap 'end; rm -f \"$x\"' EXIT\nbash -c 'import -window root a.png'\n"
               "sh -ec \"convert a b && compare -metric AE a b null:\"\n"
               "bash -o pipefail -c 'od x'\neval \"stat x\"\nbash script.sh"
            << "bash compare convert import od rm sh stat";
        QTest::newRow("quotes within a bash -c text")
            << "bash -c '\n    \"$KELVO\" $'\"'\"'caf\\xe9.cir'\"'\"' &\n"
               "    echo \"the file'\"'\"'s name\"; xwininfo -root\n'"
            << "bash xwininfo";
        QTest::newRow("command substitutions within quotes")
            << "eval \"$(xdotool getwindowgeometry --shell \"$(basename \"$w\")\")\"\n"
               "echo \"`hostname` ${x:-y} $((n * 2))\"; [[ $(id -u) -ne 0 && a < b ]] || whoami"
            << "basename hostname id whoami xdotool";
        QTest::newRow("programs named by variables and paths")
            << "\"$KELVO\" a; $sudo apt-get update\nDEBIAN_FRONTEND=x ${sudo} apt-cache show\n"
               "exec tools/test.sh; build/app/kelvo x; ./run"
            << "apt-cache apt-get";
        QTest::newRow("wrappers run what follows them")
            << "env A=1 nohup timeout 5 xvfb-run -a Xvfb :1\nexec -a name ngspice -b\n"
               "command -v lp; command ls; sudo -u nobody id"
            << "Xvfb env id ls ngspice nohup sudo timeout xvfb-run";
        QTest::newRow("comments, strings and continuations")
            << "# sed in a comment\necho \"awk in a string\" 'perl too' # and python\n"
               "cmake \\\n  --build b\nx=a#b make"
            << "cmake make";
        QTest::newRow("arrays and arithmetic")
            << "p=(\n  gawk # (a comment)\n  bc\n)\nq+=(\"$r\")\n((n += 1))\nx=$((n * 2)) nproc"
            << "nproc";
        QTest::newRow("here-documents are text")
            << "cat <<EOF\nrm -rf /\nEOF\nsort <<-'END'\n\tls\n\tEND\nuniq"
            << "cat sort uniq";
        QTest::newRow("subshells, groups and process substitutions")
            << "(cd d && make) || { gmake; }\ndiff <(sort a) b\nout=$( (uname) )"
            << "diff gmake make sort uname";
    }
    void scriptsCallWhatStandsWhereACommandBegins() {
        QFETCH(QString, script);
        QFETCH(QString, programs);
        QCOMPARE(Found({{"test.sh", script}}), programs);
    }

    // A library that scripts source and a script that runs its arguments (as the e2e scripts
    // use e2e_lib.sh and on_display.sh) are known to every script; a bash -c text knows only
    // the functions it defines. A call is placed at its line, inside a bash -c text too.
    void wrappersServeEveryScriptAndCallsKeepTheirLines() {
        const QString lib = "check() {\n    shift\n    \"$@\"\n}\n";
        const QString display = "Xvfb :1 &\n\"$@\"\n";
        const QString main = "source lib.sh\n"
                             "\"$(dirname \"$0\")/display.sh\" bash -c '\n"
                             "    check() { :; }; xdotool key a; check shown Font\n'\n"
                             "check \"shot\" import x.png\n";
        QCOMPARE(Found({{"lib.sh", lib}, {"display.sh", display}, {"main.sh", main}}),
                 "Xvfb bash dirname import xdotool");
        ProgramScan scan;
        scan.AddScript("lib.sh", lib.toStdString());
        scan.AddScript("main.sh", main.toStdString());
        std::map<std::string, int> lines;
        for (const ProgramCall& call : scan.Calls())
            lines[call.file + " " + call.program] = call.line;
        QCOMPARE(lines["main.sh xdotool"], 3);
        QCOMPARE(lines["main.sh import"], 5);
    }

    // Any text, however broken (unclosed quotes, substitutions and here-documents), is read
    // to its end; every call found names something at a line of the text.
    void anyTextIsReadToItsEnd() {
        const char* pieces[] = {
            " ",    "\n",   "\t",       "a",     "ls",    "'",      "\"",    "$",    "(",    ")",
            "{",    "}",    "`",        "\\",    "#",     "<",      ">",     "|",    "&",    ";",
            "=",    "$(",   "${",       "$((",   "<<",    "EOF",    "case ", " in ", "esac", "for ",
            "do ",  "done", "bash -c ", "trap ", "eval ", "[[ ",    " ]]",   "f()",  "$'",   "\\x",
            "2>&1", "x=(",  "))",       ";;",    "-c",    "\"$@\"", "shift"};
        std::mt19937 random(20261210);
        for (int round = 0; round < 3000; ++round) {
            std::string text;
            const int count = std::uniform_int_distribution<int>(0, 60)(random);
            for (int n = 0; n < count; ++n)
                text += pieces[std::uniform_int_distribution<std::size_t>(0, std::size(pieces) -
                                                                                 1)(random)];
            ProgramScan scan;
            scan.AddScript("random.sh", text);
            for (const ProgramCall& call : scan.Calls()) {
                QVERIFY2(!call.program.empty() && call.line >= 1, text.c_str());
                QCOMPARE(call.file, std::string("random.sh"));
            }
        }
    }

    // C++ starts a program by a name in a string literal; a path or a variable is the
    // project's own. The @ stand for quotes, so this file's own text starts nothing.
    void sourcesCallTheNamesTheyStart_data() {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("programs");
        QTest::newRow("QProcess") << "run.start(@pdftotext@, {@-layout@});\n"
                                     "QProcess::execute(@lpr -P x@);"
                                  << "lpr pdftotext";
        QTest::newRow("look-ups and the C library")
            << "QStandardPaths::findExecutable(@ngspice@);\nstd::system(@sed -n p f@);\n"
               "popen( @gzip -d@, @r@);"
            << "gzip ngspice sed";
        QTest::newRow("a program set before a detached start")
            << "plot.setProgram(@gnuplot@);\nplot.startDetached();" << "gnuplot";
        QTest::newRow("the project's own programs")
            << "second.start(KELVO_BINARY, {@a.cir@});\nrun.start(@/usr/lib/x/helper@);"
            << "";
    }
    void sourcesCallTheNamesTheyStart() {
        QFETCH(QString, source);
        QFETCH(QString, programs);
        ProgramScan scan;
        scan.AddSource("a.cpp", source.replace('@', '"').toStdString());
        QStringList names;
        for (const ProgramCall& call : scan.Calls())
            names << QString::fromStdString(call.program);
        names.sort();
        QCOMPARE(names.join(' '), programs);
    }

    // The check run on a tree: a script that calls a made-up program, one that no package
    // owns and one from a package the set-up does not list fails, naming each with the
    // place that calls it; once the set-up lists the package and the others are gone, it
    // passes.
    void checkFailsOnAProgramTheSetUpDoesNotProvide() {
        if (QStandardPaths::findExecutable("dpkg-query").isEmpty())
            QSKIP("no dpkg-query: not a Debian system");
        if (QStandardPaths::findExecutable("xwininfo").isEmpty())
            QSKIP("xwininfo is not installed (x11-utils; tools/setup-deps.sh installs it)");
        QTemporaryDir tree;
        const QString bin = tree.filePath("bin/kelvo-unpackaged-tool");
        QVERIFY(Write(bin, "#!/bin/sh\n"));
        QVERIFY(QFile::setPermissions(bin, QFile::permissions(bin) | QFile::ExeOwner));
        const QByteArray setUp = "packages=(\n    xdotool # drives the display\n)\n";
        QVERIFY(Write(tree.filePath("src/tools/setup-deps.sh"), setUp));
        QVERIFY(Write(tree.filePath("src/tests/e2e/a.sh"),
                      "grep -q x y\nxdotool key a\nkelvo-made-up-program --now\n"
                      "kelvo-unpackaged-tool\nxwininfo -root\n"));
        // A build tree's copies are not the project's scripts.
        QVERIFY(Write(tree.filePath("src/build/CMakeCache.txt"), ""));
        QVERIFY(Write(tree.filePath("src/build/x.sh"), "kelvo-made-up-build-program\n"));

        QProcess check;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("PATH", tree.filePath("bin") + ":" + environment.value("PATH"));
        check.setProcessEnvironment(environment);
        check.start(KELVO_PROGRAMS, {tree.filePath("src")});
        QVERIFY(check.waitForFinished(60000));
        QString said = QString::fromUtf8(check.readAllStandardOutput());
        QCOMPARE(check.exitCode(), 1);
        for (const char* expected :
             {"FAIL: kelvo-made-up-program, called at tests/e2e/a.sh:3, not installed",
              "FAIL: kelvo-unpackaged-tool, called at tests/e2e/a.sh:4, belongs to no package",
              "FAIL: xwininfo, called at tests/e2e/a.sh:5, comes from x11-utils, which "
              "tools/setup-deps.sh does not install",
              "ok: xdotool (xdotool, listed in tools/setup-deps.sh)",
              "ok: grep (grep, on every Debian system)"})
            QVERIFY2(said.contains(expected), qPrintable(said));
        QVERIFY2(!said.contains("build-program"), qPrintable(said));

        QVERIFY(Write(tree.filePath("src/tools/setup-deps.sh"),
                      "packages=(\n    xdotool x11-utils\n)\n"));
        QVERIFY(Write(tree.filePath("src/tests/e2e/a.sh"), "xdotool key a\nxwininfo -root\n"));
        check.start(KELVO_PROGRAMS, {tree.filePath("src")});
        QVERIFY(check.waitForFinished(60000));
        said = QString::fromUtf8(check.readAllStandardOutput());
        QVERIFY2(check.exitCode() == 0, qPrintable(said));
    }
};

QTEST_MAIN(ProgramScanTest)
#include "tst_programscan.moc"
