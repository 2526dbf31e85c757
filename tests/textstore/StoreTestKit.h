#pragma once

#include <memory>
#include <string>
#include <vector>

#include <QtTest>

#include "TextStore.h"
#include "fakes/FakeStoreDocument.h"

// A store read from bytes, with the fake document that owns it.
struct StoreFixture {
    FakeStoreDocument doc;
    std::unique_ptr<TextStore> store;

    explicit StoreFixture(const std::string& bytes);
    // A new document's store: one empty line without a buffer.
    StoreFixture();

    TextStore& operator*() { return *store; }
    TextStore* operator->() { return store.get(); }

    TextPos Type(TextPos at, const std::string& chars, EditKind kind = kInsertChar);
    TextPos Insert(TextPos at, const std::string& text) {
        return store->Edit(at, kInsertText, text.c_str());
    }
};

// The line list's own link and unlink, for checking the line cursor under changes that
// edits never make (an edit first walks to the line it changes).
struct LineListProbe {
    static LineRecord* First(TextStore& store) { return store.firstLine; }
    static const LineMarks& Marks(const TextStore& store) { return store.m_marks; }
    // Marks every few lines, so that short texts exercise them; from the next walk or
    // link on.
    static void SetMarkSpacing(TextStore& store, std::int32_t spacing) {
        store.m_marks.SetSpacing(spacing);
    }
    static LineRecord* Link(TextStore& store, LineRecord* after) {
        return store.InsertLineAfter(store.NewLine(), after);
    }
    // Unlinks and frees the line; false when, once unlinked, the store still found it.
    static bool Unlink(TextStore& store, LineRecord* line) {
        store.UnlinkLine(line);
        const bool gone = store.IndexOf(line) == -1;
        store.FreeLine(line);
        return gone;
    }
};

// The store's lines, as text.
std::vector<std::string> Lines(const TextStore& store);
// What WriteText puts in a file.
std::string Written(const TextStore& store);
// The whole text with lines joined by CR LF, as GetText gives it.
std::string Joined(const std::vector<std::string>& lines);
// Fails the test when a line breaks the list's invariants, the line cursor included.
void CheckInvariants(const TextStore& store);
// Fails the test when the line cursor or a line mark names a line outside the list or a
// wrong index.
void CheckLineCursor(const TextStore& store);
// Fails the test unless the line cursor is known, right, and at most one line from the
// caret's, so that the next LineAt near the caret walks a step or two.
void CheckLineCursorAt(const TextStore& store, TextPos caret);

namespace QTest {
template <> inline char* toString(const TextPos& pos) {
    return qstrdup(QByteArray("(" + QByteArray::number(pos.line) + "," +
                              QByteArray::number(pos.column) + ")"));
}
} // namespace QTest

using Strings = std::vector<std::string>;
Q_DECLARE_METATYPE(std::string)
Q_DECLARE_METATYPE(TextPos)
