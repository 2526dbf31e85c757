#include <cstring>
#include <string>

#include <sys/wait.h>
#include <unistd.h>

#include <QtTest>

#include "KvMem.h"

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
