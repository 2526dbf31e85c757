// The editor view's keyboard: navigation, Insert and Delete (key-down), typed characters
// with Backspace and Enter (characters), and the moves behind them.

#include <algorithm>

#include <QCoreApplication>
#include <QKeyEvent>

#include "CKelvoView.h"
#include "Windows1252.h"

void CKelvoView::Beep() {
    if (m_pDoc != nullptr)
        m_pDoc->GetPlatform()->Beep();
}

void CKelvoView::RepaintInvalid() {
    // Updates of a window are gathered for one later request; taking it now paints them.
    // Every window's: a pane of the same text may stand in another window.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
}

std::string CKelvoView::TypedBytes(const QString& text, int* refused) {
    std::string bytes;
    int lost = 0;
    for (const char32_t u : text.toUcs4()) {
        bool lossy = false;
        const std::string one = EncodeText(QString::fromUcs4(&u, 1), &lossy);
        if (lossy)
            ++lost;
        else
            bytes += one;
    }
    if (refused != nullptr)
        *refused = lost;
    return bytes;
}

bool CKelvoView::focusNextPrevChild(bool) {
    return false;
}

void CKelvoView::keyPressEvent(QKeyEvent* event) {
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    // A key held with Alt belongs to the menus and the window manager; AltGr only
    // chooses a character and types.
    if ((modifiers & Qt::AltModifier) && !(modifiers & Qt::GroupSwitchModifier)) {
        event->ignore();
        return;
    }
    switch (event->key()) {
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_End:
    case Qt::Key_Home:
    case Qt::Key_Left:
    case Qt::Key_Up:
    case Qt::Key_Right:
    case Qt::Key_Down:
    case Qt::Key_Insert:
    case Qt::Key_Delete:
        OnKeyDown(event->key(), modifiers);
        break;
    case Qt::Key_Backspace:
        OnChar(8, modifiers);
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        OnChar(13, modifiers);
        break;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: // Shift+Tab types a tab too
        OnChar(9, modifiers);
        break;
    default: {
        const QString text = event->text();
        if (text.isEmpty()) {
            event->ignore();
            return;
        }
        int refused = 0;
        const std::string bytes = TypedBytes(text, &refused);
        for (int i = 0; i < refused; ++i)
            Beep();
        for (const char c : bytes)
            OnChar(static_cast<unsigned char>(c), modifiers);
        break;
    }
    }
    event->accept();
    RepaintInvalid();
}

void CKelvoView::OnKeyDown(int key, Qt::KeyboardModifiers modifiers) {
    if (m_pStore == nullptr || m_pStore->LineCount() == 0)
        return;
    KeepPositionsInText();
    const bool shift = modifiers & Qt::ShiftModifier;
    const bool ctrl = modifiers & Qt::ControlModifier;
    switch (key) {
    case Qt::Key_PageUp:
        MovePageUp();
        break;
    case Qt::Key_PageDown:
        MovePageDown();
        break;
    case Qt::Key_End:
        MoveEnd(ctrl);
        break;
    case Qt::Key_Home:
        MoveHome(ctrl);
        break;
    case Qt::Key_Left:
        MoveLeft(shift, ctrl);
        break;
    case Qt::Key_Up:
        MoveUp(shift, ctrl);
        break;
    case Qt::Key_Right:
        MoveRight(shift, ctrl);
        break;
    case Qt::Key_Down:
        MoveDown(shift, ctrl);
        break;
    case Qt::Key_Insert:
        // Shift+Insert and Ctrl+Insert are Paste and Copy.
        if (!shift && !ctrl)
            ToggleOverwrite();
        break;
    case Qt::Key_Delete:
        // Shift+Delete is Cut.
        if (!shift)
            OnDeleteKey();
        break;
    default:
        return;
    }
    emit caretChanged();
}

void CKelvoView::ToggleOverwrite() {
    m_bOverwrite = !m_bOverwrite;
    if (m_pSibling != nullptr) {
        m_pSibling->m_bOverwrite = m_bOverwrite;
        emit m_pSibling->caretChanged();
    }
    emit caretChanged();
}

void CKelvoView::MoveResultToCaret(TextPos result, bool shift) {
    if (shift)
        ExtendSelection(result);
    else
        m_caret.SetCaret(result);
    ScrollCaretIntoView();
}

