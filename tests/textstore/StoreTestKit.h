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

    TextPos Type(TextPos at, const std::string& chars, int kind = kInsertChar);
    TextPos Insert(TextPos at, const std::string& text) {
        return store->Edit(at, kInsertText, text.c_str());
    }
};

// The store's lines, as text.
std::vector<std::string> Lines(const TextStore& store);
// What WriteText puts in a file.
std::string Written(const TextStore& store);
// The whole text with lines joined by CR LF, as GetText gives it.
std::string Joined(const std::vector<std::string>& lines);
// Fails the test when a line breaks the list's invariants.
void CheckInvariants(const TextStore& store);

namespace QTest {
template <> inline char* toString(const TextPos& pos) {
    return qstrdup(QByteArray("(" + QByteArray::number(pos.line) + "," +
                              QByteArray::number(pos.column) + ")"));
}
} // namespace QTest

using Strings = std::vector<std::string>;
Q_DECLARE_METATYPE(std::string)
Q_DECLARE_METATYPE(TextPos)
