// The Edit menu of the view: Undo, Redo, Cut, Copy, Paste and Select All.

#include <algorithm>
#include <string>

#include <QClipboard>
#include <QGuiApplication>
#include <QScopedValueRollback>

#include "CKelvoView.h"
#include "Windows1252.h"

namespace {

// The clipboard's plain text; empty when it holds none.
QString ClipboardText() {
    const QClipboard* clipboard = QGuiApplication::clipboard();
    return clipboard != nullptr ? clipboard->text() : QString();
}

// Whether the clipboard holds text. Paste's state is asked at every idle pass and before
// every shortcut: asking the clipboard's owner for its whole text each time would copy it
// again and again, so the answer is kept and renewed when the clipboard changes.
bool ClipboardHasText() {
    static bool watching = false;
    static bool hasText = false;
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (clipboard == nullptr)
        return false;
    if (!watching) {
        const auto renew = [clipboard] { hasText = !clipboard->text().isEmpty(); };
        QObject::connect(clipboard, &QClipboard::dataChanged, clipboard, renew);
        renew();
        watching = true;
    }
    return hasText;
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
    if (!HasSelection() || m_pStore == nullptr)
        return;
    // Empty for an empty selection, or when memory ran out (the store has said so): the
    // clipboard keeps what it had.
    const std::string bytes = m_pStore->CopyToGlobal(CaretPos(), SelEnd());
    if (bytes.empty())
        return;
    QGuiApplication::clipboard()->setText(DecodeBytes(bytes));
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
    QString text = ClipboardText();
    if (text.isEmpty())
        return;
    // CR, LF and CR LF each break a line in the store, and a NUL ends a line as it does
    // in a file read; left in, it would end the pasted text there.
    text.replace(QChar(u'\0'), QChar(u'\n'));
    bool lossy = false;
    const std::string bytes = EncodeText(text, &lossy);
    const TextPos start = CaretPos();
    const TextPos result = EditStore(start, kInsertText, bytes.c_str());
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
