#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "CArchive.h"
#include "EditKind.h"
#include "FindRequest.h"
#include "LineMarks.h"
#include "LinePool.h"
#include "LineRecord.h"
#include "StoreDocument.h"
#include "TextPos.h"
#include "UndoJournal.h"

// What one Undo or Redo step did: the record's kind, its position before the step and
// where the caret goes. done is false when the document refused the step or it failed;
// the record then stays where it was.
struct UndoStep {
    EditKind kind{};
    TextPos recordPos;
    TextPos newPos;
    bool done = false;
};

// The text of one document: a doubly linked list of lines with its undo history.
// Every change to the text goes through Edit (or Undo and Redo, which replay through it).
class TextStore {
public:
    explicit TextStore(StoreDocument* document);
    ~TextStore();
    TextStore(const TextStore&) = delete;
    TextStore& operator=(const TextStore&) = delete;

    // --- The line list, read-only from outside: the text changes only through Edit,
    // reading and undo.
    [[nodiscard]] const LineRecord* FirstLine() const noexcept { return firstLine; }
    [[nodiscard]] const LineRecord* LastLine() const noexcept { return lastLine; }
    [[nodiscard]] std::int32_t LineCount() const noexcept { return lineCount; }
    [[nodiscard]] const UndoJournal& Journal() const noexcept { return m_journal; }
    // The file as read; borrowed lines point into it.
    [[nodiscard]] const char* FileBuffer() const noexcept { return fileBuffer; }
    [[nodiscard]] StoreDocument* Document() const noexcept { return document; }
    // The text as read, until the first edit: its longest line's length in bytes and
    // whether a tab is in it, so that a view can know its widest line without walking
    // millions of lines. Empty once the text has been edited, or before any read.
    struct ReadShape {
        std::int32_t longestLine = 0;
        bool tabs = false;
    };
    [[nodiscard]] std::optional<ReadShape> ShapeAsRead() const;

    // Null for a negative index; an index past the end gives the last line.
    [[nodiscard]] const LineRecord* LineAt(std::int32_t index) const {
        return MutableLineAt(index);
    }
    // The line LineAt reached last with its index, which linking and unlinking keep right
    // (or forget: a null line). Edits leave it at or next to the line they changed.
    struct LineCursor {
        const LineRecord* line;
        std::int32_t index;
    };
    [[nodiscard]] LineCursor WalkCursor() const noexcept { return {m_cursorLine, m_cursorIndex}; }
    // The known line nearest to an index in the text (the first, the last, the line
    // cursor or a mark), to walk from without moving the line cursor.
    [[nodiscard]] LineCursor NearestKnownLine(std::int32_t index) const noexcept;
    // -1 for a record that is not in this store's list.
    [[nodiscard]] std::int32_t IndexOf(const LineRecord* line) const;
    // The single empty line of a new document; nothing when the store has lines already.
    void AppendEmptyLine();

    // The text between two positions in either order, lines joined by CR LF or by CR.
    // Empty, after "Not enough memory to continue!", when memory runs out.
    [[nodiscard]] std::string GetText(TextPos a, TextPos b, bool crlf) const;
    // The text for the clipboard: lines joined by CR LF.
    [[nodiscard]] std::string CopyToGlobal(TextPos a, TextPos b) const {
        return GetText(a, b, true);
    }

    // Forgets both histories; the document is then unmodified.
    void ClearHistory();

    // --- Files. A store is read into only while it has no lines.
    // False when the file could not be held in memory: the store then has no lines and
    // the open must fail. File errors throw CFileException.
    bool Serialize(CArchive& archive);
    bool ReadText(CArchive& archive);
    void WriteText(CArchive& archive) const;

    // --- Editing. text: the character for the single-character kinds, a NUL-ended string
    // for InsertText; to: the other end for DeleteBlock. Returns the new caret position.
    // An edit asked for while another runs (from a message box that AllowEdit shows, say)
    // is refused: it returns from and changes nothing.
    TextPos Edit(TextPos from, EditKind kind, const char* text, TextPos to = {});
    // Replace All: every match of request's pattern (matchCase and wholeWord as for Find)
    // from `from` to the end of the text, replaced by replacement in one pass, as one step
    // that one Undo takes back. The matches are those of the text as it stands: a
    // replacement never forms a match with what follows it. count gets the number
    // replaced, 0 when there was none, the document refused or memory ran out. Returns the
    // position after the last replacement, or from. A replacement with a line break in it
    // replaces nothing.
    TextPos Edit(TextPos from, const FindRequest& request, std::string_view replacement,
                 std::int32_t& count);
    std::optional<UndoStep> Undo();
    std::optional<UndoStep> Redo();
    [[nodiscard]] bool CanUndo() const noexcept { return m_journal.undoList != nullptr; }
    [[nodiscard]] bool CanRedo() const noexcept { return m_journal.redoList != nullptr; }

    // --- Search and words; none of these changes the text.
    bool FindForward(FindRequest request) const;
    bool FindBackward(FindRequest request) const;
    // -1, 0 or 1: pattern against text over n bytes, ASCII letters folded.
    static int CompareNoCase(const char* pattern, const char* text, std::size_t n) noexcept;
    // Whether a typed byte can go into a line: inserted, CR (a line break) and TAB can, no
    // other byte below 32 and none from 128 up; over the next character, none of them.
    static bool TypedCharFits(char c, bool overtype) noexcept;
    [[nodiscard]] TextPos PrevWordPos(TextPos pos) const;
    [[nodiscard]] TextPos NextWordPos(TextPos pos) const;
    [[nodiscard]] std::string WordAt(TextPos pos) const;

