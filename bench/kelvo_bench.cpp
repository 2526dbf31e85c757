// kelvo_bench: the text store's speed and memory on a simulator-output-sized file.
//
// It writes its own deterministic data (about 100 MB of CR LF lines of tab-separated
// numbers with page headers, a rare marker on 1,000 lines), then measures each operation
// against a reference done in the same run, and prints the ratio with its target.
//
//   kelvo_bench [--dir DIR] [--lines N]

#include <algorithm>
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include "TextStore.h"

namespace {

constexpr char kMarker[] = "MARKER_7QX";
constexpr int kMarkers = 1000;

class SilentDocument : public StoreDocument {
public:
    bool AllowEdit() override { return true; }
    void SetModifiedFlag(bool) override {}
    void ShowMessage(std::string_view text, StoreIcon) override {
        std::fprintf(stderr, "message: %.*s\n", int(text.size()), text.data());
    }
    void Beep() override {}
    void BeginWaitCursor() override {}
    void EndWaitCursor() override {}
};

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

std::unique_ptr<TextStore> Load(SilentDocument& doc, const std::string& path) {
    auto store = std::make_unique<TextStore>(&doc);
    CPosixFile file(path, CPosixFile::modeRead);
    CArchive archive(&file, CArchive::load);
    store->Serialize(archive);
    return store;
}

int g_passed = 0;
int g_failed = 0;

void Report(const char* what, double value, double reference, double target,
            const char* unit = "ms") {
    const double ratio = value / std::max(reference, 1e-9);
    const bool met = ratio <= target;
    (met ? g_passed : g_failed)++;
    std::printf("%-44s %10.2f %s   reference %10.2f %s   ratio %5.2f   target <= %.1f   %s\n", what,
                value, unit, reference, unit, ratio, target, met ? "met" : "MISSED");
}

} // namespace

int main(int argc, char** argv) {
    std::string dir = "/tmp";
    std::int64_t lines = 1'700'000;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--dir") == 0)
            dir = argv[i + 1];
        else if (std::strcmp(argv[i], "--lines") == 0)
            lines = std::atoll(argv[i + 1]);
    }
    const std::string path = dir + "/kelvo_bench_output.out";
    const std::string copyPath = dir + "/kelvo_bench_written.out";
    {
        const std::string data = MakeOutput(lines);
        CPosixFile file(path, CPosixFile::modeWrite);
        file.Write(data.data(), data.size());
        file.Close();
    }
    SilentDocument doc;

    // 6. Memory first, while the process is small: what loading adds, against the file.
    std::int64_t fileSize = 0;
    {
        const long before = ResidentBytes();
        auto store = Load(doc, path);
        const long after = ResidentBytes();
        fileSize = CPosixFile(path, CPosixFile::modeRead).GetLength();
        std::printf("file %.1f MB, %d lines, line record %zu bytes\n", double(fileSize) / 1e6,
                    store->lineCount, sizeof(LineRecord));
        std::printf("%-44s %10.1f MB   file      %10.1f MB   ratio %5.2f   target <= 1.7   %s\n",
                    "6. resident memory added by loading", double(after - before) / 1e6,
                    double(fileSize) / 1e6, double(after - before) / double(fileSize),
                    double(after - before) / double(fileSize) <= 1.7 ? "met" : "MISSED");
        (double(after - before) / double(fileSize) <= 1.7 ? g_passed : g_failed)++;
    }

    // 1. Read and split, against reading into one buffer and counting lines with memchr.
    std::int64_t counted = 0;
    const double reference = Best(5, [&] {
        CPosixFile file(path, CPosixFile::modeRead);
        const auto n = std::size_t(file.GetLength());
        char* buffer = new char[n];
        file.Read(buffer, n);
        counted = 0;
        for (const char* p = buffer;
             (p = static_cast<const char*>(std::memchr(p, '\n', std::size_t(buffer + n - p)))) !=
             nullptr;
             ++p)
            ++counted;
        delete[] buffer;
    });
    const double load = Best(5, [&] { Load(doc, path); });
    Report("1. read and split into the store", load, reference, 3);

    auto store = Load(doc, path);
    std::string raw(std::size_t(fileSize), '\0');
    CPosixFile(path, CPosixFile::modeRead).Read(raw.data(), raw.size());

    // 2. Typing at the end of the last line, against typing at the end of line 0.
    auto typing = [&](std::int32_t line) {
        return Best(20, [&] {
            TextPos at{line, store->LineAt(line)->length};
            for (int i = 0; i < 1000; ++i)
                at = store->Edit(at, kInsertChar, "x");
            store->ClearHistory();
        });
    };
    const double typedAtStart = typing(0);
    const double typedAtEnd = typing(store->lineCount - 1);
    Report("2. 1,000 InsertChar at the end of the file", typedAtEnd * 1000, typedAtStart * 1000, 2,
           "us");

    // 3. LineAt over 1,000 consecutive indexes near the end, against near the start.
    auto walking = [&](std::int32_t from) {
        return Best(20, [&] {
            std::int64_t sum = 0;
            for (std::int32_t i = from; i < from + 1000; ++i)
                sum += store->LineAt(i)->length;
            if (sum < 0)
                std::puts("");
        });
    };
    (void)store->LineAt(0);
    const double walkStart = walking(1000);
    (void)store->LineAt(0);
    const double walkEnd = walking(store->lineCount - 2000);
    Report("3. LineAt of 1,000 indexes near the end", walkEnd * 1000, walkStart * 1000, 2, "us");
    // Both ends of the list are near by; the middle is near only to the line last reached.
    (void)store->LineAt(0);
    const double walkMiddle = walking(store->lineCount / 2);
    Report("3b. LineAt of 1,000 indexes in the middle", walkMiddle * 1000, walkStart * 1000, 2,
           "us");

    // 4. Find each marker in turn through the whole file, against memmem over the bytes.
    int found = 0;
    const double find = Best(3, [&] {
        TextPos start{0, 0};
        TextPos end{};
        FindRequest request{kMarker, 1, 0, &start, &end};
        found = 0;
        while (store->FindForward(request)) {
            ++found;
            start = end;
        }
    });
    int foundRaw = 0;
    const double findRaw = Best(3, [&] {
        const char* p = raw.data();
        const char* stop = raw.data() + raw.size();
        foundRaw = 0;
        while ((p = static_cast<const char*>(
                    memmem(p, std::size_t(stop - p), kMarker, std::strlen(kMarker)))) != nullptr) {
            ++foundRaw;
            p += std::strlen(kMarker);
        }
    });
    if (found != kMarkers || foundRaw != kMarkers)
        std::printf("markers found: %d in the store, %d in the bytes (expected %d)\n", found,
                    foundRaw, kMarkers);
    Report("4. FindForward of 1,000 markers in turn", find, findRaw, 3);

    // 5. Writing the whole store, against writing the bytes with one write.
    const double write = Best(3, [&] {
        CPosixFile file(copyPath, CPosixFile::modeWrite);
        CArchive archive(&file, CArchive::store);
        store->WriteText(archive);
        archive.Close();
        file.Close();
    });
    const double writeRaw = Best(3, [&] {
        const int fd = ::open(copyPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (::write(fd, raw.data(), raw.size()) != ssize_t(raw.size()))
            std::puts("short write");
        ::close(fd);
    });
    Report("5. WriteText of the whole store", write, writeRaw, 3);

    std::remove(path.c_str());
    std::remove(copyPath.c_str());
    std::printf("%d passed, %d failed\n", g_passed, g_failed);
    return g_failed == 0 ? 0 : 1;
}
