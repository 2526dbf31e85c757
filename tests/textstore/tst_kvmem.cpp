#include <cstdint>
#include <cstring>
#include <random>
#include <set>
#include <string>

#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QtTest>

#include "HugeRegion.h"
#include "KvMem.h"
#include "LinePool.h"

namespace {
bool g_inChild = false;
}

// The sanitizers' leak check would see the parent's live blocks as leaks when a forked
// child ends through exit(); it is the child's exit code and diagnosis that count here.
extern "C" int __lsan_is_turned_off() {
    return g_inChild ? 1 : 0;
}

namespace {

bool AllZero(const void* block, std::size_t from, std::size_t to) {
    const auto* bytes = static_cast<const unsigned char*>(block);
    for (std::size_t i = from; i < to; ++i)
        if (bytes[i] != 0)
            return false;
    return true;
}

struct ChildResult {
    int exitCode = -1000;
    std::string stderrText;
};

// Runs `body` in a child process and collects its exit code and standard error.
template <class Body> ChildResult RunInChild(Body body) {
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0)
        return {};
    const pid_t pid = fork();
    if (pid == 0) {
        g_inChild = true;
        dup2(pipeEnds[1], STDERR_FILENO);
        close(pipeEnds[0]);
        body();
        _exit(0);
    }
    close(pipeEnds[1]);
    ChildResult result;
    char chunk[512];
    ssize_t got;
    while ((got = read(pipeEnds[0], chunk, sizeof chunk)) > 0)
        result.stderrText.append(chunk, std::size_t(got));
    close(pipeEnds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (WIFEXITED(status))
        result.exitCode = WEXITSTATUS(status);
    return result;
}

constexpr std::size_t kImpossible = std::size_t(1) << 60;
constexpr std::size_t kMiB = std::size_t(1) << 20;

bool HugeAligned(const void* block) {
    return reinterpret_cast<std::uintptr_t>(block) % kHugePageSize == 0;
}

// Fills a block with bytes that depend on the place and a seed, so a moved or overwritten
// byte shows.
void Fill(void* block, std::size_t size, unsigned seed) {
    auto* bytes = static_cast<unsigned char*>(block);
    for (std::size_t i = 0; i < size; i += 4093)
        bytes[i] = static_cast<unsigned char>(i * 31 + seed) | 1;
}

bool Filled(const void* block, std::size_t size, unsigned seed) {
    const auto* bytes = static_cast<const unsigned char*>(block);
    for (std::size_t i = 0; i < size; i += 4093)
        if (bytes[i] != (static_cast<unsigned char>(i * 31 + seed) | 1))
            return false;
    return true;
}

} // namespace

class KvMemTest : public QObject {
    Q_OBJECT
private slots:
    void newAndGrownBytesAreZero() {
        QCOMPARE(kvmem_malloc(0), nullptr);
        auto* block = static_cast<char*>(kvmem_malloc(20));
        QVERIFY(block != nullptr);
        QVERIFY(AllZero(block, 0, 20));
        QCOMPARE(kvmem_size(block), std::size_t(20));
        std::memcpy(block, "abc", 3);
        block = static_cast<char*>(kvmem_realloc(block, 40));
        QCOMPARE(std::string(block, 3), std::string("abc"));
        QVERIFY(AllZero(block, 3, 40));
        // Shrinking and growing again must not bring old bytes back.
        block = static_cast<char*>(kvmem_realloc(block, 2));
        block = static_cast<char*>(kvmem_realloc(block, 10));
        QCOMPARE(std::string(block, 2), std::string("ab"));
        QVERIFY(AllZero(block, 2, 10));
        kvmem_free(&block);
        QCOMPARE(block, nullptr);
    }

    void reallocOfNullAllocates() {
        void* block = kvmem_realloc(nullptr, 8);
        QVERIFY(block != nullptr);
        QVERIFY(AllZero(block, 0, 8));
        kvmem_release(block);
    }

