// kelvo-suite: plays the simulation suite's side of the editor's shared block, for people and
// for tests. The block is this user's (or the one KELVO_SHARE_BLOCK names).
//
//   kelvo-suite show                 the block's fields, one "name value" a line
//   kelvo-suite ready 0|1            suiteReady: enables the editor's Actions menu
//   kelvo-suite running 0|1          simulatorRunning
//   kelvo-suite circuit PATH         the circuit's directory and name (PATH with or without .cir)
//   kelvo-suite request q|r|c|i      quit, come forward, close for a simulation, open the circuit
//   kelvo-suite family cir|ckt|err|out|tmp   show one of the circuit's files
//   kelvo-suite raise                action 2: bring the editor to the front
//   kelvo-suite action               the action code the editor wrote (0 for none), then clears it
//   kelvo-suite watch CIRCUIT        names the circuit, opens it in the editor, and runs ngspice
//                                 on it whenever the editor asks for a simulation (Ctrl+G)
//   kelvo-suite simulate CIRCUIT     names the circuit and simulates it once, as watch does on
//                                 Ctrl+G; the status is 1 when the simulator reported errors

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include "ShareBlock.h"
#include "SharedMemory.h"
#include "SuiteFiles.h"

namespace {

std::atomic<bool> g_stop = false;

void OnStop(int) {
    g_stop = true;
}

int Usage() {
    std::fprintf(stderr, "usage: kelvo-suite show | ready 0|1 | running 0|1 | circuit PATH |\n"
                         "                request q|r|c|i | family cir|ckt|err|out|tmp | raise |\n"
                         "                action | watch CIRCUIT | simulate CIRCUIT\n");
    return 2;
}

struct Field {
    const char* name;
    std::size_t offset;
};

const Field kFields[] = {
    {"editorFlags", ShareBlock::kEditorFlags},
    {"request", ShareBlock::kRequest},
    {"editState", ShareBlock::kEditState},
    {"familyRequest", ShareBlock::kFamilyRequest},
    {"editorId", ShareBlock::kEditorId},
    {"suiteReady", ShareBlock::kSuiteReady},
    {"simulatorRunning", ShareBlock::kSimulatorRunning},
    {"requestBusy", ShareBlock::kRequestBusy},
    {"action", ShareBlock::kAction},
};

void Show(const ShareBlock& block) {
    for (const Field& field : kFields)
        std::printf("%s %d\n", field.name, block.Get(field.offset));
    std::printf("editorPid %u\n", block.EditorPid());
    std::printf("handOff %s\n", block.HandOff().constData());
    std::printf("circuitName %s\n", block.CircuitName().constData());
    std::printf("circuitDirectory %s\n", block.CircuitDirectory().constData());
}

bool ParseFlag(const char* text, unsigned char& value) {
    if (std::strcmp(text, "0") != 0 && std::strcmp(text, "1") != 0)
        return false;
    value = text[0] == '1' ? 1 : 0;
    return true;
}

// The circuit as the suite names it: its folder (ending in "/"), its name without the
// extension, and the extension's letter case, which the simulation's files follow.
struct Circuit {
    QString folder;
    QString name;
    bool upperCase = false;

    QString File(const char* extension) const {
        const QString ext = QString::fromLatin1(extension);
        return folder + name + '.' + (upperCase ? ext.toUpper() : ext.toLower());
    }
};

Circuit CircuitOf(const QString& argument) {
    const QFileInfo info(QDir::current().absoluteFilePath(argument));
    Circuit circuit;
    circuit.folder = info.absolutePath();
    if (!circuit.folder.endsWith('/'))
        circuit.folder += '/';
    const QString suffix = info.suffix();
    circuit.name =
        suffix.compare("cir", Qt::CaseInsensitive) == 0 ? info.completeBaseName() : info.fileName();
    circuit.upperCase = suffix == "CIR";
    return circuit;
}

bool SetCircuit(const ShareBlock& block, const Circuit& circuit) {
    const QByteArray folder = QFile::encodeName(circuit.folder);
    const QByteArray name = QFile::encodeName(circuit.name);
    if (std::size_t(folder.size()) >= ShareBlock::kCircuitDirectorySize ||
        std::size_t(name.size()) >= ShareBlock::kCircuitNameSize) {
        std::fprintf(stderr, "kelvo-suite: the circuit's folder or name is too long for the block\n");
        return false;
    }
    block.SetText(ShareBlock::kCircuitDirectory, ShareBlock::kCircuitDirectorySize, folder);
    block.SetText(ShareBlock::kCircuitName, ShareBlock::kCircuitNameSize, name);
    return true;
}

bool WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        return false;
    return file.flush();
}

