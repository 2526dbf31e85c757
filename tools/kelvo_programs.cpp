// kelvo_programs: checks that every program Kelvo's scripts and tests start comes from a
// package that tools/setup-deps.sh installs, or from one every Debian system has (Essential,
// or of priority required). It reads the scripts and the C++ sources of the folder given,
// lists each program with its package and the first place that calls it, and fails, naming
// each, when a program is not installed, belongs to no package, or to a package the set-up
// does not install.
//
//   kelvo_programs SOURCE_FOLDER
//
// Exit status: 0 when every program is provided, 1 when one is not, 2 for a wrong command
// line, 77 where there is no dpkg-query to ask.

#include <cstdio>
#include <map>
#include <set>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QStringList>

#include "ProgramScan.h"

namespace {

const QString kSetUp = "tools/setup-deps.sh";

void Say(const QString& text) {
    std::printf("%s\n", qPrintable(text));
}

bool IsScript(const QFileInfo& file) {
    if (file.suffix() == "sh")
        return true;
    QFile text(file.filePath());
    if (!text.open(QIODevice::ReadOnly))
        return false;
    const QByteArray first = text.readLine(200);
    return first.startsWith("#!") && first.contains("sh");
}

// Every script and C++ source below the folder; build trees (they hold a CMakeCache.txt)
// and .git are passed over.
void ScanFolder(const QDir& root, const QDir& folder, ProgramScan& scan) {
    if (folder.exists("CMakeCache.txt"))
        return;
    const auto entries = folder.entryInfoList(
        QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
    for (const QFileInfo& entry : entries) {
        if (entry.isDir()) {
            if (entry.fileName() != ".git" && !entry.isSymLink())
                ScanFolder(root, QDir(entry.filePath()), scan);
            continue;
        }
        const bool source = QStringList{"cpp", "h", "cc", "hpp"}.contains(entry.suffix());
        if (!source && !IsScript(entry))
            continue;
        QFile file(entry.filePath());
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QByteArray text = file.readAll();
        const std::string name = root.relativeFilePath(entry.filePath()).toStdString();
        if (source)
            scan.AddSource(name, text.toStdString());
        else
            scan.AddScript(name, text.toStdString());
    }
}

// The words of the set-up's `packages=( ... )`, comments left out.
QStringList ListedPackages(const QString& root) {
    QFile file(QDir(root).filePath(kSetUp));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QString text = QString::fromUtf8(file.readAll());
    text.remove(QRegularExpression("(^|\\s)#[^\\n]*"));
    const auto match = QRegularExpression("\\bpackages=\\(([^)]*)\\)").match(text);
    return match.captured(1).split(QRegularExpression("\\s+"), Qt::SkipEmptyParts);
}

QString Run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(60000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

struct Package {
    bool base = false; // Essential, or of priority required
    QStringList needs; // its Depends and Pre-Depends, every alternative
};

std::map<QString, Package> InstalledPackages() {
    std::map<QString, Package> packages;
    const QString format =
        "${db:Status-Abbrev}\t${Package}\t${Essential}\t${Priority}\t${Pre-Depends},${Depends}\n";
    for (const QString& row : Run("dpkg-query", {"-W", "-f=" + format}).split('\n')) {
        const QStringList field = row.split('\t');
        if (field.size() < 5 || !field[0].startsWith("ii"))
            continue;
        Package& package = packages[field[1]];
        package.base = field[2] == "yes" || field[3] == "required";
        for (QString need : field[4].split(QRegularExpression("[,|]"), Qt::SkipEmptyParts)) {
            need.remove(QRegularExpression("\\(.*\\)|:\\S+"));
            if (!need.trimmed().isEmpty())
                package.needs << need.trimmed();
        }
    }
    return packages;
}

// The packages that own the files a name may be run from: the one found on PATH and those
// of the system's program folders, each also as its links resolve (an alternative such as
// /usr/bin/import, and /bin, which on a merged /usr holds what dpkg lists under /usr/bin).
std::map<QString, QSet<QString>> Owners(const std::set<QString>& programs) {
    std::map<QString, QString> pathProgram;
    for (const QString& program : programs) {
        QStringList paths{QStandardPaths::findExecutable(program)};
        for (const char* folder : {"/usr/bin/", "/bin/", "/usr/sbin/", "/sbin/"})
            paths << folder + program;
        for (const QString& path : paths) {
            if (path.isEmpty() || !QFileInfo(path).isExecutable())
                continue;
            pathProgram[path] = program;
            pathProgram[QFileInfo(path).canonicalFilePath()] = program;
        }
    }
    QStringList paths;
    for (const auto& [path, program] : pathProgram)
        paths << path;
    std::map<QString, QSet<QString>> owners;
    // Lines read "package[, package...]: /path"; paths no package owns only go to stderr.
    for (const QString& row : Run("dpkg-query", QStringList{"-S"} + paths).split('\n')) {
        const qsizetype colon = row.indexOf(": /");
        if (colon < 0 || row.startsWith("diversion"))
            continue;
        const auto found = pathProgram.find(row.mid(colon + 2));
        if (found == pathProgram.end())
            continue;
        for (QString package : row.left(colon).split(", "))
            owners[found->second] << package.remove(QRegularExpression(":.*"));
    }
    return owners;
}

// What brings a package: the set-up lists it, a listed package needs it, or every system
// has it. Empty when nothing does.
QString Provider(const QString& package, const QStringList& listed,
                 const std::map<QString, Package>& installed) {
    if (listed.contains(package))
        return "listed in " + kSetUp;
    if (const auto found = installed.find(package); found != installed.end() && found->second.base)
        return "on every Debian system";
    for (const QString& name : listed) {
        const auto found = installed.find(name);
        if (found != installed.end() && found->second.needs.contains(package))
            return "which " + name + " needs";
    }
    return {};
}

// Says how a program is provided; returns why not, or nothing when it is.
QString Check(const QString& program, const QString& where,
              const std::map<QString, QSet<QString>>& owners, const QStringList& listed,
              const std::map<QString, Package>& installed) {
    if (QStandardPaths::findExecutable(program).isEmpty())
        return "not installed";
    const auto owned = owners.find(program);
    if (owned == owners.end())
        return "belongs to no package";
    QStringList packages(owned->second.begin(), owned->second.end());
    packages.sort();
    for (const QString& package : packages) {
        const QString provider = Provider(package, listed, installed);
        if (!provider.isEmpty()) {
            Say(QString("ok: %1 (%2, %3), called at %4").arg(program, package, provider, where));
            return {};
        }
    }
    return "comes from " + packages.join(", ") + ", which " + kSetUp + " does not install";
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: kelvo_programs SOURCE_FOLDER\n");
        return 2;
    }
    const QString root = QString::fromLocal8Bit(argv[1]);
    if (QStandardPaths::findExecutable("dpkg-query").isEmpty()) {
        Say("SKIP: no dpkg-query here to say which package gives a program");
        return 77;
    }
    ProgramScan scan;
    ScanFolder(QDir(root), QDir(root), scan);
    std::map<QString, ProgramCall> first; // each program, by the first place that calls it
    for (const ProgramCall& call : scan.Calls())
        first.try_emplace(QString::fromStdString(call.program), call);
    std::set<QString> programs;
    for (const auto& [program, call] : first)
        programs.insert(program);

    const QStringList listed = ListedPackages(root);
    const std::map<QString, Package> installed = InstalledPackages();
    const std::map<QString, QSet<QString>> owners = Owners(programs);
    int faults = 0;
    for (const auto& [program, call] : first) {
        const QString where =
            QString("%1:%2").arg(QString::fromStdString(call.file)).arg(call.line);
        const QString fault = Check(program, where, owners, listed, installed);
        if (!fault.isEmpty()) {
            Say(QString("FAIL: %1, called at %2, %3").arg(program, where, fault));
            ++faults;
        }
    }
    if (faults > 0) {
        Say(QString("%1 program(s) the scripts and tests call are not provided by %2: add "
                    "the package that gives each to its list")
                .arg(faults)
                .arg(kSetUp));
        return 1;
    }
    Say(QString("all %1 programs come from packages that %2 installs or every system has")
            .arg(first.size())
            .arg(kSetUp));
    return 0;
}
