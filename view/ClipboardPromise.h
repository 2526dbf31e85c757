#pragma once

#include <memory>
#include <string>

#include <QMimeData>
#include <QStringList>

#include "TextPos.h"

class CKelvoDoc;
class TextStore;

// What Copy puts on the clipboard: the selection's text promised, not made. Asked for it,
// the clipboard gets it read from the document's lines in the form asked for, in one pass;
// the text is copied out, as the store holds it, only when the document is about to change
// or close while the clipboard still holds the promise. Lines are joined by CR LF; the
// bytes read as Windows-1252, as everywhere the program shows them.
class ClipboardPromise : public QMimeData {
    Q_OBJECT
public:
    // The text from start to end (in order, within the text) of the document's store.
    ClipboardPromise(CKelvoDoc* doc, TextPos start, TextPos end);

    // Plain text, and the UTF-8 form other programs name; nothing once memory ran out.
    [[nodiscard]] QStringList formats() const override;
    [[nodiscard]] bool hasFormat(const QString& mimeType) const override;

    // The text as the store holds it, for Paste into the store `target`: the snapshot, taken
    // now when target is the store the text comes from (the paste is about to change it),
    // else a copy of its own. Empty after "Not enough memory to continue!". Shared, so that
    // it outlives the promise should the clipboard drop it while the paste runs.
    [[nodiscard]] std::shared_ptr<const std::string> Bytes(const TextStore* target) const;
    // Copies the text out of the document, unless that was done already.
    void TakeSnapshot() const;
    [[nodiscard]] bool HasSnapshot() const { return m_store == nullptr; }

protected:
    QVariant retrieveData(const QString& mimeType, QMetaType type) const override;

private:
    // Calls visit with each stretch of the text in order.
    template <class Visit> void ForEachStretch(Visit visit) const;

    // Both null once the snapshot is taken, which then holds the text for good.
    mutable CKelvoDoc* m_doc;
    mutable const TextStore* m_store;
    TextPos m_start;
    TextPos m_end;
    mutable std::shared_ptr<const std::string> m_snapshot;
};
