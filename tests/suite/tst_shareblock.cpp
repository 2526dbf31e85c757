#include <QtTest>

#include <atomic>
#include <thread>
#include <vector>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "ShareBlock.h"
#include "SharedMemory.h"

using namespace std::chrono_literals;

namespace {

// The process id of a process that has ended and been reaped: no process has it now.
std::uint32_t EndedProcess() {
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    ::waitpid(child, nullptr, 0);
    return std::uint32_t(child);
}

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

QTEST_MAIN(ShareBlockTest)
#include "tst_shareblock.moc"
