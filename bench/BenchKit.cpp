#include "BenchKit.h"

#include <algorithm>
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <unistd.h>

#include "PosixFile.h"

namespace {

int g_passed = 0;
int g_failed = 0;

// splitmix64: the same numbers on every machine.
struct Random {
    std::uint64_t state;
    std::uint64_t Next() {
        std::uint64_t z = (state += 0x9e3779b97f4a7c15ULL);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
        return z ^ (z >> 31);
    }
};

} // namespace

std::string MakeOutput(std::int64_t lines) {
    std::string out;
    out.reserve(std::size_t(lines) * 62);
    Random random{42};
    const std::int64_t markerEvery = lines / kMarkers;
    char row[160];
    int page = 1;
    std::int64_t point = 0;
    for (std::int64_t i = 0; i < lines; ++i) {
        const std::int64_t inPage = i % 60;
        int n;
        if (inPage == 0) {
            n = std::snprintf(
                row, sizeof row,
                "\f Corvane  transient analysis   temperature = 27.000 C   page %d\r\n", page++);
        } else if (inPage == 1) {
            n = std::snprintf(row, sizeof row, " index\ttime\tv(out)\tv(in)\ti(vcc)\r\n");
        } else {
            auto number = [&] {
                return double(std::int64_t(random.Next() % 2000001) - 1000000) / 1e5;
            };
            n = std::snprintf(row, sizeof row, "%" PRId64 "\t%.6e\t%.6e\t%.6e\t%.6e%s\r\n", point,
                              double(point) * 1e-8, number(), number(), number(),
                              (markerEvery > 0 && i % markerEvery == markerEvery / 2) ? "\t"
                                                                                        "MARKER_7QX"
                                                                                      : "");
            ++point;
        }
        out.append(row, std::size_t(n));
    }
    return out;
}

double Now() {
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

// The best of several runs, in milliseconds.
double Best(int runs, const std::function<void()>& body) {
    double best = 1e300;
    for (int i = 0; i < runs; ++i) {
        const double start = Now();
        body();
        best = std::min(best, Now() - start);
    }
    return best;
}

long ResidentBytes() {
    long pages = 0;
    long resident = 0;
    if (std::FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(statm);
    }
    return resident * sysconf(_SC_PAGESIZE);
}

long PeakResidentBytes() {
    long peak = 0;
    if (std::FILE* status = std::fopen("/proc/self/status", "r")) {
        char line[256];
        while (std::fgets(line, sizeof line, status) != nullptr) {
            if (std::sscanf(line, "VmHWM: %ld kB", &peak) == 1)
                break;
        }
        std::fclose(status);
    }
    return peak * 1024;
}

bool ResetPeak() {
    std::FILE* refs = std::fopen("/proc/self/clear_refs", "w");
    if (refs == nullptr)
        return false;
    const bool written = std::fputs("5", refs) >= 0;
    return std::fclose(refs) == 0 && written;
}

BenchOptions ParseOptions(int argc, char** argv) {
    BenchOptions options;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--large") == 0)
            options.large = true;
        else if (i + 1 < argc && std::strcmp(argv[i], "--dir") == 0)
            options.dir = argv[++i];
        else if (i + 1 < argc && std::strcmp(argv[i], "--lines") == 0)
            options.lines = std::atoll(argv[++i]);
        else if (i + 1 < argc && std::strcmp(argv[i], "--only") == 0)
            options.only = argv[++i];
    }
    return options;
}

void SilentDocument::ShowMessage(std::string_view text, StoreIcon) {
    std::fprintf(stderr, "message: %.*s\n", int(text.size()), text.data());
}

void WriteOutputFile(const std::string& path, std::int64_t lines) {
    const std::string data = MakeOutput(lines);
    CPosixFile file(path, CPosixFile::modeWrite);
    file.Write(data.data(), data.size());
    file.Close();
}

void Report(const char* what, double value, double reference, double target, const char* unit) {
    const double ratio = value / std::max(reference, 1e-9);
    const bool met = ratio <= target;
    (met ? g_passed : g_failed)++;
    std::printf("%-44s %10.2f %s   reference %10.2f %s   ratio %5.2f   target <= %.1f   %s\n", what,
                value, unit, reference, unit, ratio, target, met ? "met" : "MISSED");
}

int ReportTotals() {
    std::printf("%d passed, %d failed\n", g_passed, g_failed);
    return g_failed == 0 ? 0 : 1;
}
