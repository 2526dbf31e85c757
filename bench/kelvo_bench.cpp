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
#include <memory>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include "BenchKit.h"
#include "PosixFile.h"
#include "TextStore.h"

namespace {

std::unique_ptr<TextStore> Load(SilentDocument& doc, const std::string& path) {
    auto store = std::make_unique<TextStore>(&doc);
    CPosixFile file(path, CPosixFile::modeRead);
    CArchive archive(&file, CArchive::load);
    store->Serialize(archive);
    return store;
}

} // namespace

int main(int argc, char** argv) {
    const BenchOptions options = ParseOptions(argc, argv);
    const std::string& dir = options.dir;
    const std::int64_t lines = options.lines;
    const std::string path = dir + "/kelvo_bench_output.out";
    const std::string copyPath = dir + "/kelvo_bench_written.out";
    WriteOutputFile(path, lines);
    SilentDocument doc;

    // 6. Memory first, while the process is small: what loading adds, against the file.
    std::int64_t fileSize = 0;
    {
        const long before = ResidentBytes();
        auto store = Load(doc, path);
        const long after = ResidentBytes();
        fileSize = CPosixFile(path, CPosixFile::modeRead).GetLength();
        std::printf("file %.1f MB, %d lines, line record %zu bytes\n", double(fileSize) / 1e6,
                    store->LineCount(), sizeof(LineRecord));
        Report("6. resident memory added by loading", double(after - before) / 1e6,
               double(fileSize) / 1e6, 1.7, "MB");
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
    const double typedAtEnd = typing(store->LineCount() - 1);
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
    const double walkEnd = walking(store->LineCount() - 2000);
    Report("3. LineAt of 1,000 indexes near the end", walkEnd * 1000, walkStart * 1000, 2, "us");
    // Both ends of the list are near by; the middle is near only to the line last reached.
    (void)store->LineAt(0);
    const double walkMiddle = walking(store->LineCount() / 2);
    Report("3b. LineAt of 1,000 indexes in the middle", walkMiddle * 1000, walkStart * 1000, 2,
           "us");

    // 3c. Pasting at the end of a line in the middle of the file, the caret after each paste
    // where the next one goes: 1,000 four-line pastes (each links three lines), against the
    // same pastes at the end of the last line, where the caret's line is always the last.
    // Every paste starts with a LineAt of the caret's line, so in the middle it stays cheap
    // only while the store remembers where the last edit was; else each paste walks half
    // the file.
    auto pasting = [&](std::int32_t line) {
        // Reaching the first caret's line is not part of the pastes.
        TextPos at{line, store->LineAt(line)->length};
        const double start = Now();
        for (int i = 0; i < 1000; ++i)
            at = store->Edit(at, kInsertText,
                             "R12 out 0 4.7k\r\nC3 out 0 10n\r\nV1 in 0 DC 5\r\nR13 in out 1k");
        store->ClearHistory();
        return Now() - start;
    };
    // Taken in turns, so that both meet the allocator and the machine in the same state.
    double inTheMiddle = 1e300;
    double atTheEnd = 1e300;
    for (int round = 0; round < 10; ++round) {
        inTheMiddle = std::min(inTheMiddle, pasting(store->LineCount() / 2));
        atTheEnd = std::min(atTheEnd, pasting(store->LineCount() - 1));
    }
    Report("3c. 1,000 four-line pastes in the middle", inTheMiddle * 1000, atTheEnd * 1000, 2,
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
    return ReportTotals();
}
