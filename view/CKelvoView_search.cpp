// The Search menu of the view: Find, Replace, their follow-ups, Go To Line and Open
// Selection.

#include <algorithm>
#include <string>
#include <utility>

#include <QPointer>
#include <QScopedValueRollback>

#include "CFindDlg.h"
#include "CGoToLineDlg.h"
#include "CKelvoView.h"
#include "CReplaceDlg.h"
#include "FileName.h"
#include "Windows1252.h"

std::pair<TextPos, TextPos> CKelvoView::FirstLineOfSelection(int shortenBy) const {
    const TextPos start = m_caret.EarlierEnd();
    TextPos end = m_caret.LaterEnd();
    if (end.line > start.line) {
        const LineRecord* line = m_pStore->LineAt(start.line);
        end = TextPos{start.line, std::max(0, line->length - shortenBy)};
    }
    return {start, end};
}

std::string CKelvoView::InitialSearchText(bool forReplace) const {
    if (m_pStore == nullptr)
        return {};
    if (!HasSelection())
        return m_pStore->WordAt(CaretPos());
    const auto [start, end] = FirstLineOfSelection(forReplace ? 1 : 0);
    return m_pStore->GetText(start, end, false);
}

bool CKelvoView::SearchFrom(bool forward, TextPos& start, TextPos& end) const {
    if (m_pStore == nullptr || m_strFind.empty())
        return false;
    const FindRequest request{m_strFind, m_bMatchCase, m_bWholeWord, &start, &end};
    return forward ? m_pStore->FindForward(request) : m_pStore->FindBackward(request);
}

void CKelvoView::SelectMatch(TextPos start, TextPos end) {
    // The old highlight goes; the view then shows exactly the match as the selection.
    if (const std::optional<CaretModel::Span> shown = m_caret.Collapse(start))
        InvertSpan(*shown);
    ExtendSelection(end);
    ScrollCaretIntoView();
    emit caretChanged();
}

void CKelvoView::SelectLine(int line) {
    KeepPositionsInText();
    if (m_pStore == nullptr)
        return;
    const TextPos start = m_pStore->Clamp(TextPos{line, 0});
    // A line out of sight comes a third of the way down the window, with what leads to it
    // above, rather than at its edge.
    const int top = m_ptScrollPos.y() / m_nLineHeight;
    const int shown = std::max(1, viewport()->height() / m_nLineHeight);
    if (start.line < top || start.line >= top + shown)
        ScrollTo(QPoint(0, std::max(0, start.line - shown / 3) * m_nLineHeight));
    // Selected as a drag in the margin selects it, to the next line's start: the view
    // stays at the left however long the line, and the status bar shows the line's start.
    SelectMatch(start, m_caret.LineTarget(start));
}

void CKelvoView::SelectNextMatch(bool forward) {
    TextPos start = CaretPos();
    TextPos end = SelEnd();
    if (SearchFrom(forward, start, end))
        SelectMatch(start, end);
    else
        Beep();
}

std::optional<int> CKelvoView::RunSearchDialog(QDialog& dialog) {
    const QPointer<CKelvoView> alive = this;
    const int result = m_pDoc->GetPlatform()->RunDialog(dialog);
    // The dialog's loop may have closed the document, and this view with it.
    if (!alive || m_pStore == nullptr)
        return std::nullopt;
    return result;
}

void CKelvoView::OnFind() {
    KeepPositionsInText();
    if (m_pDoc == nullptr || m_pStore == nullptr)
        return;
    CFindDlg dialog(this);
    dialog.SetFindText(DecodeBytes(InitialSearchText(false)));
    dialog.SetMatchCase(m_bMatchCase);
    dialog.SetWholeWord(m_bWholeWord);
    const std::optional<int> result = RunSearchDialog(dialog);
    if (!result)
        return;
    if (*result != IDOK) {
        g_bIgnoreNextDrag = true;
        return;
    }
    m_bSearchForward = dialog.Forward();
    m_bReplaceActive = false;
    m_bMatchCase = dialog.MatchCase();
    m_bWholeWord = dialog.WholeWord();
    bool lossy = false;
    m_strFind = EncodeText(dialog.FindText(), &lossy);
    // A character the text cannot hold (an ohm sign) is in no document: searching for
    // the "?" it would become would find question marks instead.
    if (lossy) {
        m_strFind.clear();
        Beep();
        return;
    }
    // The dialog's loop may have let the other pane change the text.
    KeepPositionsInText();
    // The selection is not collapsed first: a forward Find of the text selected from left
    // to right finds that same text again.
    SelectNextMatch(m_bSearchForward);
}

