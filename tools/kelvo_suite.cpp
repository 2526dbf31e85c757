// kelvo-suite: plays the simulation suite's side of the editor's shared block, for people and
// for tests. The block is this user's (or the one KELVO_SHARE_BLOCK names). `kelvo-suite
// --help` says what each command does; res/man/kelvo-suite.1 says the same at length.

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <thread>

#include <spawn.h>
#include <sys/wait.h>

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include "KelvoVersion.h"
#include "ShareBlock.h"
#include "SharedMemory.h"
#include "SuiteFiles.h"
#include "SuiteScope.h"
#include "SuiteSimulator.h"

namespace {

std::atomic<bool> g_stop = false;

void OnStop(int) {
    g_stop = true;
}

extern "C" char** environ;

constexpr char kUsage[] =
    "usage: kelvo-suite watch CIRCUIT | simulate CIRCUIT | scope CIRCUIT | show |\n"
    "                   ready 0|1 | running 0|1 | circuit PATH | request q|r|c|i |\n"
    "                   family cir|ckt|err|out|tmp | raise | action\n"
    "       kelvo-suite --help | --version\n";

// Kept in step with res/man/kelvo-suite.1.
constexpr char kHelp[] =
    "\n"
    "Plays the simulation suite's side of the Kelvo editor: opens a circuit in the editor,\n"
    "runs ngspice when the editor asks for a simulation, and draws the last run's waveforms\n"
    "with gnuplot. It talks to the editor through the user's shared block.\n"
    "\n"
    "Commands:\n"
    "  watch CIRCUIT       open the circuit in the running editor, starting one when none\n"
    "                      runs within 3 seconds, and serve the editor's Actions menu until\n"
    "                      the editor ends or kelvo-suite is interrupted (Ctrl+C)\n"
    "  simulate CIRCUIT    simulate the circuit once, as Simulate does\n"
    "  scope CIRCUIT       draw the waveforms of the circuit's last run, as Scope does\n"
    "  show                print the block's fields, one \"name value\" a line\n"
    "  ready 0|1           set suiteReady, which enables the editor's Actions menu\n"
    "  running 0|1         set simulatorRunning\n"
    "  circuit PATH        name the circuit in the block (PATH with or without .cir)\n"
    "  request q|r|c|i     ask the editor to quit, come forward, close the simulation's\n"
    "                      files and offer unsaved work for saving, or open the circuit\n"
    "  family cir|ckt|err|out|tmp\n"
    "                      ask the editor to show one of the circuit's files\n"
    "  raise               ask the editor to come to the front (action 2)\n"
    "  action              print the action code the editor wrote (0 for none), and clear it\n"
    "\n"
    "Options:\n"
    "  --help              print this help and exit\n"
    "  --version           print the version and exit\n"
    "\n"
    "What watch does with the editor's Actions menu:\n"
    "  Simulate (Ctrl+G)   run ngspice on the circuit in its folder, writing NAME.out,\n"
    "                      NAME.err (what ngspice said on its error stream), NAME.ckt (the\n"
    "                      expanded netlist) and NAME.raw (the waveforms) beside it; the\n"
    "                      editor then shows NAME.out, or NAME.err when the run failed\n"
    "  Scope               draw NAME.raw with gnuplot, a window for each analysis\n"
    "  ORVAS, Schematic    there is no such program here: a line on the error stream says so\n"
    "\n"
    "Environment:\n"
    "  KELVO_SHARE_BLOCK   the shared block's name, beginning with /, in place of\n"
    "                      /orva_shared_memory.UID (in /dev/shm)\n"
    "  PATH                where ngspice, gnuplot and kelvo are found; kelvo is looked for\n"
    "                      beside kelvo-suite first\n"
    "  DISPLAY             the display gnuplot draws on, and the started editor shows on\n"
    "  HOME                where ngspice finds .spiceinit when the circuit's folder has none\n"
    "\n"
    "Exit status:\n"
    "  0   done; for watch, the editor ended or kelvo-suite was interrupted\n"
    "  1   failed: no such circuit, no shared block, the simulator reported errors, no\n"
    "      editor to start or it ended before it took the block, nothing to draw, or no\n"
    "      gnuplot\n"
    "  2   wrong command line\n";

int Usage() {
    std::fputs(kUsage, stderr);
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

bool SetCircuit(const ShareBlock& block, const Circuit& circuit) {
    const QByteArray folder = QFile::encodeName(circuit.folder);
    const QByteArray name = QFile::encodeName(circuit.name);
    if (std::size_t(folder.size()) >= ShareBlock::kCircuitDirectorySize ||
        std::size_t(name.size()) >= ShareBlock::kCircuitNameSize) {
        std::fprintf(stderr,
                     "kelvo-suite: the circuit's folder or name is too long for the block\n");
        return false;
    }
    block.SetText(ShareBlock::kCircuitDirectory, ShareBlock::kCircuitDirectorySize, folder);
    block.SetText(ShareBlock::kCircuitName, ShareBlock::kCircuitNameSize, name);
    return true;
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
// the last run, writes NAME.out, NAME.err (removed when empty), NAME.ckt and NAME.raw (removed
// when the run left no plot, so that Scope never shows an older run's) beside the circuit,
// then asks the editor to show the output, or the errors when the run failed.
// Returns whether the run went without errors.
bool Simulate(const ShareBlock& block, const Circuit& circuit) {
    CloseDerivedDocuments(block);
    block.Set(ShareBlock::kSimulatorRunning, 1);
    std::printf("simulating %s\n", qPrintable(circuit.File("cir")));
    std::fflush(stdout);
    QByteArray raw;
    const Run run = SimulateKeepingPlots(circuit, raw);
    WriteFile(circuit.File("out"), CrLfLines(run.out));
    if (run.err.isEmpty())
        QFile::remove(circuit.File("err"));
    else
        WriteFile(circuit.File("err"), CrLfLines(run.err));
    if (raw.isEmpty())
        QFile::remove(circuit.File("raw"));
    else
        WriteFile(circuit.File("raw"), raw);
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

// The editor to start: `kelvo` beside this program, where both are installed, else the one
// on PATH; empty when there is none.
QString EditorProgram() {
    // This project's own program, which no package of the system provides.
    const QString editor = "kelvo";
    const QFileInfo beside(QDir(QCoreApplication::applicationDirPath()).filePath(editor));
    if (beside.isFile() && beside.isExecutable())
        return beside.filePath();
    return QStandardPaths::findExecutable(editor);
}

// Starts the editor on the circuit in a session of its own: the terminal's Ctrl+C and hang-up
// are meant for kelvo-suite, and must not end an editor that may hold unsaved work. Its
// output still goes where kelvo-suite's goes. Returns its process id, or 0.
pid_t StartEditor(const QString& program, const QString& circuit) {
    const QByteArray path = QFile::encodeName(program);
    const QByteArray file = QFile::encodeName(circuit);
    char* const arguments[] = {const_cast<char*>(path.constData()),
                               const_cast<char*>(file.constData()), nullptr};
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
    pid_t pid = 0;
    const int error = posix_spawn(&pid, path.constData(), nullptr, &attributes, arguments, environ);
    posix_spawnattr_destroy(&attributes);
    if (error != 0) {
        std::fprintf(stderr, "kelvo-suite: cannot start the editor %s: %s\n", path.constData(),
                     std::strerror(error));
        return 0;
    }
    return pid;
}

// Waits up to `patience` for an editor to hold the block; false at once on a signal.
bool WaitForEditor(const ShareBlock& block, std::chrono::milliseconds patience) {
    const auto deadline = std::chrono::steady_clock::now() + patience;
    while (!g_stop && !block.HeldByLiveEditor()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return !g_stop;
}

void AnswerAction(const ShareBlock& block, const Circuit& circuit, unsigned char action) {
    switch (action) {
    case ShareBlock::kActionSimulate:
        Simulate(block, circuit);
        break;
    case ShareBlock::kActionScope:
        Scope(circuit);
        break;
    case ShareBlock::kActionOrvas:
        std::fprintf(stderr, "kelvo-suite: ORVAS, the suite's control front end, has no program "
                             "here; kelvo-suite stands in for it\n");
        break;
    case ShareBlock::kActionSchematic:
        std::fprintf(stderr, "kelvo-suite: Schematic: there is no schematic program here\n");
        break;
    default:
        std::fprintf(stderr, "kelvo-suite: the editor asked for action %d, which is unknown\n",
                     action);
        break;
    }
}

// Serves the editor's actions until the editor ends or a signal comes. An editor that is not
// there within a few seconds (a script may have started one just before) is started here.
int Watch(const ShareBlock& block, const QString& argument) {
    Circuit circuit;
    if (!NameCircuit(block, argument, circuit))
        return 1;
    std::signal(SIGINT, OnStop);
    std::signal(SIGTERM, OnStop);
    pid_t started = 0;
    if (!WaitForEditor(block, std::chrono::seconds(3)) && !g_stop) {
        const QString program = EditorProgram();
        if (program.isEmpty()) {
            std::fprintf(stderr, "kelvo-suite: no editor runs, and there is no kelvo to start, "
                                 "neither beside kelvo-suite nor on PATH\n");
            return 1;
        }
        started = StartEditor(program, circuit.File("cir"));
        if (started == 0)
            return 1;
        std::printf("started %s\n", qPrintable(program));
    }
    block.Set(ShareBlock::kSuiteReady, 1);
    block.Set(ShareBlock::kRequest, 'i');
    std::printf("watching %s\n", qPrintable(circuit.File("cir")));
    std::fflush(stdout);
    bool held = false; // an editor has held the block since
    int status = 0;
    while (!g_stop) {
        // An ended editor that is not waited for still has its id: it is not alive all the same.
        int editorStatus = 0;
        const bool ended = started != 0 && ::waitpid(started, &editorStatus, WNOHANG) == started;
        if (ended)
            started = 0;
        if (block.HeldByLiveEditor()) {
            held = true;
        } else if (held) {
            std::printf("the editor has ended\n");
            break;
        } else if (ended) {
            // Gone before it took the block: it could not start, and said why.
            std::fprintf(stderr,
                         "kelvo-suite: the editor ended (%s %d) before it opened the "
                         "circuit\n",
                         WIFEXITED(editorStatus) ? "status" : "signal",
                         WIFEXITED(editorStatus) ? WEXITSTATUS(editorStatus)
                                                 : WTERMSIG(editorStatus));
            status = 1;
            break;
        }
        const unsigned char action = block.Get(ShareBlock::kAction);
        // 2 is the suite's own request to the editor: it is the editor's to take.
        if (action != 0 && action != ShareBlock::kActionRaise) {
            block.Set(ShareBlock::kAction, 0);
            std::printf("action %d\n", action);
            std::fflush(stdout);
            AnswerAction(block, circuit, action);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    std::fflush(stdout);
    // The suite is gone: the editor's Actions menu goes with it.
    block.Set(ShareBlock::kSuiteReady, 0);
    block.Set(ShareBlock::kSimulatorRunning, 0);
    return status;
}

// What the command line asks of the block, checked before the block is opened; empty when it
// is not a command line of kelvo-suite's.
using Command = std::function<int(const ShareBlock&)>;

Command ParseCommand(const std::string& command, const char* argument) {
    if (argument == nullptr) {
        if (command == "show")
            return [](const ShareBlock& block) { return Show(block), 0; };
        if (command == "raise")
            return [](const ShareBlock& block) {
                return block.Set(ShareBlock::kAction, ShareBlock::kActionRaise), 0;
            };
        if (command == "action")
            return [](const ShareBlock& block) {
                const unsigned char action = block.Get(ShareBlock::kAction);
                if (action != ShareBlock::kActionRaise)
                    block.Set(ShareBlock::kAction, 0);
                std::printf("%d\n", action == ShareBlock::kActionRaise ? 0 : action);
                return 0;
            };
        return {};
    }
    const QString text = QFile::decodeName(argument);
    unsigned char flag = 0;
    if ((command == "ready" || command == "running") && ParseFlag(argument, flag)) {
        const std::size_t offset =
            command == "ready" ? ShareBlock::kSuiteReady : ShareBlock::kSimulatorRunning;
        return [offset, flag](const ShareBlock& block) { return block.Set(offset, flag), 0; };
    }
    if (command == "circuit")
        return
            [text](const ShareBlock& block) { return SetCircuit(block, CircuitOf(text)) ? 0 : 1; };
    if (command == "request" && std::strlen(argument) == 1 &&
        std::strchr("qrci", argument[0]) != nullptr) {
        const auto request = static_cast<unsigned char>(argument[0]);
        return [request](const ShareBlock& block) {
            return block.Set(ShareBlock::kRequest, request), 0;
        };
    }
    if (command == "family") {
        static const char* const kNames[] = {"cir", "ckt", "err", "out", "tmp"};
        static const char kRequests[] = "tkeox";
        for (int i = 0; i < 5; ++i)
            if (std::strcmp(argument, kNames[i]) == 0) {
                const auto request = static_cast<unsigned char>(kRequests[i]);
                return [request](const ShareBlock& block) {
                    return block.Set(ShareBlock::kFamilyRequest, request), 0;
                };
            }
        return {};
    }
    if (command == "watch")
        return [text](const ShareBlock& block) { return Watch(block, text); };
    if (command == "simulate")
        return [text](const ShareBlock& block) {
            Circuit circuit;
            if (!NameCircuit(block, text, circuit))
                return 1;
            return Simulate(block, circuit) ? 0 : 1;
        };
    return {};
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    // The options touch no block: they answer where none can be opened, too.
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        std::printf("%s%s", kUsage, kHelp);
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("kelvo-suite %s\n", kKelvoVersion);
        return 0;
    }
    if (argc < 2 || argc > 3)
        return Usage();
    const std::string command = argv[1];
    const char* argument = argc > 2 ? argv[2] : nullptr;
    // Scope reads the circuit's files only.
    if (command == "scope" && argument != nullptr)
        return Scope(CircuitOf(QFile::decodeName(argument))) ? 0 : 1;
    const Command run = ParseCommand(command, argument);
    if (!run)
        return Usage();
    SharedMemory memory;
    const std::string name = SuiteShareName();
    if (!memory.Open(name, ShareBlock::kSize)) {
        std::fprintf(stderr, "kelvo-suite: cannot open the shared block %s: %s\n", name.c_str(),
                     std::strerror(errno));
        return 1;
    }
    return run(ShareBlock(memory.Data()));
}