struct Run {
    bool started = false;
    bool ok = false; // ended by itself with status 0
    QByteArray out;
    QByteArray err;
};

// ngspice run as its user runs it: from the circuit's folder, where it looks for includes
// first and for the user's init file (.spiceinit, which may set ngbehavior, say) before the
// home folder.
Run RunSimulator(const Circuit& circuit, const QStringList& arguments, const QByteArray& input) {
    QProcess process;
    process.setWorkingDirectory(circuit.folder);
    process.start("ngspice", arguments);
    Run run;
    run.started = process.waitForStarted(10000);
    if (!run.started) {
        run.err = "kelvo-suite: ngspice could not be started (" + process.errorString().toUtf8() +
                  "); install it with: apt-get install ngspice\n";
        return run;
    }
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished();
    }
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    run.ok = process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    return run;
}

// The netlist as ngspice expands it (subcircuits and includes in place): what comes after
// a marker that is echoed just before the listing, without ngspice's last words ("ngspice-39
// done"). Loading a netlist runs its control section, which may simulate and write files, so
// ngspice loads a copy without it, kept in a folder of its own: run from the circuit's
// folder, it finds the includes there all the same.
QByteArray ExpandedListing(const Circuit& circuit) {
    static const QByteArray marker = "@@kelvo-suite-listing@@";
    QFile netlist(circuit.File("cir"));
    const QTemporaryDir folder;
    if (!folder.isValid() || !netlist.open(QIODevice::ReadOnly))
        return {};
    const QString copy = folder.filePath(QFileInfo(netlist).fileName());
    if (!WriteFile(copy, WithoutControlSection(netlist.readAll())))
        return {};
    const Run run =
        RunSimulator(circuit, {"-p", copy}, "echo " + marker + "\nlisting expand\nquit\n");
    const qsizetype at = run.out.indexOf(marker + '\n');
    if (at < 0)
        return {};
    QByteArray listing = run.out.mid(at + marker.size() + 1);
    const qsizetype last = listing.lastIndexOf('\n', listing.size() - 2) + 1;
    if (listing.mid(last).startsWith("ngspice-"))
        listing.truncate(last);
    return listing;
}

