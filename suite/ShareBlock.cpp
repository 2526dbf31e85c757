#include "ShareBlock.h"

#include <atomic>
#include <cerrno>
#include <string>
#include <thread>

#include <QList>

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

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

std::uint64_t ShareBlock::Number(std::size_t offset, std::size_t size) const {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < size; ++i)
        value |= std::uint64_t(Get(offset + i)) << (8 * i);
    return value;
}

void ShareBlock::SetNumber(std::size_t offset, std::size_t size, std::uint64_t value) const {
    for (std::size_t i = 0; i < size; ++i)
        Set(offset + i, static_cast<unsigned char>(value >> (8 * i)));
}

std::uint32_t ShareBlock::EditorPid() const {
    return std::uint32_t(Number(kEditorPid, kEditorPidSize));
}

void ShareBlock::SetEditorPid(std::uint32_t pid) const {
    SetNumber(kEditorPid, kEditorPidSize, pid);
}

std::uint64_t ShareBlock::EditorStart() const {
    return Number(kEditorStart, kEditorStartSize);
}

void ShareBlock::SetEditorStart(std::uint64_t start) const {
    SetNumber(kEditorStart, kEditorStartSize, start);
}

namespace {

// 0 and what does not fit a pid name no process: kill() would take them as groups.
bool NamesAProcess(std::uint32_t pid) {
    return pid != 0 && pid <= std::uint32_t(INT32_MAX);
}

} // namespace

ShareBlock::ProcessInfo ShareBlock::Process(std::uint32_t pid) {
    ProcessInfo info;
    if (!NamesAProcess(pid))
        return info;
    const std::string path = "/proc/" + std::to_string(pid) + "/stat";
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return info;
    char buffer[1024];
    const ssize_t length = ::read(fd, buffer, sizeof buffer);
    ::close(fd);
    if (length <= 0)
        return info;
    // "pid (name) state ppid ...": the name may hold spaces and parentheses of its own, so
    // the fields are counted from the last ')'. The start time is the 22nd field.
    const QByteArray text(buffer, qsizetype(length));
    const qsizetype open = text.indexOf('(');
    const qsizetype close = text.lastIndexOf(')');
    if (open < 0 || close < open)
        return info;
    const QList<QByteArray> fields = text.mid(close + 2).split(' ');
    if (fields.size() < 20 || fields[0].isEmpty())
        return info;
    info.state = fields[0][0];
    info.started = fields[19].toULongLong();
    info.program = text.mid(open + 1, close - open - 1);
    return info;
}

bool ShareBlock::ProcessAlive(std::uint32_t pid) {
    if (!NamesAProcess(pid) || (::kill(pid_t(pid), 0) != 0 && errno != EPERM))
        return false;
    const char state = Process(pid).state;
    return state != 'Z' && state != 'X';
}

bool ShareBlock::HeldByLiveEditor() const {
    // An editor stamps its process before it sets editorFlags: flags without a stamp were
    // not left by an editor that runs. Where either start time is unknown (an editor from
    // before the time was stamped, a system without /proc), the process id alone decides.
    if (Get(kEditorFlags) == 0 || !ProcessAlive(EditorPid()))
        return false;
    const std::uint64_t stamped = EditorStart();
    const std::uint64_t started = Process(EditorPid()).started;
    return stamped == 0 || started == 0 || stamped == started;
}

void ShareBlock::Register(std::uint32_t pid) const {
    if (Get(kEditorFlags) != 0) {
        const unsigned char request = Get(kRequest);
        if (request == 'q' || request == 'c')
            Set(kRequest, 0);
    }
    SetEditorPid(pid);
    SetEditorStart(Process(pid).started);
    Set(kEditorFlags, 1);
    Set(kEditorId, kEditorIdValue);
}

void ShareBlock::Release() const {
    Set(kEditState, kClean);
    Set(kRequestBusy, 0);
    Set(kEditorFlags, 0);
    SetEditorPid(0);
    SetEditorStart(0);
}

ShareBlock::HandOffResult ShareBlock::WriteHandOff(const QByteArray& line,
                                                   std::chrono::milliseconds patience) const {
    if (line.isEmpty() || std::size_t(line.size()) >= kHandOffSize)
        return HandOffResult::TooLong;
    if (!WaitForHandOffTaken(patience))
        return HandOffResult::Busy;
    SetText(kHandOff + 1, kHandOffSize - 1, line.mid(1));
    Set(kHandOff, static_cast<unsigned char>(line[0]));
    return HandOffResult::Written;
}

bool ShareBlock::WaitForHandOffTaken(std::chrono::milliseconds patience) const {
    const auto deadline = std::chrono::steady_clock::now() + patience;
    while (HandOffPending()) {
        if (std::chrono::steady_clock::now() >= deadline || !HeldByLiveEditor())
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}
