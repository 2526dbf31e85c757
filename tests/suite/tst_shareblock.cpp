#include <QtTest>

#include <atomic>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "ShareBlock.h"
#include "SharedMemory.h"
#include "SuiteTestKit.h"

using namespace std::chrono_literals;

namespace {

// A process that has ended but that no one has waited for yet: it keeps its id meanwhile.
pid_t UnreapedProcess() {
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    while (ShareBlock::Process(std::uint32_t(child)).state != 'Z')
        std::this_thread::sleep_for(1ms);
    return child;
}

// A block name of the test's own, removed when the test ends.
struct ScratchName {
    std::string name = "/kelvo-test-shareblock-" + std::to_string(::getpid());
    ScratchName() { SharedMemory::Unlink(name); }
    ~ScratchName() { SharedMemory::Unlink(name); }
    std::string Path() const { return "/dev/shm" + name; }
    // Cuts the object to `size` bytes, as another program that may write it can.
    void CutTo(off_t size) const {
        const int fd = ::shm_open(name.c_str(), O_RDWR, 0);
        QVERIFY(fd >= 0);
        QCOMPARE(::ftruncate(fd, size), 0);
        ::close(fd);
    }
};

} // namespace

// The block's bytes as both sides read and write them.
class ShareBlockTest : public QObject {
    Q_OBJECT
    std::vector<unsigned char> bytes;

    ShareBlock Block() { return ShareBlock(bytes.data()); }

private slots:
    void init() { bytes.assign(ShareBlock::kSize, 0); }

    // Text fields end at their NUL or at their size, whichever comes first: a writer that
    // leaves no NUL never makes the editor read the next field or past the block's end.
    void textFieldsStopAtTheirSize_data() {
        QTest::addColumn<int>("offset");
        QTest::addColumn<int>("size");
        QTest::newRow("circuitName")
            << int(ShareBlock::kCircuitName) << int(ShareBlock::kCircuitNameSize);
        QTest::newRow("circuitDirectory to the block's end")
            << int(ShareBlock::kCircuitDirectory) << int(ShareBlock::kCircuitDirectorySize);
        QTest::newRow("handOff") << int(ShareBlock::kHandOff) << int(ShareBlock::kHandOffSize);
    }
    void textFieldsStopAtTheirSize() {
        QFETCH(int, offset);
        QFETCH(int, size);
        std::fill(bytes.begin(), bytes.end(), 'a');
        QCOMPARE(Block().Text(offset, size), QByteArray(size, 'a'));
        bytes[offset + 3] = 0;
        QCOMPARE(Block().Text(offset, size), QByteArray("aaa"));
    }

    void circuitDirectoryRunsToTheBlocksEnd() {
        QCOMPARE(ShareBlock::kCircuitDirectory + ShareBlock::kCircuitDirectorySize,
                 ShareBlock::kSize);
    }

    void setTextCutsToTheFieldWithItsNul() {
        std::fill(bytes.begin(), bytes.end(), 'z');
        Block().SetText(ShareBlock::kCircuitName, ShareBlock::kCircuitNameSize,
                        QByteArray(100, 'n'));
        QCOMPARE(Block().CircuitName(), QByteArray(39, 'n'));
        QCOMPARE(bytes[ShareBlock::kCircuitDirectory], 'z'); // the next field is untouched
    }

    void processIdIsLittleEndianAt64() {
        Block().SetEditorPid(0x04030201);
        QCOMPARE(bytes[64], 1);
        QCOMPARE(bytes[65], 2);
        QCOMPARE(bytes[66], 3);
        QCOMPARE(bytes[67], 4);
        QCOMPARE(Block().EditorPid(), std::uint32_t(0x04030201));
    }