void CKelvoView::PlaceCaretUnder(QPoint point) {
    QPoint boundary = point;
    TextPos pos = PointToPos(point, &boundary);
    // A point just outside the window (a caret half out of it) takes the line inside.
    if (boundary.y() >= viewport()->height() && pos.line > 0)
        pos = m_pStore->Clamp({pos.line - 1, pos.column});
    else if (boundary.y() < 0 && pos.line + 1 < m_pStore->LineCount())
        pos = m_pStore->Clamp({pos.line + 1, pos.column});
    m_caret.SetCaret(pos);
    m_ptCaret = PosToPoint(pos);
    SetCaretPixel(m_ptCaret);
}

void CKelvoView::MoveUp(bool shift, bool ctrl) {
    KeepPositionsInText();
    if (ctrl) {
        if (shift)
            return;
        // Ctrl+Up scrolls the text a line; the caret stays on its text while it is inside.
        if (m_ptScrollPos.y() <= 0) {
            Beep();
            return;
        }
        ScrollTo(QPoint(m_ptScrollPos.x(), m_ptScrollPos.y() - m_nLineHeight));
        m_ptCaret = PosToPoint(CaretPos());
        if (!HasSelection() && m_ptCaret.y() >= viewport()->height())
            m_caret.SetCaret(
                PointToPos(QPoint(m_ptCaret.x(), m_ptCaret.y() - m_nLineHeight), &m_ptCaret));
        SetCaretPixel(m_ptCaret);
        return;
    }
    const TextPos start = ActiveEnd();
    if (HasSelection() && !shift)
        SetCaretPosition(m_caret.EarlierEnd());
    std::optional<TextPos> result;
    if (start.line > 0) {
        // The caret keeps its pixel x, not a column: over tabs and short lines it comes
        // back to where it was.
        ScrollCaretIntoView();
        result = PointToPos(QPoint(m_ptCaret.x(), m_ptCaret.y() - m_nLineHeight), &m_ptCaret);
    } else {
        result = m_caret.UpOnFirstLine(start);
    }
    if (result)
        MoveResultToCaret(*result, shift);
    else
        Beep();
}

void CKelvoView::MoveDown(bool shift, bool ctrl) {
    KeepPositionsInText();
    if (ctrl) {
        if (shift)
            return;
        if (m_ptScrollPos.y() >= GetScrollLimit(1)) {
            Beep();
            return;
        }
        ScrollTo(QPoint(m_ptScrollPos.x(), m_ptScrollPos.y() + m_nLineHeight));
        m_ptCaret = PosToPoint(CaretPos());
        if (!HasSelection() && m_ptCaret.y() < 0)
            m_caret.SetCaret(
                PointToPos(QPoint(m_ptCaret.x(), m_ptCaret.y() + m_nLineHeight), &m_ptCaret));
        SetCaretPixel(m_ptCaret);
        return;
    }
    const TextPos start = ActiveEnd();
    if (HasSelection() && !shift)
        SetCaretPosition(m_caret.LaterEnd());
    std::optional<TextPos> result;
    if (!m_caret.OnLastLine(start)) {
        ScrollCaretIntoView();
        result = PointToPos(QPoint(m_ptCaret.x(), m_ptCaret.y() + m_nLineHeight), &m_ptCaret);
    } else {
        result = m_caret.DownOnLastLine(start);
    }
    if (result)
        MoveResultToCaret(*result, shift);
    else
        Beep();
}

void CKelvoView::MoveSideways(bool right, bool shift, bool ctrl) {
    KeepPositionsInText();
    const TextPos start = ActiveEnd();
    // Either way a selection ends at its later end; the move still starts from the start
    // taken before.
    if (HasSelection() && !shift)
        SetCaretPosition(m_caret.LaterEnd());
    const std::optional<TextPos> result =
        right ? m_caret.Right(start, ctrl) : m_caret.Left(start, ctrl);
    if (!result) {
        Beep();
        // A word move that cannot go still puts the caret where the move started.
        if (!ctrl)
            return;
    }
    MoveResultToCaret(result.value_or(start), shift);
}

void CKelvoView::MoveLeft(bool shift, bool ctrl) {
    MoveSideways(false, shift, ctrl);
}

void CKelvoView::MoveRight(bool shift, bool ctrl) {
    MoveSideways(true, shift, ctrl);
}

void CKelvoView::MoveHome(bool ctrl) {
    KeepPositionsInText();
    if (HasSelection())
        SetCaretPosition(CaretPos());
    m_caret.SetCaret(m_caret.Home(CaretPos(), ctrl));
    ScrollCaretIntoView();
}

