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
        kEditorPid = 64, // 4 bytes, little-endian: the registered editor's process
        kHandOff = 88,   // kHandOffSize bytes: a second start's command line
        kCircuitName = 718,
        kCircuitDirectory = 758,
    };
    static constexpr std::size_t kEditorPidSize = 4;
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

    // The suite's circuit: its directory (ending in "/") and base name.
    [[nodiscard]] QByteArray CircuitDirectory() const {
        return Text(kCircuitDirectory, kCircuitDirectorySize);
    }
    [[nodiscard]] QByteArray CircuitName() const { return Text(kCircuitName, kCircuitNameSize); }

    // --- The editor's registration.
    // Whether an editor holds the block: editorFlags is set and its process still runs.
    // A block whose editor ended without releasing it is free.
    [[nodiscard]] bool HeldByLiveEditor() const;
    // Registers the process `pid`: stamps it, then sets editorFlags and editorId. When the
    // block was left by an editor that is gone, the quit and close requests meant for that
    // one are cleared; the others wait for this one.
    void Register(std::uint32_t pid) const;
    // Clears the editor's bytes: editState, requestBusy, editorFlags and the stamp.
    void Release() const;

    // --- A second start's command line.
    enum class HandOffResult { Written, TooLong, Busy };
    // Writes the line from byte kHandOff + 1 on, with its NUL, and byte kHandOff last, so
    // that the running editor never reads half of it. While an earlier hand-off is still
    // waiting to be taken, waits up to `patience`. A line of kHandOffSize bytes or more (or
    // none at all) is not written.
    HandOffResult WriteHandOff(const QByteArray& line,
                               std::chrono::milliseconds patience = std::chrono::seconds(2)) const;
    [[nodiscard]] bool HandOffPending() const { return Get(kHandOff) != 0; }
    [[nodiscard]] QByteArray HandOff() const { return Text(kHandOff, kHandOffSize); }
    void ClearHandOff() const { Set(kHandOff, 0); }

    // Whether the process runs (or exists and belongs to someone else).
    static bool ProcessAlive(std::uint32_t pid);

private:
    unsigned char* m_bytes;
};