    void registrationAndReleaseBytes() {
        Block().Register(std::uint32_t(::getpid()));
        QCOMPARE(bytes[ShareBlock::kEditorFlags], 1);
        QCOMPARE(bytes[ShareBlock::kEditorId], 4);
        QVERIFY(Block().HeldByLiveEditor());
        bytes[ShareBlock::kEditState] = ShareBlock::kLeftUnsaved;
        bytes[ShareBlock::kRequestBusy] = 1;
        Block().Release();
        QCOMPARE(bytes[ShareBlock::kEditorFlags], 0);
        QCOMPARE(bytes[ShareBlock::kEditState], 0);
        QCOMPARE(bytes[ShareBlock::kRequestBusy], 0);
        QVERIFY(!Block().HeldByLiveEditor());
    }

    // A block left by an editor that ended without releasing it is free, and the quit and
    // close requests meant for that editor do not reach the new one.
    void staleBlockIsTakenOver_data() {
        QTest::addColumn<char>("request");
        QTest::addColumn<char>("kept");
        QTest::newRow("quit") << 'q' << '\0';
        QTest::newRow("close") << 'c' << '\0';
        QTest::newRow("open circuit") << 'i' << 'i';
        QTest::newRow("come forward") << 'r' << 'r';
    }
    void staleBlockIsTakenOver() {
        QFETCH(char, request);
        QFETCH(char, kept);
        Block().SetEditorPid(EndedProcess());
        bytes[ShareBlock::kEditorFlags] = 3;
        bytes[ShareBlock::kRequest] = request;
        bytes[ShareBlock::kFamilyRequest] = 'o';
        QVERIFY(!Block().HeldByLiveEditor());
        Block().Register(std::uint32_t(::getpid()));
        QCOMPARE(char(bytes[ShareBlock::kRequest]), kept);
        QCOMPARE(bytes[ShareBlock::kFamilyRequest], 'o');
        QCOMPARE(Block().EditorPid(), std::uint32_t(::getpid()));
    }

    // Flags set with no editor stamped beside them (a suite program's own writing, say).
    void flagsWithoutAStampAreNoEditor() {
        bytes[ShareBlock::kEditorFlags] = 1;
        QVERIFY(!Block().HeldByLiveEditor());
        Block().SetEditorPid(0xffffffffu); // would be the group -1 to kill()
        QVERIFY(!Block().HeldByLiveEditor());
    }

    void handOffRoundTrips() {
        const QByteArray line = "kelvo /home/ann/sim/amp.cir";
        QCOMPARE(Block().WriteHandOff(line), ShareBlock::HandOffResult::Written);
        QVERIFY(Block().HandOffPending());
        QCOMPARE(Block().HandOff(), line);
        Block().ClearHandOff();
        QVERIFY(!Block().HandOffPending());
    }

    void handOffOf256BytesIsRefused_data() {
        QTest::addColumn<int>("length");
        QTest::addColumn<bool>("written");
        QTest::newRow("255") << 255 << true;
        QTest::newRow("256") << 256 << false;
        QTest::newRow("1000") << 1000 << false;
    }
    void handOffOf256BytesIsRefused() {
        QFETCH(int, length);
        QFETCH(bool, written);
        const ShareBlock::HandOffResult result = Block().WriteHandOff(QByteArray(length, 'k'));
        QCOMPARE(result == ShareBlock::HandOffResult::Written, written);
        QCOMPARE(Block().HandOffPending(), written);
        QCOMPARE(Block().HandOff().size(), written ? length : 0);
    }

    // An earlier hand-off not yet taken is never overwritten: the later start waits, and
    // gives up when the running editor takes nothing.
    void handOffWaitsForTheEarlierOne() {
        Block().Register(std::uint32_t(::getpid()));
        QCOMPARE(Block().WriteHandOff("kelvo /a.cir"), ShareBlock::HandOffResult::Written);
        QCOMPARE(Block().WriteHandOff("kelvo /b.cir", 50ms), ShareBlock::HandOffResult::Busy);
        QCOMPARE(Block().HandOff(), QByteArray("kelvo /a.cir"));

        std::atomic<bool> cleared = false;
        std::thread editor([&] {
            std::this_thread::sleep_for(30ms);
            cleared = true;
            Block().ClearHandOff();
        });
        const auto result = Block().WriteHandOff("kelvo /b.cir", 5s);
        editor.join();
        QVERIFY(cleared);
        QCOMPARE(result, ShareBlock::HandOffResult::Written);
        QCOMPARE(Block().HandOff(), QByteArray("kelvo /b.cir"));
    }

