// The Edit menu of the view: Undo, Redo, Cut, Copy, Paste and Select All.

#include <algorithm>
#include <memory>
#include <string>

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QScopedValueRollback>

#include "CKelvoView.h"
#include "ClipboardPromise.h"
#include "ClipboardWatch.h"
#include "Windows1252.h"

namespace {

const QString kUtf8Text = QStringLiteral("text/plain;charset=utf-8");

// The text of data from elsewhere as bytes for the store, converted in one pass: UTF-8
// straight to bytes where it is offered (as QMimeData::text reads it first), else Qt's
// string. CR, LF and CR LF each break a line in the store, and a NUL breaks one as it does
// in a file read; left in, it would end the pasted text there.
std::string PastedBytes(const QMimeData& data, bool* lossy) {
    std::string bytes;
    if (data.hasFormat(kUtf8Text)) {
        const QByteArray utf8 = data.data(kUtf8Text);
        std::optional<std::string> encoded =
            EncodeUtf8(std::string_view(utf8.constData(), std::size_t(utf8.size())), lossy);
        bytes = encoded ? std::move(*encoded) : EncodeText(QString::fromUtf8(utf8), lossy);
    } else {
        bytes = EncodeText(data.text(), lossy);
    }
    std::replace(bytes.begin(), bytes.end(), '\0', '\n');
    return bytes;
}

} // namespace

void CKelvoView::OnEditSelectAll() {
    KeepPositionsInText();
    if (m_pStore == nullptr || m_pStore->LastLine() == nullptr)
        return;
    SetCaretPosition(CaretPos());
    // Neither end is scrolled to: the view stays where the user is reading.
    m_caret.SetCaret(TextPos{0, 0});
    const LineRecord* last = m_pStore->LastLine();
    ExtendSelection({m_pStore->LineCount() - 1, last->length});
}

void CKelvoView::OnEditCopy() {
    KeepPositionsInText();
    if (!HasSelection() || m_pStore == nullptr || m_pDoc == nullptr)
        return;
    const TextPos start = std::min(CaretPos(), SelEnd());
    const TextPos end = std::max(CaretPos(), SelEnd());
    // An empty selection copies nothing: the clipboard keeps what it had.
    if (start == end)
        return;
    // A promise whatever the selection's size: the text is made only when asked for.
    QGuiApplication::clipboard()->setMimeData(new ClipboardPromise(m_pDoc, start, end));
}

void CKelvoView::OnEditCut() {
    KeepPositionsInText();
    if (!HasSelection() || m_pStore == nullptr)
        return;
    OnEditCopy();
    DeleteSelection();
}

void CKelvoView::OnEditPaste() {
    KeepPositionsInText();
    if (m_pStore == nullptr)
        return;
    if (HasSelection())
        DeleteSelection();
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (data == nullptr)
        return;
    bool lossy = false;
    // Kelvo's own copy comes as the store's bytes, with no detour through UTF-16.
    std::shared_ptr<const std::string> bytes;
    if (const auto* promise = qobject_cast<const ClipboardPromise*>(data))
        bytes = promise->Bytes(m_pStore);
    else
        bytes = std::make_shared<const std::string>(PastedBytes(*data, &lossy));
    if (bytes->empty())
        return;
    const TextPos start = CaretPos();
    const TextPos result = EditStore(start, kInsertText, bytes->c_str());
    m_caret.SetCaret(result);
    ScrollCaretIntoView();
    // One beep for the paste, however many characters became '?'; a refused paste has
    // beeped already.
    if (lossy && result != start && m_pDoc != nullptr)
        m_pDoc->GetPlatform()->Beep();
}

void CKelvoView::ReplayStep(std::optional<UndoStep> (TextStore::*replay)()) {
    KeepPositionsInText();
    if (m_pStore == nullptr)
        return;
    SetCaretPosition(CaretPos());
    std::optional<UndoStep> step;
    {
        const QScopedValueRollback making(m_bMakingEdit, true);
        step = (m_pStore->*replay)();
    }
    if (!step)
        return;
    m_caret.SetCaret(step->newPos);
    ScrollCaretIntoView();
}

void CKelvoView::OnEditUndo() {
    ReplayStep(&TextStore::Undo);
}

void CKelvoView::OnEditRedo() {
    ReplayStep(&TextStore::Redo);
}

void CKelvoView::OnUpdateEditUndo(CommandUpdate& update) {
    update.Enable(m_pDoc != nullptr && m_pDoc->CanUndo());
}

void CKelvoView::OnUpdateEditRedo(CommandUpdate& update) {
    update.Enable(m_pDoc != nullptr && m_pDoc->CanRedo());
}

void CKelvoView::OnUpdateNeedSelection(CommandUpdate& update) {
    update.Enable(HasSelection());
}

void CKelvoView::OnUpdateEditPaste(CommandUpdate& update) {
    update.Enable(ClipboardHasText());
}
