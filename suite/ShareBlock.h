#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>

#include <QByteArray>

// The suite's shared block: 1032 bytes that the editor and the suite's other programs
// read and write without any lock, each side whole bytes at a time. Every byte is read and
// written as one atomic access, since another process changes it at any moment, and a text
// field is read within its own size whether or not the writer ended it with a NUL.
class ShareBlock {
public:
    static constexpr std::size_t kSize = 1032;

    // Offsets of the fields; single bytes unless a size is given.
    enum Offset : std::size_t {
        kEditorFlags = 8,
        kRequest = 9,
        kEditState = 10,
        kFamilyRequest = 12,
        kEditorId = 22,
        kSuiteReady = 24,
        kSimulatorRunning = 48,
        kRequestBusy = 54,
        kAction = 60,
        kEditorPid = 64,   // 4 bytes, little-endian: the registered editor's process
        kEditorStart = 68, // 8 bytes, little-endian: when that process started
        kHandOff = 88,     // kHandOffSize bytes: a second start's command line
        kCircuitName = 718,
        kCircuitDirectory = 758,
    };
    static constexpr std::size_t kEditorPidSize = 4;
    static constexpr std::size_t kEditorStartSize = 8;
    static constexpr std::size_t kHandOffSize = 256;
    static constexpr std::size_t kCircuitNameSize = 40;
    static constexpr std::size_t kCircuitDirectorySize = kSize - kCircuitDirectory;

    // The values of editState.
    enum EditState : unsigned char {
        kClean = 0,
        kModified = 1,
        kAskingToSave = 2,
        kSaveCancelled = 3,
        kLeftUnsaved = 4,
    };
    static constexpr unsigned char kEditorIdValue = 4;
    // Bit value OR-ed into editorFlags at the end of every idle pass.
    static constexpr unsigned char kPolledFlag = 2;
    // action: 2 asks the editor to come to the front; the others are the editor's requests.
    enum Action : unsigned char {
        kActionOrvas = 1,
        kActionRaise = 2,
        kActionSimulate = 3,
        kActionScope = 4,
        kActionSchematic = 5,
    };

    // Over kSize bytes that stay valid as long as this object is used.
    explicit ShareBlock(unsigned char* bytes) : m_bytes(bytes) {}

    [[nodiscard]] unsigned char Get(std::size_t offset) const;
    void Set(std::size_t offset, unsigned char value) const;

    // The bytes of a text field up to its first NUL, never past `size`.
    [[nodiscard]] QByteArray Text(std::size_t offset, std::size_t size) const;
    // Writes the text cut to size - 1 bytes, with its NUL.
    void SetText(std::size_t offset, std::size_t size, const QByteArray& text) const;

    [[nodiscard]] std::uint32_t EditorPid() const;
    void SetEditorPid(std::uint32_t pid) const;
    // The start time stamped beside the process id; 0 when none was.
    [[nodiscard]] std::uint64_t EditorStart() const;
    void SetEditorStart(std::uint64_t start) const;

    // The suite's circuit: its directory (ending in "/") and base name.
    [[nodiscard]] QByteArray CircuitDirectory() const {
        return Text(kCircuitDirectory, kCircuitDirectorySize);
    }
    [[nodiscard]] QByteArray CircuitName() const { return Text(kCircuitName, kCircuitNameSize); }

    // --- The editor's registration.
    // Whether an editor holds the block: editorFlags is set and its process still runs. A
    // block whose editor ended without releasing it is free, even when another process has
    // got its id since: that one started at another time than the one stamped.
    [[nodiscard]] bool HeldByLiveEditor() const;
    // Registers the process `pid`: stamps it and its start time, then sets editorFlags and
    // editorId. When the block was left by an editor that is gone, the quit and close
    // requests meant for that one are cleared; the others wait for this one.
    void Register(std::uint32_t pid) const;
    // Clears the editor's bytes: editState, requestBusy, editorFlags and the stamp.
    void Release() const;

    // --- A second start's command line.
    enum class HandOffResult { Written, TooLong, Busy };
    // Writes the line from byte kHandOff + 1 on, with its NUL, and byte kHandOff last, so
    // that the running editor never reads half of it. While an earlier hand-off is still
    // waiting to be taken, waits as WaitForHandOffTaken does. A line of kHandOffSize bytes or
    // more (or none at all) is not written.
    HandOffResult WriteHandOff(const QByteArray& line,
                               std::chrono::milliseconds patience = std::chrono::seconds(2)) const;
    // Waits up to `patience` for the hand-off to be taken: true once byte kHandOff is 0;
    // false at once when no editor holds the block (any more), since none will take it.
    [[nodiscard]] bool WaitForHandOffTaken(std::chrono::milliseconds patience) const;
    [[nodiscard]] bool HandOffPending() const { return Get(kHandOff) != 0; }
    [[nodiscard]] QByteArray HandOff() const { return Text(kHandOff, kHandOffSize); }
    void ClearHandOff() const { Set(kHandOff, 0); }

    // Whether the process runs (or exists and belongs to someone else); one that has ended
    // but was not yet waited for does not.
    static bool ProcessAlive(std::uint32_t pid);
    // What tells a process from a later one that got the same id, as the system reports it:
    // its state letter, when it started (clock ticks since the system started) and its
    // program's name (cut to 15 bytes). Zero and empty where it cannot be read.
    struct ProcessInfo {
        char state = 0;
        std::uint64_t started = 0;
        QByteArray program;
    };
    static ProcessInfo Process(std::uint32_t pid);

private:
    [[nodiscard]] std::uint64_t Number(std::size_t offset, std::size_t size) const;
    void SetNumber(std::size_t offset, std::size_t size, std::uint64_t value) const;

    unsigned char* m_bytes;
};