    // No editor takes a hand-off from a block that none holds: a start does not wait for it.
    void handOffIsNotAwaitedWithoutAnEditor() {
        Block().SetEditorPid(EndedProcess());
        bytes[ShareBlock::kEditorFlags] = 3;
        QCOMPARE(Block().WriteHandOff("kelvo /a.cir"), ShareBlock::HandOffResult::Written);
        const auto before = std::chrono::steady_clock::now();
        QVERIFY(!Block().WaitForHandOffTaken(5s));
        QCOMPARE(Block().WriteHandOff("kelvo /b.cir", 5s), ShareBlock::HandOffResult::Busy);
        QVERIFY(std::chrono::steady_clock::now() - before < 2s);
    }

    // Only the process that registered holds the block: its start time, stamped beside its
    // id, tells it from a process that got the id after it ended. One that has ended holds
    // nothing, even before its parent has waited for it.
    void heldOnlyByTheProcessThatRegistered_data() {
        QTest::addColumn<bool>("ended");
        QTest::addColumn<int>("startShift"); // added to the stamped start time
        QTest::addColumn<bool>("unstamped");
        QTest::addColumn<bool>("held");
        QTest::newRow("this process") << false << 0 << false << true;
        QTest::newRow("id reused: another start time") << false << 1 << false << false;
        QTest::newRow("stamped before start times were") << false << 0 << true << true;
        QTest::newRow("ended, not yet waited for") << true << 0 << false << false;
    }
    void heldOnlyByTheProcessThatRegistered() {
        QFETCH(bool, ended);
        QFETCH(int, startShift);
        QFETCH(bool, unstamped);
        QFETCH(bool, held);
        const pid_t holder = ended ? UnreapedProcess() : ::getpid();
        Block().Register(std::uint32_t(holder));
        QVERIFY(Block().EditorStart() != 0);
        Block().SetEditorStart(unstamped ? 0 : Block().EditorStart() + startShift);
        QCOMPARE(Block().HeldByLiveEditor(), held);
        QCOMPARE(bytes[68] | bytes[69] << 8, int(Block().EditorStart() & 0xffff));
        if (ended)
            ::waitpid(holder, nullptr, 0);
    }

    // The process's name may hold spaces and parentheses: the fields after it are counted
    // from its last ')'.
    void processInfoReadsPastAnyName() {
        int ready[2];
        QCOMPARE(::pipe(ready), 0);
        const pid_t child = ::fork();
        if (child == 0) {
            ::prctl(PR_SET_NAME, "a) b (c 1 2");
            ::write(ready[1], "x", 1);
            ::pause();
            ::_exit(0);
        }
        char byte;
        QCOMPARE(::read(ready[0], &byte, 1), ssize_t(1));
        const ShareBlock::ProcessInfo child_ = ShareBlock::Process(std::uint32_t(child));
        const ShareBlock::ProcessInfo own = ShareBlock::Process(std::uint32_t(::getpid()));
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        ::close(ready[0]);
        ::close(ready[1]);
        QCOMPARE(child_.program, QByteArray("a) b (c 1 2"));
        QVERIFY(child_.state == 'S' || child_.state == 'R');
        QVERIFY(child_.started >= own.started); // a child starts after its parent
        QCOMPARE(own.program, QByteArray("tst_shareblock"));
    }