    void callocZeroesCountTimesSize() {
        QCOMPARE(kvmem_calloc(0, sizeof(int)), nullptr);
        QCOMPARE(kvmem_calloc(5, 0), nullptr);
        auto* block = static_cast<int*>(kvmem_calloc(5, sizeof(int)));
        QCOMPARE(kvmem_size(block), 5 * sizeof(int));
        QVERIFY(AllZero(block, 0, 5 * sizeof(int)));
        kvmem_free(&block);
    }

    void freeThroughEmptyHoldersDoesNothing() {
        void* empty = nullptr;
        kvmem_free(&empty);
        kvmem_free(static_cast<void**>(nullptr));
        QCOMPARE(empty, nullptr);
    }

    void regionsAreAlignedZeroedAndKeepBytesWhenResized_data() {
        QTest::addColumn<std::size_t>("size");
        QTest::addColumn<std::size_t>("span");
        QTest::addColumn<std::size_t>("resized");
        QTest::addColumn<bool>("blockAfter"); // the addresses after the region are taken
        QTest::newRow("one byte") << std::size_t(1) << 2 * kMiB << 3 * kMiB << false;
        QTest::newRow("a page short") << 2 * kMiB - 4096 << 2 * kMiB << 2 * kMiB << false;
        QTest::newRow("one huge page") << 2 * kMiB << 2 * kMiB << 6 * kMiB << true;
        QTest::newRow("a byte more") << 2 * kMiB + 1 << 4 * kMiB << 1 * kMiB << false;
        QTest::newRow("several") << 9 * kMiB + 3 << 10 * kMiB << 17 * kMiB << false;
        QTest::newRow("moved") << 5 * kMiB << 6 * kMiB << 11 * kMiB << true;
    }
    void regionsAreAlignedZeroedAndKeepBytesWhenResized() {
        QFETCH(std::size_t, size);
        QFETCH(std::size_t, span);
        QFETCH(std::size_t, resized);
        QFETCH(bool, blockAfter);
        QCOMPARE(RegionSpan(size), span);
        void* region = RegionAllocate(size);
        QVERIFY(region != nullptr);
        QVERIFY(HugeAligned(region));
        QVERIFY(AllZero(region, 0, span));
        Fill(region, size, 7);
        void* fence = MAP_FAILED; // when it cannot be placed, something else holds the place
        if (blockAfter)
            fence = mmap(static_cast<char*>(region) + span, 4096, PROT_READ,
                         MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED_NOREPLACE, -1, 0);
        void* grown = RegionResize(region, size, resized);
        QVERIFY(grown != nullptr);
        QVERIFY(HugeAligned(grown));
        if (blockAfter && RegionSpan(resized) > span)
            QVERIFY(grown != region);
        QVERIFY(Filled(grown, std::min(size, resized), 7));
        if (resized > span)
            QVERIFY(AllZero(grown, span, RegionSpan(resized)));
        if (fence != MAP_FAILED)
            munmap(fence, 4096);
        RegionFree(grown, resized);
    }

    void impossibleRegionsAndBuffersAreRefusedNotFatal() {
        QCOMPARE(RegionSpan(0), std::size_t(0));
        QCOMPARE(RegionAllocate(0), nullptr);
        QCOMPARE(RegionAllocate(kImpossible), nullptr);
        void* region = RegionAllocate(kMiB);
        QCOMPARE(RegionResize(region, kMiB, kImpossible), nullptr);
        QVERIFY(AllZero(region, 0, kMiB)); // left as it was
        RegionFree(region, kMiB);
        QCOMPARE(BufferAllocate(kImpossible), nullptr);
        BufferFree(nullptr);
    }

    // Buffers above the threshold come from a region, with the heap as the fallback;
    // either kind holds its bytes and is given back by the one call.
    void buffersOfEverySizeHoldTheirBytes() {
        for (std::size_t size : {std::size_t(1), std::size_t(3), kMiB, kRegionThreshold - 17,
                                 kRegionThreshold, 3 * kRegionThreshold + 5}) {
            char* buffer = BufferAllocate(size);
            QVERIFY(buffer != nullptr);
            QVERIFY(reinterpret_cast<std::uintptr_t>(buffer) % alignof(std::max_align_t) == 0);
            Fill(buffer, size, unsigned(size));
            QVERIFY(Filled(buffer, size, unsigned(size)));
            BufferFree(buffer);
        }
    }