void CKelvoView::MoveEnd(bool ctrl) {
    KeepPositionsInText();
    if (HasSelection())
        SetCaretPosition(CaretPos());
    m_caret.SetCaret(m_caret.End(CaretPos(), ctrl));
    ScrollCaretIntoView();
}

// A page move scrolls by the window's height less one line and keeps the caret at the same
// height in the window. Page Up leaves a selection at its fixed end, Page Down at its
// moving end.
void CKelvoView::MovePageUp() {
    KeepPositionsInText();
    if (HasSelection())
        SetCaretPosition(CaretPos());
    const QPoint point = PosToPoint(CaretPos());
    if (m_ptScrollPos.y() <= 0)
        Beep();
    else
        ScrollTo(QPoint(m_ptScrollPos.x(),
                        std::max(0, m_ptScrollPos.y() + m_nLineHeight - viewport()->height())));
    PlaceCaretUnder(point);
}

void CKelvoView::MovePageDown() {
    KeepPositionsInText();
    if (HasSelection())
        SetCaretPosition(SelEnd());
    const QPoint point = PosToPoint(CaretPos());
    const int limit = GetScrollLimit(1);
    if (m_ptScrollPos.y() >= limit)
        Beep();
    else
        ScrollTo(QPoint(m_ptScrollPos.x(),
                        std::min(limit, m_ptScrollPos.y() + viewport()->height() - m_nLineHeight)));
    PlaceCaretUnder(point);
}

void CKelvoView::DeleteSelection() {
    const TextPos result = EditStore(CaretPos(), kDeleteBlock, "", SelEnd());
    // A refused edit ends the selection all the same.
    SetCaretPosition(result);
}

void CKelvoView::OnDeleteKey() {
    if (HasSelection()) {
        DeleteSelection();
        return;
    }
    // At the end of a line that is not the last, Delete joins the next line to it.
    m_caret.SetCaret(EditStore(CaretPos(), kDeleteAt, ""));
    ScrollCaretIntoView();
}

void CKelvoView::OnChar(unsigned char ch, Qt::KeyboardModifiers modifiers) {
    if (m_pStore == nullptr || m_pStore->LineCount() == 0)
        return;
    KeepPositionsInText();
    if (ch == 8)
        OnBackspace();
    else if (ch == 13)
        OnEnter(modifiers);
    else
        OnTypedChar(ch);
    emit caretChanged();
}

void CKelvoView::OnBackspace() {
    if (HasSelection()) {
        DeleteSelection();
        return;
    }
    m_caret.SetCaret(EditStore(CaretPos(), kDeleteBefore, ""));
    ScrollCaretIntoView();
}

void CKelvoView::OnEnter(Qt::KeyboardModifiers modifiers) {
    if (m_bOverwrite) {
        // Overwrite mode changes no text: Enter goes to the start of the next line.
        MoveDown(modifiers & Qt::ShiftModifier, modifiers & Qt::ControlModifier);
        MoveHome(modifiers & Qt::ControlModifier);
        return;
    }
    if (HasSelection())
        DeleteSelection();
    m_caret.SetCaret(EditStore(CaretPos(), kInsertChar, "\r"));
    ScrollCaretIntoView();
}

void CKelvoView::OnTypedChar(unsigned char ch) {
    // A key that types nothing the text can hold (Escape, Ctrl with a letter no command
    // takes) leaves the selection alone, rather than deleting it for nothing.
    if (!TextStore::TypedCharFits(static_cast<char>(ch), m_bOverwrite)) {
        Beep();
        return;
    }
    if (HasSelection()) {
        // A selection ending in a blank (a double-clicked word takes the blank after it)
        // keeps one blank after the text typed over it. One ending at column 0 ends with
        // a line break.
        const TextPos end = m_caret.LaterEnd();
        const std::string_view endLine = Chars(m_pStore->LineAt(end.line));
        const bool endsInBlank = end.column > 0 && std::size_t(end.column) <= endLine.size() &&
                                 endLine[std::size_t(end.column) - 1] == ' ';
        DeleteSelection();
        if (endsInBlank) {
            const TextPos at = CaretPos();
            const TextPos after = EditStore(at, kInsertChar, " ");
            // The caret stands before the blank put back; a refused blank leaves it put.
            if (after != at)
                m_caret.SetCaret({after.line, std::max(0, after.column - 1)});
        }
    }
    const char text[2] = {static_cast<char>(ch), '\0'};
    m_caret.SetCaret(EditStore(CaretPos(), m_bOverwrite ? kOvertypeChar : kInsertChar, text));
    ScrollCaretIntoView();
}