    // The position brought within the text: an existing line, a column within it.
    [[nodiscard]] TextPos Clamp(TextPos pos) const;

private:
    // The tests link and unlink lines in orders no edit makes, to check that the line
    // cursor stays right however the list changes around it.
    friend struct LineListProbe;

    // The fields the re-created program's store has keep its names; what Kelvo adds
    // carries m_.
    StoreDocument* document;
    char* fileBuffer = nullptr;
    UndoJournal m_journal;
    LineRecord* firstLine = nullptr; // null only before the store is filled
    LineRecord* lastLine = nullptr;
    std::int32_t lineCount = 0;
    // The longest line of the text as read, and the bytes read; -1 once edited. Whether
    // those bytes hold a tab is found when first asked.
    std::int32_t m_nLongestRead = -1;
    std::size_t m_nBytesRead = 0;
    mutable std::optional<bool> m_tabsRead;

    LineRecord* MutableLineAt(std::int32_t index) const;
    struct KnownLine {
        LineRecord* line;
        std::int32_t index;
    };
    [[nodiscard]] KnownLine NearestKnown(std::int32_t index) const noexcept;

    // --- The line list's own changes, made only by editing, reading and undo.
    // Links line after `after`, or first when after is null. Returns line.
    LineRecord* InsertLineAfter(LineRecord* line, LineRecord* after);
    // Takes the line out of the list; the caller frees it with FreeLine.
    LineRecord* UnlinkLine(LineRecord* line);
    // A blank record (no buffer) for InsertLineAfter; null when memory runs out.
    [[nodiscard]] LineRecord* NewLine();
    // Frees an unlinked line with its buffer, unless that is borrowed.
    void FreeLine(LineRecord* line);
    // False, with nothing changed, when the line would reach 2 GiB.
    bool GrowLine(LineRecord* line, std::int64_t extra);
    bool EnsureCapacity(LineRecord* line, std::int64_t needed);

    struct EditResult {
        TextPos pos;
        bool done = false;
        TextChange change{}; // what a done step told the document
    };

    // Runs one step of editing: refuses it while another runs or when the document does
    // not allow it, brings `from` within the text, clears the redo list before a user's
    // edit, tells the document the change a done step reports and, unless the caller
    // does, whether the text is modified. step(at) makes the change.
    template <class Step>
    EditResult Guarded(TextPos from, bool userEdit, bool reportModified, Step&& step);

    // reportModified: false when the caller (a replay) reports the modified state itself.
    EditResult RunEdit(TextPos from, EditKind kind, const char* text, TextPos to,
                       bool reportModified = true);
    EditResult InsertChar(TextPos at, char c, EditKind kind);
    EditResult DeleteBefore(TextPos at, EditKind kind);
    EditResult OvertypeChar(TextPos at, char c);
    EditResult DeleteAt(TextPos at);
    EditResult RestoreOvertyped(TextPos at, char saved);
    EditResult ReinsertDeleted(TextPos at, char saved);
    EditResult DeleteBlock(TextPos a, TextPos b, EditKind kind);
    EditResult InsertText(TextPos at, const char* text, EditKind kind);
    std::optional<UndoStep> Replay(UndoRecord*& list);
    std::optional<UndoStep> ReplayReplaceAll(UndoRecord*& list);
    // Replaces count stretches, described in Replace All's record form, in one pass, and
    // pushes the record that puts them back (of kind inverseKind) onto inverseList. Nothing
    // changes unless every stretch lies in the text and every line can take its change.
    EditResult ApplySpans(TextPos at, const char* spans, std::size_t size, std::int32_t count,
                          EditKind inverseKind, UndoRecord*& inverseList);
    // The two ways an edit step gives up, leaving the text and both lists as they were:
    // after "Not enough memory to continue!", or with a beep for a step that cannot be
    // made where the caret is.
    EditResult NoMemory(TextPos at) const;
    EditResult Refused(TextPos at) const;

    bool SplitLine(LineRecord* line, std::int32_t column);
    bool InsertByte(LineRecord* line, std::int32_t column, char c);
    bool JoinNext(LineRecord* line);
    // Removes the text from start to end (ordered) without recording it; with `saved`,
    // hands back the removed text, NUL-ended, lines joined by CR. False when memory runs
    // out, with no change.
    bool RemoveRange(TextPos start, TextPos end, char** saved, std::size_t* savedLength);
    void OutOfMemory() const;
    // GetText's copy of ordered, valid positions; throws std::bad_alloc.
    std::string CollectText(TextPos start, TextPos end, std::string_view separator) const;
    // Frees every line, both histories and the file buffer.
    void ReleaseText();

    [[nodiscard]] TextPos WordStartBefore(TextPos pos) const;
    [[nodiscard]] TextPos WordEndAfter(TextPos pos) const;
    bool LineMatches(const LineRecord* line, std::int32_t column, const FindRequest& r) const;

    LinePool m_pool;
    // The line LineAt reached last, so that walks start near where the caller works.
    // Link and unlink keep it valid or drop it.
    mutable LineRecord* m_cursorLine = nullptr;
    mutable std::int32_t m_cursorIndex = -1;
    // Lines every so many apart, so that no walk is long. Linking and unlinking keep them
    // right when the index of the line is known from its neighbours, and drop them all
    // when it is not; walks through unmarked stretches mark them again.
    mutable LineMarks m_marks;
    // True while an edit, undo or redo runs.
    bool m_editing = false;
};
