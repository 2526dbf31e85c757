#include "ClipboardPromise.h"

#include <new>
#include <string_view>

#include "CKelvoDoc.h"
#include "LineScan.h"
#include "Windows1252.h"

namespace {

const QString kPlainText = QStringLiteral("text/plain");
const QString kUtf8Text = QStringLiteral("text/plain;charset=utf-8");

} // namespace

ClipboardPromise::ClipboardPromise(CKelvoDoc* doc, TextPos start, TextPos end)
    : m_doc(doc), m_store(doc != nullptr ? doc->GetStore() : nullptr), m_start(start), m_end(end) {
    if (m_store == nullptr) {
        m_doc = nullptr;
        m_snapshot = std::make_shared<const std::string>();
        return;
    }
    connect(doc, &CKelvoDoc::textChanging, this, &ClipboardPromise::TakeSnapshot);
}

QStringList ClipboardPromise::formats() const {
    if (HasSnapshot() && m_snapshot->empty())
        return {};
    return {kPlainText, kUtf8Text};
}

bool ClipboardPromise::hasFormat(const QString& mimeType) const {
    return formats().contains(mimeType);
}

template <class Visit> void ClipboardPromise::ForEachStretch(Visit visit) const {
    if (HasSnapshot()) {
        visit(std::string_view(*m_snapshot));
        return;
    }
    const LineRecord* line = m_store->LineAt(m_start.line);
    for (std::int32_t index = m_start.line; line != nullptr; ++index, line = line->next) {
        std::string_view chars = Chars(line);
        if (index == m_end.line)
            chars = chars.substr(0, std::size_t(m_end.column));
        if (index == m_start.line)
            chars = chars.substr(std::size_t(m_start.column));
        visit(chars);
        if (index == m_end.line)
            break;
        visit(std::string_view(kFileLineBreak));
    }
}

void ClipboardPromise::TakeSnapshot() const {
    if (HasSnapshot())
        return;
    // GetText says so when memory runs out; the promise then gives nothing.
    m_snapshot = std::make_shared<const std::string>(m_store->GetText(m_start, m_end, true));
    disconnect(m_doc, nullptr, this, nullptr);
    m_doc = nullptr;
    m_store = nullptr;
}

std::shared_ptr<const std::string> ClipboardPromise::Bytes(const TextStore* target) const {
    if (target == m_store)
        TakeSnapshot();
    if (HasSnapshot())
        return m_snapshot;
    return std::make_shared<const std::string>(m_store->GetText(m_start, m_end, true));
}

QVariant ClipboardPromise::retrieveData(const QString& mimeType, QMetaType type) const {
    if (!hasFormat(mimeType))
        return {};
    WaitCursorScope wait(m_doc);
    try {
        if (type.id() == QMetaType::QString) {
            qsizetype size = 0;
            ForEachStretch([&](std::string_view bytes) { size += qsizetype(bytes.size()); });
            QString text(size, Qt::Uninitialized);
            QChar* out = text.data();
            ForEachStretch([&](std::string_view bytes) { out = DecodeBytesTo(bytes, out); });
            return text;
        }
        // Every other program, and every form but Qt's own string, takes UTF-8.
        std::size_t size = 0;
        ForEachStretch([&](std::string_view bytes) { size += Utf8Size(bytes); });
        QByteArray utf8(qsizetype(size), Qt::Uninitialized);
        char* out = utf8.data();
        ForEachStretch([&](std::string_view bytes) { out = Utf8BytesTo(bytes, out); });
        return utf8;
    } catch (const std::bad_alloc&) {
        return {}; // the program that asked is told there is nothing
    }
}
