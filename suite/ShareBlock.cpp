#include "ShareBlock.h"

#include <atomic>
#include <cerrno>
#include <thread>

#include <signal.h>

unsigned char ShareBlock::Get(std::size_t offset) const {
    if (offset >= kSize)
        return 0;
    // Release and acquire: the command line behind byte kHandOff is complete once that
    // byte is seen.
    return std::atomic_ref<unsigned char>(m_bytes[offset]).load(std::memory_order_acquire);
}

void ShareBlock::Set(std::size_t offset, unsigned char value) const {
    if (offset < kSize)
        std::atomic_ref<unsigned char>(m_bytes[offset]).store(value, std::memory_order_release);
}

QByteArray ShareBlock::Text(std::size_t offset, std::size_t size) const {
    QByteArray text;
    for (std::size_t i = 0; i < size && offset + i < kSize; ++i) {
        const unsigned char byte = Get(offset + i);
        if (byte == 0)
            break;
        text.append(char(byte));
    }
    return text;
}

void ShareBlock::SetText(std::size_t offset, std::size_t size, const QByteArray& text) const {
    if (size == 0)
        return;
    const std::size_t length = std::min<std::size_t>(std::size_t(text.size()), size - 1);
    for (std::size_t i = 0; i < length; ++i)
        Set(offset + i, static_cast<unsigned char>(text[qsizetype(i)]));
    Set(offset + length, 0);
}

std::uint32_t ShareBlock::EditorPid() const {
    std::uint32_t pid = 0;
    for (std::size_t i = 0; i < kEditorPidSize; ++i)
        pid |= std::uint32_t(Get(kEditorPid + i)) << (8 * i);
    return pid;
}

void ShareBlock::SetEditorPid(std::uint32_t pid) const {
    for (std::size_t i = 0; i < kEditorPidSize; ++i)
        Set(kEditorPid + i, static_cast<unsigned char>(pid >> (8 * i)));
}

bool ShareBlock::ProcessAlive(std::uint32_t pid) {
    // 0 and what does not fit a pid name no process: kill() would take them as groups.
    if (pid == 0 || pid > std::uint32_t(INT32_MAX))
        return false;
    return ::kill(pid_t(pid), 0) == 0 || errno == EPERM;
}

bool ShareBlock::HeldByLiveEditor() const {
    // An editor stamps its process before it sets editorFlags: flags without a stamp were
    // not left by an editor that runs.
    return Get(kEditorFlags) != 0 && ProcessAlive(EditorPid());
}

void ShareBlock::Register(std::uint32_t pid) const {
    if (Get(kEditorFlags) != 0) {
        const unsigned char request = Get(kRequest);
        if (request == 'q' || request == 'c')
            Set(kRequest, 0);
    }
    SetEditorPid(pid);
    Set(kEditorFlags, 1);
    Set(kEditorId, kEditorIdValue);
}

void ShareBlock::Release() const {
    Set(kEditState, kClean);
    Set(kRequestBusy, 0);
    Set(kEditorFlags, 0);
    SetEditorPid(0);
}

ShareBlock::HandOffResult ShareBlock::WriteHandOff(const QByteArray& line,
                                                   std::chrono::milliseconds patience) const {
    if (line.isEmpty() || std::size_t(line.size()) >= kHandOffSize)
        return HandOffResult::TooLong;
    const auto deadline = std::chrono::steady_clock::now() + patience;
    while (HandOffPending()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return HandOffResult::Busy;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    SetText(kHandOff + 1, kHandOffSize - 1, line.mid(1));
    Set(kHandOff, static_cast<unsigned char>(line[0]));
    return HandOffResult::Written;
}