    // kvmem blocks move between the heap and regions as their size crosses the threshold;
    // against a model of the contents, every kept byte stays and every added byte is zero.
    void kvmemAcrossTheRegionThresholdMatchesModel() {
        std::mt19937 random(22);
        std::uniform_int_distribution<std::size_t> sizes(0, 3 * kRegionThreshold);
        char* block = nullptr;
        std::size_t size = 0;
        unsigned seed = 0;
        for (int step = 0; step < 40; ++step) {
            const std::size_t next = step % 5 == 4 ? size + 20 : sizes(random);
            block = static_cast<char*>(kvmem_realloc(block, next));
            QVERIFY2(Filled(block, std::min(size, next), seed), qPrintable(QString::number(step)));
            QVERIFY(AllZero(block, std::min(size, next), next));
            QCOMPARE(kvmem_size(block), next);
            size = next;
            seed = unsigned(step) + 1;
            Fill(block, size, seed);
        }
        kvmem_free(&block);
        auto* big = static_cast<char*>(kvmem_calloc(kRegionThreshold, 2));
        QVERIFY(AllZero(big, 0, 2 * kRegionThreshold));
        kvmem_free(&big);
    }

    // Once a pool has handed out its smaller blocks, each further block is one huge page.
    void linePoolHandsOutDistinctBlankRecordsFromHugePages() {
        LinePool pool;
        std::set<const LineRecord*> seen;
        std::vector<LineRecord*> records;
        const std::size_t perPage = kHugePageSize / sizeof(LineRecord);
        for (std::size_t i = 0; i < 4 * perPage; ++i) {
            LineRecord* record = pool.Allocate();
            QVERIFY(record->text == nullptr && record->length == 0 && record->next == nullptr);
            record->length = 1;
            records.push_back(record);
        }
        seen.insert(records.begin(), records.end());
        QCOMPARE(seen.size(), records.size());
        QVERIFY(HugeAligned(records[2 * perPage - 64])); // 64 + 128 + ... + perPage / 2
        QVERIFY(HugeAligned(records[3 * perPage - 64]));
        pool.Release(records[5]);
        QCOMPARE(pool.Allocate(), records[5]);
        QCOMPARE(records[5]->length, 0);
    }

    void failedAllocationDiagnosesAndExits() {
        const ChildResult malloced = RunInChild([] { kvmem_malloc(kImpossible); });
        QCOMPARE(malloced.exitCode, 255);
        // (A sanitizer build prints its own warning first.)
        QVERIFY(malloced.stderrText.find(
                    "kvmem_malloc: Heap Allocation error\n"
                    "kvmem_malloc: Internal Error: can't allocate 1152921504606846976 bytes.\n"
                    "   --> Available Physical Memory: ") != std::string::npos);
        QVERIFY(malloced.stderrText.find(" bytes   --> Available Page File: ") !=
                std::string::npos);
        QVERIFY(malloced.stderrText.ends_with(" bytes"));

        const ChildResult realloced = RunInChild([] {
            void* block = kvmem_malloc(16);
            kvmem_realloc(block, kImpossible);
        });
        QCOMPARE(realloced.exitCode, 255);
        QVERIFY(realloced.stderrText.find("kvmem_realloc: Heap Allocation error\n"
                                          "kvmem_realloc: Internal Error: can't allocate ") !=
                std::string::npos);

        const ChildResult overflow = RunInChild([] { kvmem_calloc(kImpossible, 64); });
        QCOMPARE(overflow.exitCode, 255);
    }
};

QTEST_APPLESS_MAIN(KvMemTest)
#include "tst_kvmem.moc"
