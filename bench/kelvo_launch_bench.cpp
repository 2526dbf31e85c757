// kelvo_launch_bench: the whole editor, started as a user starts it, timed from the launch
// to the painted last page of a file, against vim on the same file.
//
//   kelvo_launch_bench [--dir DIR] [--runs N] [--large] [--kelvo PATH]...
//
// A program rather than a script: the moment a page is painted is only seen without delay
// through the X server's own events (the Damage extension reports every paint of the
// window, the XTest extension types Ctrl+End the moment the window maps); a script that
// polls with screenshots waits 50 to 100 ms between looks, as long as the start-up itself.
//
// The editor runs on a virtual display of its own (Xvfb, 1280x1024), with a profile and a
// shared block of its own, so that it never hands its file to an editor the user runs.
// Its figure is the time from the launch to the first paint after which the window shows
// what it shows once it has settled (no new picture for 1.5 s; the caret's blink gives
// at most two pictures). vim runs in a pseudo-terminal of 55 rows by 160 columns, the size
// of the editor's page, with the user's defaults of a fresh account (-n: no swap file, so
// that a run killed at the end leaves nothing that would stop the next); "G" is typed as
// soon as it writes its first output, and its figure is the time until the file's last
// line has been written to the terminal. vim draws no glyphs, so the comparison favours it.
//
// Rows: start-up on a small netlist (the repository's examples/amp.cir), and the painted
// last page of generated simulator output of 10 MB and 100 MB (1 GB with --large). Each
// figure is the best of --runs runs (3). --kelvo may be given more than once (a build from
// before a change beside the one after it); the first is the one held against the targets.
// A run counts only when the window that maps names the file in its title (a message box
// instead of the editor is no start-up).
//
// Beside the editor, on the start-up row, runs qt_floor (built beside this program): a Qt
// Widgets window that shows the file's first lines and nothing else. Its figure is what Qt
// itself costs on this machine, which no Qt program starts below; the editor's own share of
// its start-up is the difference.

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

// Before Xlib, whose macros (None) would otherwise rename its names.
#include "BenchKit.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xdamage.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/mman.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr double kSettleMs = 1500;
constexpr double kGiveUpMs = 120000;
constexpr int kRows = 55;
constexpr int kColumns = 160;
constexpr char kEndLine[] = "END_OF_BENCH_FILE_7QX";

struct Options {
    std::string dir = "/tmp";
    int runs = 3;
    bool large = false;
    std::vector<std::string> kelvos;
    std::string floor;
};

Options Parse(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--large") {
            options.large = true;
        } else if (i + 1 < argc && arg == "--dir") {
            options.dir = argv[++i];
        } else if (i + 1 < argc && arg == "--runs") {
            options.runs = std::max(1, std::atoi(argv[++i]));
        } else if (i + 1 < argc && arg == "--kelvo") {
            options.kelvos.push_back(argv[++i]);
        } else {
            std::fprintf(stderr, "usage: %s [--dir DIR] [--runs N] [--large] [--kelvo PATH]...\n",
                         argv[0]);
            std::exit(2);
        }
    }
    if (options.kelvos.empty()) {
        // Beside this program in the build tree: build/bench -> build/app/kelvo.
        const auto self = std::filesystem::read_symlink("/proc/self/exe");
        options.kelvos.push_back((self.parent_path().parent_path() / "app" / "kelvo").string());
    }
    const auto self = std::filesystem::read_symlink("/proc/self/exe");
    const std::string floor = (self.parent_path() / "qt_floor").string();
    if (access(floor.c_str(), X_OK) == 0)
        options.floor = floor;
    return options;
}

bool OnPath(const char* program) {
    const char* path = std::getenv("PATH");
    std::string list = path ? path : "";
    std::size_t at = 0;
    while (at <= list.size()) {
        const std::size_t end = std::min(list.find(':', at), list.size());
        const std::string candidate = list.substr(at, end - at) + "/" + program;
        if (access(candidate.c_str(), X_OK) == 0)
            return true;
        at = end + 1;
    }
    return false;
}

