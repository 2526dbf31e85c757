#include "StoreTestKit.h"

#include <algorithm>
#include <cstdlib>

StoreFixture::StoreFixture(const std::string& bytes) : store(std::make_unique<TextStore>(&doc)) {
    CMemFile file(bytes);
    CArchive archive(&file, CArchive::load);
    store->Serialize(archive);
}

StoreFixture::StoreFixture() : store(std::make_unique<TextStore>(&doc)) {
    store->AppendEmptyLine();
}

TextPos StoreFixture::Type(TextPos at, const std::string& chars, EditKind kind) {
    for (char c : chars)
        at = store->Edit(at, kind, &c);
    return at;
}

std::vector<std::string> Lines(const TextStore& store) {
    std::vector<std::string> lines;
    for (const LineRecord* line = store.FirstLine(); line != nullptr; line = line->next)
        lines.emplace_back(Chars(line));
    return lines;
}

std::string Written(const TextStore& store) {
    CMemFile file;
    {
        CArchive archive(&file, CArchive::store);
        store.WriteText(archive);
        archive.Close();
    }
    return file.Bytes();
}

std::string Joined(const std::vector<std::string>& lines) {
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0)
            text += "\r\n";
        text += lines[i];
    }
    return text;
}

void CheckInvariants(const TextStore& store) {
    std::int32_t count = 0;
    const LineRecord* previous = nullptr;
    for (const LineRecord* line = store.FirstLine(); line != nullptr; line = line->next) {
        QCOMPARE(line->prev, previous);
        QVERIFY(line->length >= 0);
        if (line->text == nullptr) {
            QCOMPARE(line->length, 0);
        } else {
            QVERIFY2(line->length < line->capacity, "terminator byte outside the buffer");
            for (std::int32_t i = 0; i < line->length; ++i)
                QVERIFY2(line->text[i] != '\r' && line->text[i] != '\n' && line->text[i] != '\0',
                         "line end inside a line");
        }
        previous = line;
        ++count;
    }
    QCOMPARE(store.LastLine(), previous);
    QCOMPARE(store.LineCount(), count);
    CheckLineCursor(store);

    // Lines that still live in the file buffer stay inside it and never reach into each
    // other, however much vacated room they were handed.
    const char* reach = store.FileBuffer();
    for (const LineRecord* line = store.FirstLine(); line != nullptr; line = line->next) {
        if (!line->borrowed)
            continue;
        QVERIFY2(line->text >= reach, "borrowed lines overlap or are out of order");
        reach = line->text + line->capacity;
        QVERIFY(store.FileBuffer() != nullptr);
    }
}

void CheckLineCursor(const TextStore& store) {
    std::vector<const LineRecord*> lines;
    for (const LineRecord* line = store.FirstLine(); line != nullptr; line = line->next)
        lines.push_back(line);
    const auto at = [&](std::int32_t index) {
        return index >= 0 && std::size_t(index) < lines.size() ? lines[std::size_t(index)]
                                                                : nullptr;
    };
    const TextStore::LineCursor cursor = store.WalkCursor();
    if (cursor.line != nullptr) {
        QVERIFY2(std::find(lines.begin(), lines.end(), cursor.line) != lines.end(),
                 "the line cursor is on a line outside the list");
        QCOMPARE(at(cursor.index), cursor.line);
    }
    const LineMarks& marks = LineListProbe::Marks(store);
    for (std::size_t k = 0; k < marks.Size(); ++k) {
        const LineMarks::Mark mark = marks.At(k);
        QVERIFY2(at(mark.index) == mark.line,
                 qPrintable(QString("mark %1 of %2 names line %3 wrongly")
                                .arg(k)
                                .arg(marks.Size())
                                .arg(mark.index)));
        if (k > 0)
            QVERIFY(marks.At(k - 1).index < mark.index);
    }
}

void CheckLineCursorAt(const TextStore& store, TextPos caret) {
    CheckLineCursor(store);
    const TextStore::LineCursor cursor = store.WalkCursor();
    QVERIFY2(cursor.line != nullptr, "the store forgot where the edit was");
    QVERIFY2(std::abs(cursor.index - caret.line) <= 1,
             qPrintable(
                 QString("line cursor at %1, caret on line %2").arg(cursor.index).arg(caret.line)));
}