void CKelvoView::OnReplace() {
    KeepPositionsInText();
    if (m_pDoc == nullptr || m_pStore == nullptr)
        return;
    CReplaceDlg dialog(this);
    dialog.SetFindText(DecodeBytes(InitialSearchText(true)));
    dialog.SetReplaceWith(DecodeBytes(m_strReplace));
    dialog.SetMatchCase(m_bMatchCase);
    dialog.SetWholeWord(m_bWholeWord);
    const std::optional<int> result = RunSearchDialog(dialog);
    if (!result)
        return;
    // Escape, the close button and Cancel end the dialog rejected.
    if (*result == QDialog::Rejected || *result == IDCANCEL) {
        g_bIgnoreNextDrag = true;
        return;
    }
    if (*result != IDOK && *result != CReplaceDlg::IDC_REPLACE_ALL)
        return;
    bool findLossy = false;
    bool replaceLossy = false;
    std::string find = EncodeText(dialog.FindText(), &findLossy);
    std::string replacement = EncodeText(dialog.ReplaceWith(), &replaceLossy);
    // A replacement the text cannot hold would put "?" in place of its characters: nothing
    // is replaced. A search text it cannot hold is found nowhere.
    if (replaceLossy) {
        Beep();
        return;
    }
    m_bMatchCase = dialog.MatchCase();
    m_bWholeWord = dialog.WholeWord();
    m_strReplace = std::move(replacement);
    if (findLossy) {
        m_strFind.clear();
        m_bReplaceActive = false;
        Beep();
        return;
    }
    m_bReplaceActive = true;
    m_strFind = std::move(find);
    KeepPositionsInText();
    if (*result == IDOK) {
        SelectNextMatch(true);
        return;
    }
    const int count = ReplaceAllFromCaret();
    if (count == 0) {
        Beep();
        return;
    }
    const QString searched = DecodeBytes(m_strFind);
    const QString message =
        count == 1 ? QString("1 instance of has been replaced:\n\n%1").arg(searched)
                   : QString("%1 instances have been replaced:\n\n%2").arg(count).arg(searched);
    m_pDoc->GetPlatform()->MessageBox(message, MB_OK);
    g_bIgnoreNextDrag = true;
}

// One edit of the store's replaces every match from the caret on, and one Undo takes it
// back; the caret ends after the last replacement, as replacing them one by one left it.
int CKelvoView::ReplaceAllFromCaret() {
    if (m_pStore == nullptr || m_strFind.empty())
        return 0;
    const FindRequest request{m_strFind, m_bMatchCase, m_bWholeWord, nullptr, nullptr};
    // A copy: a message box of the document's inside the edit runs a loop of its own.
    const std::string replacement = m_strReplace;
    std::int32_t count = 0;
    TextPos end;
    {
        const QScopedValueRollback making(m_bMakingEdit, true);
        end = m_pStore->Edit(CaretPos(), request, replacement, count);
    }
    if (count == 0 || m_pStore == nullptr)
        return 0;
    SetCaretPosition(end);
    return count;
}

void CKelvoView::FindInDirection(bool forward) {
    KeepPositionsInText();
    if (m_pStore == nullptr)
        return;
    if (HasSelection())
        SetCaretPosition(forward ? m_caret.LaterEnd() : m_caret.EarlierEnd());
    SelectNextMatch(forward);
}

void CKelvoView::OnFindAgain() {
    FindInDirection(m_bSearchForward);
}

void CKelvoView::OnFindLast() {
    FindInDirection(!m_bSearchForward);
}

void CKelvoView::OnReplaceStop() {
    KeepPositionsInText();
    if (!HasSelection() || m_pStore == nullptr)
        return;
    // Whatever is selected is replaced, whether or not it is the search string.
    const std::string replacement = m_strReplace;
    DeleteSelection();
    m_caret.SetCaret(EditStore(CaretPos(), kInsertText, replacement.c_str()));
    ScrollCaretIntoView();
    emit caretChanged();
}

void CKelvoView::OnReplaceFindAgain() {
    if (!HasSelection())
        return;
    OnReplaceStop();
    OnFindAgain();
}

void CKelvoView::OnUpdateNeedSearchText(CommandUpdate& update) {
    update.Enable(!m_strFind.empty());
}

void CKelvoView::OnUpdateReplaceFollowUp(CommandUpdate& update) {
    update.Enable(m_bReplaceActive && HasSelection());
}

void CKelvoView::OnGoToLine() {
    KeepPositionsInText();
    if (m_pDoc == nullptr || m_pStore == nullptr)
        return;
    CGoToLineDlg dialog(m_pDoc->GetPlatform(), m_pStore->LineCount(), this);
    dialog.SetLine(CaretPos().line + 1);
    const std::optional<int> result = RunSearchDialog(dialog);
    if (!result)
        return;
    if (*result != IDOK) {
        g_bIgnoreNextDrag = true;
        return;
    }
    // The other pane may have shortened the text while the dialog was open.
    SetCaretPosition(m_pStore->Clamp(TextPos{dialog.Line() - 1, 0}));
}

void CKelvoView::OnOpenSelection() {
    KeepPositionsInText();
    if (!HasSelection() || m_pStore == nullptr || m_pDoc == nullptr)
        return;
    const auto [start, end] = FirstLineOfSelection(0);
    // The bytes are the name, blanks and quotes included: nothing is trimmed or added.
    const std::string bytes = m_pStore->GetText(start, end, false);
    const QByteArrayView given(bytes.data(), qsizetype(bytes.size()));
    const FileName name = FileName::FromBytes(given); // empty when it holds a NUL
    Platform* platform = m_pDoc->GetPlatform();
    if (name.isEmpty() || m_pApp->OpenByName(name) == nullptr)
        platform->MessageBox("Unable to open the file:\n" + FileName::DisplayOf(given), MB_OK);
}