pid_t g_server = -1;

// Ended by a signal, the display server goes too.
void EndServer(int signal) {
    if (g_server > 0)
        kill(g_server, SIGTERM);
    _exit(128 + signal);
}

// A virtual display of its own: Xvfb picks a free number and says which once it accepts
// connections (the way tests/e2e/on_display.sh starts it).
class VirtualDisplay {
public:
    VirtualDisplay() {
        int ends[2];
        if (pipe(ends) != 0)
            return;
        m_server = fork();
        if (m_server == 0) {
            dup2(ends[1], 3);
            const int null = open("/dev/null", O_WRONLY);
            dup2(null, STDERR_FILENO);
            execlp("Xvfb", "Xvfb", "-displayfd", "3", "-screen", "0", "1280x1024x24", "-nolisten",
                   "tcp", "-noreset", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(ends[1]);
        g_server = m_server;
        std::signal(SIGINT, EndServer);
        std::signal(SIGTERM, EndServer);
        char number[32] = {};
        std::size_t got = 0;
        pollfd waitFor{ends[0], POLLIN, 0};
        while (got < sizeof number - 1 && poll(&waitFor, 1, 10000) > 0) {
            const ssize_t n = read(ends[0], number + got, sizeof number - 1 - got);
            if (n <= 0)
                break;
            got += std::size_t(n);
            if (std::memchr(number, '\n', got) != nullptr)
                break;
        }
        close(ends[0]);
        if (got > 0)
            m_name = ":" + std::string(number, std::strcspn(number, "\n"));
    }
    ~VirtualDisplay() {
        if (m_server > 0) {
            kill(m_server, SIGTERM);
            waitpid(m_server, nullptr, 0);
        }
    }
    const std::string& Name() const { return m_name; }

private:
    pid_t m_server = -1;
    std::string m_name;
};

std::uint64_t HashImage(XImage* image) {
    std::uint64_t hash = 1469598103934665603ULL;
    const auto* bytes = reinterpret_cast<const std::uint64_t*>(image->data);
    const std::size_t words = std::size_t(image->bytes_per_line) * image->height / 8;
    for (std::size_t i = 0; i < words; ++i)
        hash = (hash ^ bytes[i]) * 1099511628211ULL;
    return hash;
}

// A window that goes away while it is looked at is no reason to end the benchmark.
int IgnoreError(Display*, XErrorEvent*) {
    return 0;
}

struct Picture {
    double at;
    std::uint64_t hash;
};

// Starts the editor on `file` and returns the milliseconds from the launch to the first
// paint that shows the settled window; with `toEnd`, Ctrl+End is typed when the window
// maps. Negative when the editor showed nothing in time.
double TimeKelvo(Display* display, int damageEvent, const std::string& kelvo,
                 const std::string& file, const std::string& scratch, bool toEnd) {
    const Window root = DefaultRootWindow(display);
    XSelectInput(display, root, SubstructureNotifyMask);
    XSync(display, True);
    const std::string block = "/kelvo-launch-bench-" + std::to_string(getpid());
    const double start = Now();
    const pid_t editor = fork();
    if (editor == 0) {
        setenv("XDG_CONFIG_HOME", scratch.c_str(), 1);
        setenv("KELVO_SHARE_BLOCK", block.c_str(), 1);
        unsetenv("KVDIR");
        unsetenv("QT_QPA_PLATFORM");
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        dup2(null, STDERR_FILENO);
        execl(kelvo.c_str(), kelvo.c_str(), file.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    Window window = 0;
    Damage damage = 0;
    std::vector<Picture> pictures;
    std::set<std::uint64_t> seen;
    double lastNew = start;
    const int fd = ConnectionNumber(display);
    while (Now() - start < kGiveUpMs && (window == 0 || Now() - lastNew < kSettleMs)) {
        if (XPending(display) == 0) {
            pollfd ready{fd, POLLIN, 0};
            poll(&ready, 1, 50);
            if (XPending(display) == 0)
                continue;
        }
        bool painted = false;
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == MapNotify && window == 0 && !event.xmap.override_redirect &&
                event.xmap.event == root) {
                window = event.xmap.window;
                damage = XDamageCreate(display, window, XDamageReportNonEmpty);
                lastNew = Now();
                if (toEnd) {
                    XSetInputFocus(display, window, RevertToPointerRoot, CurrentTime);
                    const KeyCode control = XKeysymToKeycode(display, XK_Control_L);
                    const KeyCode end = XKeysymToKeycode(display, XK_End);
                    XTestFakeKeyEvent(display, control, True, 0);
                    XTestFakeKeyEvent(display, end, True, 0);
                    XTestFakeKeyEvent(display, end, False, 0);
                    XTestFakeKeyEvent(display, control, False, 0);
                }
                XFlush(display);
            } else if (event.type == damageEvent + XDamageNotify) {
                painted = true;
            }
        }
        if (!painted)
            continue;
        XDamageSubtract(display, damage, None, None);
        XWindowAttributes attributes;
        if (!XGetWindowAttributes(display, window, &attributes))
            break;
        XImage* image = XGetImage(display, window, 0, 0, unsigned(attributes.width),
                                  unsigned(attributes.height), AllPlanes, ZPixmap);
        if (image == nullptr)
            continue;
        const Picture picture{Now() - start, HashImage(image)};
        XDestroyImage(image);
        pictures.push_back(picture);
        if (seen.insert(picture.hash).second)
            lastNew = Now();
    }
    if (damage != 0)
        XDamageDestroy(display, damage);
    bool named = false;
    char* title = nullptr;
    if (window != 0 && XFetchName(display, window, &title) && title != nullptr) {
        named = std::strstr(title, std::filesystem::path(file).filename().c_str()) != nullptr;
        XFree(title);
    }
    kill(editor, SIGKILL);
    waitpid(editor, nullptr, 0);
    shm_unlink(block.c_str());
    XSelectInput(display, root, NoEventMask);
    XSync(display, True);
    if (!named) {
        std::fprintf(stderr, "%s showed a window that does not name %s: run not counted\n",
                     kelvo.c_str(), file.c_str());
        return -1;
    }
    if (pictures.empty())
        return -1;
    // The pictures of the last settle time are the settled window (the caret on and off).
    std::set<std::uint64_t> settled;
    const double settledFrom = pictures.back().at - kSettleMs;
    for (const Picture& picture : pictures)
        if (picture.at >= settledFrom)
            settled.insert(picture.hash);
    for (const Picture& picture : pictures)
        if (settled.count(picture.hash) != 0)
            return picture.at;
    return -1;
}

// Starts vim on `file` in a pseudo-terminal and returns the milliseconds until `last`, the
// file's last line, has been written to it (with `toEnd`, after "G" is typed at vim's first
// output). Terminal control sequences are taken out before the text is looked for.
double TimeVim(const std::string& file, const std::string& last, const std::string& scratch,
               bool toEnd) {
    winsize size{};
    size.ws_row = kRows;
    size.ws_col = kColumns;
    int terminal = -1;
    const double start = Now();
    const pid_t vim = forkpty(&terminal, nullptr, nullptr, &size);
    if (vim == 0) {
        setenv("HOME", scratch.c_str(), 1);
        setenv("TERM", "xterm-256color", 1);
        execlp("vim", "vim", "-n", file.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    if (vim < 0)
        return -1;
    std::string text; // what vim wrote, without its control sequences
    bool typed = !toEnd;
    int state = 0; // 0 text, 1 after ESC, 2 in a CSI sequence, 3 in an OSC string
    double found = -1;
    while (found < 0 && Now() - start < kGiveUpMs) {
        pollfd ready{terminal, POLLIN, 0};
        if (poll(&ready, 1, 100) <= 0)
            continue;
        char chunk[65536];
        const ssize_t got = read(terminal, chunk, sizeof chunk);
        if (got <= 0)
            break;
        if (!typed) {
            typed = write(terminal, "G", 1) == 1;
        }
        for (ssize_t i = 0; i < got; ++i) {
            const char c = chunk[i];
            switch (state) {
            case 0:
                if (c == '\x1b')
                    state = 1;
                else if (c == '\r' || c == '\n')
                    text += '\n';
                else if (static_cast<unsigned char>(c) >= ' ')
                    text += c;
                break;
            case 1:
                state = c == '[' ? 2 : c == ']' ? 3 : 0;
                break;
            case 2:
                if (c >= '@' && c <= '~')
                    state = 0;
                break;
            case 3:
                if (c == '\a' || c == '\x1b')
                    state = 0;
                break;
            }
        }
        if (text.find(last) != std::string::npos)
            found = Now() - start;
        if (text.size() > 2 * last.size() + 65536)
            text.erase(0, text.size() - last.size());
    }
    kill(vim, SIGKILL);
    waitpid(vim, nullptr, 0);
    close(terminal);
    return found;
}

// The generated file: simulator output in blocks of 1.7 million lines (about 100 MB) until
// it reaches `bytes`, ended by a line that names its end.
void WriteBigFile(const std::string& path, std::int64_t bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    std::int64_t written = 0;
    while (written < bytes) {
        const std::int64_t lines = std::min<std::int64_t>(1'700'000, (bytes - written) / 62 + 1);
        const std::string block = MakeOutput(lines);
        out.write(block.data(), std::streamsize(block.size()));
        written += std::int64_t(block.size());
    }
    out << kEndLine << "\r\n";
}

// The last word of the file's last line that holds one.
std::string LastWord(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string line;
    std::string word;
    while (std::getline(in, line)) {
        const std::size_t end = line.find_last_not_of(" \t\r");
        if (end == std::string::npos)
            continue;
        const std::size_t begin = line.find_last_of(" \t", end);
        word = line.substr(begin == std::string::npos ? 0 : begin + 1, end - begin);
    }
    return word;
}

struct Row {
    std::string what;
    std::string file;
    double target;
    bool toEnd;
};

} // namespace

int main(int argc, char** argv) {
    const Options options = Parse(argc, argv);
    for (const std::string& kelvo : options.kelvos) {
        if (access(kelvo.c_str(), X_OK) != 0) {
            std::fprintf(stderr, "no editor at %s\n", kelvo.c_str());
            return 2;
        }
    }
    if (!OnPath("Xvfb")) {
        std::fprintf(stderr, "Xvfb is not installed (tools/setup-deps.sh installs it)\n");
        return 2;
    }
    const bool withVim = OnPath("vim");
    if (!withVim)
        std::printf("vim is not installed: its column is skipped (install it to compare)\n");

    VirtualDisplay virtualDisplay;
    Display* display = virtualDisplay.Name().empty()
                           ? nullptr
                           : XOpenDisplay(virtualDisplay.Name().c_str());
    int damageEvent = 0;
    int damageError = 0;
    int xtest[4];
    if (display == nullptr || !XDamageQueryExtension(display, &damageEvent, &damageError) ||
        !XTestQueryExtension(display, &xtest[0], &xtest[1], &xtest[2], &xtest[3])) {
        std::fprintf(stderr, "no virtual display with the Damage and XTest extensions\n");
        return 2;
    }
    setenv("DISPLAY", virtualDisplay.Name().c_str(), 1);
    XSetErrorHandler(IgnoreError);

    const std::string scratch = options.dir + "/kelvo-launch-bench-" + std::to_string(getpid());
    std::filesystem::create_directories(scratch + "/profile");
    std::vector<Row> rows;
    const std::string netlist = scratch + "/amp.cir";
    std::filesystem::copy_file(KELVO_SOURCE_DIR "/examples/amp.cir", netlist);
    rows.push_back({"start-up, a small netlist", netlist, 2.0, false});
    std::vector<std::pair<const char*, std::int64_t>> sizes = {{"10 MB", 10'000'000},
                                                               {"100 MB", 100'000'000}};
    if (options.large)
        sizes.push_back({"1 GB", 1'000'000'000});
    for (const auto& [name, bytes] : sizes) {
        const std::string path = scratch + "/output-" + std::to_string(bytes) + ".out";
        WriteBigFile(path, bytes);
        rows.push_back({std::string("open to the painted last page, ") + name, path, 0.7, true});
    }

    std::printf("%-44s", "");
    for (std::size_t k = 0; k < options.kelvos.size(); ++k)
        std::printf("   kelvo %zu", k + 1);
    const bool withFloor = !options.floor.empty();
    std::printf("%s%s\n", withFloor ? "   Qt floor" : "", withVim ? "        vim" : "");
    for (std::size_t k = 0; k < options.kelvos.size(); ++k)
        std::printf("kelvo %zu: %s\n", k + 1, options.kelvos[k].c_str());
    if (!withFloor)
        std::printf("qt_floor is not built beside this program: its column is skipped\n");
    std::vector<std::vector<double>> figures;
    for (const Row& row : rows) {
        // The editors, the floor, vim.
        std::vector<double> best(options.kelvos.size() + 2, 1e300);
        const std::size_t floorAt = options.kelvos.size();
        const std::string last = row.toEnd ? kEndLine : LastWord(row.file);
        // Runs alternate between the programs, so a busy moment of the machine falls on all.
        for (int run = 0; run < options.runs; ++run) {
            for (std::size_t k = 0; k < options.kelvos.size(); ++k) {
                const double ms = TimeKelvo(display, damageEvent, options.kelvos[k], row.file,
                                            scratch + "/profile", row.toEnd);
                if (ms >= 0)
                    best[k] = std::min(best[k], ms);
            }
            if (withFloor && !row.toEnd) {
                const double ms = TimeKelvo(display, damageEvent, options.floor, row.file,
                                            scratch + "/profile", false);
                if (ms >= 0)
                    best[floorAt] = std::min(best[floorAt], ms);
            }
            if (withVim) {
                const double ms = TimeVim(row.file, last, scratch, row.toEnd);
                if (ms >= 0)
                    best.back() = std::min(best.back(), ms);
            }
        }
        std::printf("%-44s", row.what.c_str());
        for (std::size_t k = 0; k < best.size(); ++k) {
            if ((k == floorAt && !withFloor) || (k + 1 == best.size() && !withVim))
                continue;
            if (best[k] >= 1e300)
                std::printf(" %7s ms", "--");
            else
                std::printf(" %7.0f ms", best[k]);
        }
        std::printf("\n");
        std::fflush(stdout);
        figures.push_back(best);
    }
    std::printf("\n");
    if (withVim) {
        for (std::size_t r = 0; r < rows.size(); ++r) {
            for (std::size_t k = 0; k < options.kelvos.size(); ++k) {
                const std::string what =
                    rows[r].what + (options.kelvos.size() > 1 ? ", kelvo " + std::to_string(k + 1)
                                                              : std::string());
                if (k == 0)
                    Report(what.c_str(), figures[r][k], figures[r].back(), rows[r].target);
                else
                    std::printf("%-44s %10.2f ms   ratio to vim %5.2f\n", what.c_str(),
                                figures[r][k], figures[r][k] / figures[r].back());
            }
            const double floorMs = figures[r][options.kelvos.size()];
            if (withFloor && floorMs < 1e300)
                std::printf("%-44s %10.2f ms   ratio to vim %5.2f   the editor's own: %.0f ms\n",
                            (rows[r].what + ", Qt floor").c_str(), floorMs,
                            floorMs / figures[r].back(), figures[r][0] - floorMs);
        }
    }
    XCloseDisplay(display);
    std::filesystem::remove_all(scratch);
    return withVim ? ReportTotals() : 0;
}
