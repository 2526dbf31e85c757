#include "TextStore.h"

#include <cstring>
#include <limits>
#include <new>
#include <string>

#include "HugeRegion.h"
#include "LineScan.h"

namespace {

constexpr char kTerminationWarning[] = "This file does not use standard line terminations.\n"
                                       "If you save it, terminations will be modified!";

// The line the file holds from `start`: its characters end at the first CR, LF or NUL.
// The bytes from `start` to `limit` hold no NUL but the one at `limit`.
struct ScannedLine {
    const char* end;  // the terminator byte
    const char* next; // where the next line starts
};

inline ScannedLine ScanLine(const char* start) noexcept {
    const char* p = start;
    // Bytes above CR are never line ends: one compare per byte on the common path.
    for (;;) {
        if (static_cast<unsigned char>(*p) > '\r')
            ++p;
        else if (IsLineEnd(*p))
            break;
        else
            ++p;
    }
    return {p, NextLineStart(p)};
}

} // namespace

bool TextStore::Serialize(CArchive& archive) {
    if (archive.IsLoading())
        return ReadText(archive);
    WriteText(archive);
    return true;
}

bool TextStore::ReadText(CArchive& archive) {
    const std::int64_t length = archive.GetFile()->GetLength();
    const std::size_t n = length > 0 ? static_cast<std::size_t>(length) : 0;
    const std::size_t want = n + 3;
    // Nothing of the file is kept when it cannot be held: the open then fails, so that no
    // later save can overwrite the file with less than it held.
    auto refuse = [this](std::size_t blockSize) {
        ReleaseText();
        if (document)
            document->ShowMessage("Not enough memory!\n" + std::to_string(blockSize) +
                                      " byte block required to read file.",
                                  StoreIcon::Stop);
        return false;
    };
    ReleaseText(); // lines of an earlier read must not outlive the buffer they borrow from
    fileBuffer = n < std::numeric_limits<std::size_t>::max() - 3 ? BufferAllocate(want) : nullptr;
    if (fileBuffer == nullptr)
        return refuse(want);
    const std::size_t got = archive.Read(fileBuffer, n);
    std::memset(fileBuffer + got, 0, 3);
    char* const bufferEnd = fileBuffer + got;

    // A first line ended by a lone LF makes every lone LF a CR in memory; CR LF stays.
    const ScannedLine first = ScanLine(fileBuffer);
    const bool lfFile = first.end[0] == '\n';
    // The file is standard when saving gives back its bytes: every line ends with CR LF,
    // and no NUL hides after one; only a last line that is not the first may lack a break.
    bool standard = true;

    char* cur = fileBuffer;
    std::int32_t longest = 0;
    do {
        const ScannedLine scanned = ScanLine(cur);
        char* end = const_cast<char*>(scanned.end);
        char* next = const_cast<char*>(scanned.next);
        if (end < bufferEnd) {
            const bool crLf = end[0] == '\r' && end[1] == '\n';
            if (!crLf || (next != end + 2 && end + 2 != bufferEnd))
                standard = false;
            if (lfFile && end[0] == '\n')
                *end = '\r';
        } else if (cur == fileBuffer) {
            standard = false; // the whole file is one line without a break
        }
        const std::int64_t span = next - cur;
        if (span > std::numeric_limits<std::int32_t>::max())
            return refuse(static_cast<std::size_t>(span)); // no line may reach 2 GiB
        LineRecord* line = NewLine();
        if (line == nullptr)
            return refuse(want);
        line->text = cur;
        line->capacity = static_cast<std::int32_t>(span);
        line->length = static_cast<std::int32_t>(end - cur);
        line->borrowed = 1;
        InsertLineAfter(line, lastLine);
        longest = std::max(longest, line->length);
        cur = next;
    } while (cur < bufferEnd);
    m_nLongestRead = longest;
    m_nBytesRead = got;

    if (got > 0 && !standard && document)
        document->ShowMessage(kTerminationWarning, StoreIcon::Exclamation);
    return true;
}

void TextStore::WriteText(CArchive& archive) const {
    for (const LineRecord* line = firstLine; line != nullptr; line = line->next) {
        if (line->length > 0)
            archive.Write(line->text, static_cast<std::size_t>(line->length));
        archive.Write(kFileLineBreak, kFileLineBreakLength);
    }
}