    // A block that another user made, or that others may write, or a link in its place, is
    // refused: whoever may write the block can make the editor open files or quit.
    void blocksOthersCouldControlAreRefused_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("owner"); // -1: this user
        QTest::addColumn<bool>("link");
        QTest::addColumn<QString>("refusal"); // empty: opened
        QTest::newRow("this user's, 0600") << 0600 << -1 << false << "";
        QTest::newRow("this user's, others may read") << 0644 << -1 << false << "";
        QTest::newRow("anyone may write") << 0666 << -1 << false << "other users may write it";
        QTest::newRow("group may write") << 0620 << -1 << false << "other users may write it";
        QTest::newRow("others may write") << 0602 << -1 << false << "other users may write it";
        QTest::newRow("another user's, 0600")
            << 0600 << 65534 << false << "it belongs to another user";
        QTest::newRow("another user's, 0666")
            << 0666 << 65534 << false << "it belongs to another user";
        QTest::newRow("a link to a file of this user's")
            << 0600 << -1 << true << "it is a symbolic link";
    }
    void blocksOthersCouldControlAreRefused() {
        QFETCH(int, mode);
        QFETCH(int, owner);
        QFETCH(bool, link);
        QFETCH(QString, refusal);
        const ScratchName scratch;
        QTemporaryDir folder;
        const std::string target = folder.filePath("precious").toStdString();
        if (link) {
            QFile precious(QString::fromStdString(target));
            QVERIFY(precious.open(QIODevice::WriteOnly));
            precious.write("keep");
            precious.close();
            QCOMPARE(::symlink(target.c_str(), scratch.Path().c_str()), 0);
        } else {
            const int fd = ::shm_open(scratch.name.c_str(), O_RDWR | O_CREAT | O_EXCL, 0600);
            QVERIFY(fd >= 0);
            QCOMPARE(::ftruncate(fd, off_t(ShareBlock::kSize)), 0);
            QCOMPARE(::fchmod(fd, mode_t(mode)), 0);
            if (owner >= 0 && ::fchown(fd, uid_t(owner), gid_t(owner)) != 0) {
                ::close(fd);
                QSKIP("changing an object's owner needs root");
            }
            ::close(fd);
        }
        SharedMemory memory;
        QCOMPARE(memory.Open(scratch.name, ShareBlock::kSize), refusal.isEmpty());
        QCOMPARE(QString::fromStdString(memory.Error()), refusal);
        QCOMPARE(memory.IsOpen(), refusal.isEmpty());
        if (link) {
            QFile precious(QString::fromStdString(target));
            QVERIFY(precious.open(QIODevice::ReadOnly));
            QCOMPARE(precious.readAll(), QByteArray("keep"));
            ::unlink(scratch.Path().c_str());
        }
    }

    // A block cut short under the mapping: a touch past its new end reads zero instead of
    // ending the process, the size check sees the loss before any touch does, and nothing
    // written afterwards reaches the object.
    void blockCutShortIsLostNotFatal_data() {
        QTest::addColumn<int>("cutTo");
        QTest::addColumn<bool>("touchedFirst");
        QTest::newRow("cut to nothing, touched") << 0 << true;
        QTest::newRow("cut to nothing, checked") << 0 << false;
        QTest::newRow("cut by a few bytes, checked") << 1000 << false;
    }
    void blockCutShortIsLostNotFatal() {
        QFETCH(int, cutTo);
        QFETCH(bool, touchedFirst);
        const ScratchName scratch;
        SharedMemory memory;
        QVERIFY(memory.Open(scratch.name, ShareBlock::kSize));
        const ShareBlock block(memory.Data());
        block.Set(ShareBlock::kRequest, 'i');
        QVERIFY(!memory.Lost());
        scratch.CutTo(cutTo);
        if (touchedFirst)
            QCOMPARE(block.Get(ShareBlock::kRequest), 0);
        QVERIFY(memory.Lost());
        QCOMPARE(block.Get(ShareBlock::kRequest), 0);
        block.Set(ShareBlock::kAction, 3);
        QCOMPARE(block.Get(ShareBlock::kAction), 3); // the editor's own zero pages
        QVERIFY(memory.Lost());

        scratch.CutTo(off_t(ShareBlock::kSize));
        SharedMemory other;
        QVERIFY(other.Open(scratch.name, ShareBlock::kSize));
        QCOMPARE(ShareBlock(other.Data()).Get(ShareBlock::kAction), 0);
        QCOMPARE(ShareBlock(other.Data()).Get(ShareBlock::kRequest), cutTo > 9 ? 'i' : 0);
        memory.Close();
        QVERIFY(!memory.Lost());
    }

    // Only faults on a block are answered: any other SIGBUS ends the process as it did
    // before (with the sanitizers' report where they run).
    void otherBusFaultsStillEndTheProcess_data() {
        QTest::addColumn<bool>("sent");
        QTest::newRow("a fault on a file cut short") << false;
        QTest::newRow("a SIGBUS sent by a process") << true;
    }
    void otherBusFaultsStillEndTheProcess() {
        QFETCH(bool, sent);
        const ScratchName scratch;
        SharedMemory memory;
        QVERIFY(memory.Open(scratch.name, ShareBlock::kSize));
        QTemporaryFile file;
        QVERIFY(file.open());
        QVERIFY(file.resize(4096));
        void* mapped = ::mmap(nullptr, 4096, PROT_READ, MAP_SHARED, file.handle(), 0);
        QVERIFY(mapped != MAP_FAILED);
        QVERIFY(file.resize(0));
        const pid_t child = ::fork();
        if (child == 0) {
            const rlimit noCore{0, 0};
            ::setrlimit(RLIMIT_CORE, &noCore);
            ::dup2(::open("/dev/null", O_WRONLY), 2); // the sanitizers' report of the fault
            if (sent)
                ::kill(::getpid(), SIGBUS);
            else
                (void)*static_cast<volatile const char*>(mapped);
            ::_exit(0);
        }
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        ::munmap(mapped, 4096);
#if defined(__SANITIZE_ADDRESS__)
        QVERIFY(WIFSIGNALED(status) || (WIFEXITED(status) && WEXITSTATUS(status) != 0));
#else
        QVERIFY(WIFSIGNALED(status));
        QCOMPARE(WTERMSIG(status), SIGBUS);
#endif
    }

    // The block really shared: a second mapping of the same name sees the first one's
    // bytes, and a new block starts zero-filled and private to its user.
    void sharedMemoryIsSharedZeroFilledAndPrivate() {
        const std::string name = "/kelvo-test-shareblock-" + std::to_string(::getpid());
        SharedMemory::Unlink(name);
        SharedMemory first;
        QVERIFY(first.Open(name, ShareBlock::kSize));
        for (std::size_t i = 0; i < ShareBlock::kSize; ++i)
            QCOMPARE(first.Data()[i], 0);
        SharedMemory second;
        QVERIFY(second.Open(name, ShareBlock::kSize));
        ShareBlock(first.Data()).Set(ShareBlock::kRequest, 'i');
        QCOMPARE(ShareBlock(second.Data()).Get(ShareBlock::kRequest), 'i');
        struct stat info {};
        QCOMPARE(::stat(("/dev/shm" + name).c_str(), &info), 0);
        QCOMPARE(int(info.st_mode & 0777), 0600);
        QCOMPARE(info.st_size, off_t(ShareBlock::kSize));
        QVERIFY(SharedMemory::Unlink(name));
    }
};

// Without QtTest's crash handler: the processes that must end by SIGBUS would print its
// report first, and the handler of the block would pass their faults on to it.
int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    ShareBlockTest test;
    std::vector<char*> arguments(argv, argv + argc);
    char noCrashHandler[] = "-nocrashhandler";
    arguments.insert(arguments.begin() + 1, noCrashHandler);
    return QTest::qExec(&test, int(arguments.size()), arguments.data());
}

#include "tst_shareblock.moc"