// Asks the editor to close the circuit's derived files, which the run is about to
// replace, and to offer what is still unsaved for saving; waits until it has (the user
// may take a while to answer). An editor that is not there is not waited for.
void CloseDerivedDocuments(const ShareBlock& block) {
    if (!block.HeldByLiveEditor())
        return;
    block.Set(ShareBlock::kRequest, 'c');
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(10);
    // The editor clears the request, then marks itself busy until its questions are
    // answered: done once the request is gone and it has been seen idle twice in a row.
    int idle = 0;
    while (!g_stop && idle < 2 && std::chrono::steady_clock::now() < deadline &&
           block.HeldByLiveEditor()) {
        const bool taken = block.Get(ShareBlock::kRequest) != 'c';
        idle = taken && (block.Get(ShareBlock::kRequestBusy) & 1) == 0 ? idle + 1 : 0;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

// Runs the simulation as the suite's simulator would: has the editor close the files of
// the last run, writes NAME.out, NAME.err (removed when empty) and NAME.ckt beside the
// circuit, then asks the editor to show the output, or the errors when the run failed.
// Returns whether the run went without errors.
bool Simulate(const ShareBlock& block, const Circuit& circuit) {
    CloseDerivedDocuments(block);
    block.Set(ShareBlock::kSimulatorRunning, 1);
    std::printf("simulating %s\n", qPrintable(circuit.File("cir")));
    std::fflush(stdout);
    const Run run = RunSimulator(circuit, {"-b", circuit.File("cir")}, {});
    WriteFile(circuit.File("out"), CrLfLines(run.out));
    if (run.err.isEmpty())
        QFile::remove(circuit.File("err"));
    else
        WriteFile(circuit.File("err"), CrLfLines(run.err));
    if (run.started)
        WriteFile(circuit.File("ckt"), CrLfLines(ExpandedListing(circuit)));
    block.Set(ShareBlock::kSimulatorRunning, 0);
    const bool failed = !run.ok;
    std::printf("%s\n", failed ? "the simulator reported errors" : "simulation done");
    std::fflush(stdout);
    block.Set(ShareBlock::kFamilyRequest, failed ? 'e' : 'o');
    return !failed;
}

// The circuit named on the command line, named in the block too; false when there is none.
bool NameCircuit(const ShareBlock& block, const QString& argument, Circuit& circuit) {
    circuit = CircuitOf(argument);
    if (!QFileInfo::exists(circuit.File("cir"))) {
        std::fprintf(stderr, "kelvo-suite: no circuit %s\n", qPrintable(circuit.File("cir")));
        return false;
    }
    return SetCircuit(block, circuit);
}

int Watch(const ShareBlock& block, const QString& argument) {
    Circuit circuit;
    if (!NameCircuit(block, argument, circuit))
        return 1;
    std::signal(SIGINT, OnStop);
    std::signal(SIGTERM, OnStop);
    block.Set(ShareBlock::kSuiteReady, 1);
    block.Set(ShareBlock::kRequest, 'i');
    std::printf("watching %s\n", qPrintable(circuit.File("cir")));
    std::fflush(stdout);
    while (!g_stop) {
        const unsigned char action = block.Get(ShareBlock::kAction);
        // 2 is the suite's own request to the editor: it is the editor's to take.
        if (action != 0 && action != ShareBlock::kActionRaise) {
            block.Set(ShareBlock::kAction, 0);
            std::printf("action %d\n", action);
            std::fflush(stdout);
            if (action == ShareBlock::kActionSimulate)
                Simulate(block, circuit);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    // The suite is gone: the editor's Actions menu goes with it.
    block.Set(ShareBlock::kSuiteReady, 0);
    block.Set(ShareBlock::kSimulatorRunning, 0);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    if (argc < 2)
        return Usage();
    SharedMemory memory;
    const std::string name = SuiteShareName();
    if (!memory.Open(name, ShareBlock::kSize)) {
        std::fprintf(stderr, "kelvo-suite: cannot open the shared block %s: %s\n", name.c_str(),
                     std::strerror(errno));
        return 1;
    }
    const ShareBlock block(memory.Data());
    const std::string command = argv[1];
    const char* argument = argc > 2 ? argv[2] : nullptr;
    unsigned char flag = 0;
    if (command == "show" && argc == 2) {
        Show(block);
    } else if (command == "ready" && argument && ParseFlag(argument, flag)) {
        block.Set(ShareBlock::kSuiteReady, flag);
    } else if (command == "running" && argument && ParseFlag(argument, flag)) {
        block.Set(ShareBlock::kSimulatorRunning, flag);
    } else if (command == "circuit" && argument) {
        if (!SetCircuit(block, CircuitOf(QFile::decodeName(argument))))
            return 1;
    } else if (command == "request" && argument && std::strlen(argument) == 1 &&
               std::strchr("qrci", argument[0]) != nullptr) {
        block.Set(ShareBlock::kRequest, static_cast<unsigned char>(argument[0]));
    } else if (command == "family" && argument) {
        static const char* const kNames[] = {"cir", "ckt", "err", "out", "tmp"};
        static const char kRequests[] = "tkeox";
        for (int i = 0; i < 5; ++i)
            if (std::strcmp(argument, kNames[i]) == 0) {
                block.Set(ShareBlock::kFamilyRequest, static_cast<unsigned char>(kRequests[i]));
                return 0;
            }
        return Usage();
    } else if (command == "raise" && argc == 2) {
        block.Set(ShareBlock::kAction, ShareBlock::kActionRaise);
    } else if (command == "action" && argc == 2) {
        const unsigned char action = block.Get(ShareBlock::kAction);
        if (action != ShareBlock::kActionRaise)
            block.Set(ShareBlock::kAction, 0);
        std::printf("%d\n", action == ShareBlock::kActionRaise ? 0 : action);
    } else if (command == "watch" && argument) {
        return Watch(block, QFile::decodeName(argument));
    } else if (command == "simulate" && argument) {
        Circuit circuit;
        if (!NameCircuit(block, QFile::decodeName(argument), circuit))
            return 1;
        return Simulate(block, circuit) ? 0 : 1;
    } else {
        return Usage();
    }
    return 0;
}
