#include "CKelvoView.h"

#include "CommandIds.h"

#include <algorithm>
#include <climits>

#include <QApplication>
#include <QFontInfo>
#include <QScopedValueRollback>

bool g_bIgnoreNextDrag = false;

CKelvoView::CKelvoView(CKelvoDoc* document, ViewDefaults* app, QWidget* parent)
    : CVirtualScrollView(parent), m_pApp(app), m_pDoc(document) {
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setAutoFillBackground(true);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setCursor(Qt::IBeamCursor);
    // The cursor changes over the margin while no button is down.
    viewport()->setMouseTracking(true);
    // A view that outlives its document (a window still closing) shows nothing.
    connect(document, &QObject::destroyed, this, [this] {
        m_pDoc = nullptr;
        SetStore(nullptr);
    });
    connect(document, &CKelvoDoc::storeReplaced, this, &CKelvoView::OnStoreReplaced);
    connect(document, &CKelvoDoc::textChanged, this, &CKelvoView::OnTextChanged);
}

CKelvoView::~CKelvoView() {
    g_bIgnoreNextDrag = true;
    // The font stays with the sibling; the shared pointer frees it after the last view.
    LeaveSibling();
}

void CKelvoView::LeaveSibling() {
    if (m_pSibling != nullptr)
        m_pSibling->m_pSibling = nullptr;
    m_pSibling = nullptr;
}

void CKelvoView::SetStore(TextStore* store) {
    m_pStore = store;
    m_caret.SetStore(store);
}

void CKelvoView::OnStoreReplaced(TextStore* store) {
    SetStore(store);
    m_lineStates.Reset(m_lineStates.Kind()); // another text: its lines are lexed afresh
    if (m_pFont == nullptr)
        return; // not set up yet: OnInitialUpdate takes the store
    MeasureAllLines();
    UpdateScrollSizes();
    ScrollToPosition(m_ptScrollPos); // brought within the new total
}

TextPos CKelvoView::EditStore(TextPos from, EditKind kind, const char* text, TextPos to) {
    const QScopedValueRollback making(m_bMakingEdit, true);
    return m_pStore->Edit(from, kind, text, to);
}

void CKelvoView::OnTextChanged(const TextChange& change) {
    if (m_pFont == nullptr || m_pStore == nullptr)
        return; // not set up yet: OnInitialUpdate measures the text as it finds it
    if (!m_bMakingEdit)
        KeepPositionsInText();
    const int widest = m_nWidestLine;
    NoteEditedWidths(change.from.line, change.LastLine());
    // A coloured line may change colour left of the edit ("1k" becomes the name "1kx") and
    // the lines below it with its state (".control" typed).
    const bool coloured = m_lineStates.Kind() != SpiceKind::Plain;
    const bool settled = m_lineStates.OnTextChanged(*m_pStore, change);
    QRect area = viewport()->rect().translated(m_ptScrollPos);
    area.setTop(change.from.line * m_nLineHeight);
    if (change.SpansLines() || m_nWidestLine != widest)
        UpdateScrollSizes();
    if (!m_bMakingEdit) {
        // Its caret and selection stand where they stood, on text that may have moved.
        viewport()->update();
        m_ptCaret = PosToPoint(ActiveEnd());
        SetCaretPixel(m_ptCaret);
        return;
    }
    if (!change.SpansLines() && settled) {
        area.setBottom((change.from.line + 1) * m_nLineHeight - 1);
        if (!coloured)
            area.setLeft(kLeftMargin +
                         Extent(m_pStore->LineAt(change.from.line), change.from.column));
    }
    viewport()->update(area.translated(-m_ptScrollPos));
}

void CKelvoView::SetCaretPosition(TextPos pos) {
    if (const std::optional<CaretModel::Span> shown = m_caret.Collapse(pos)) {
        InvertSpan(*shown);
        m_nScrollsWhileSelected = 0;
    }
    ScrollCaretIntoView();
    emit caretChanged();
}

void CKelvoView::ExtendSelection(TextPos pos) {
    const bool started = !HasSelection();
    const std::optional<CaretModel::Span> changed = m_caret.Extend(pos);
    if (!changed)
        return;
    InvertSpan(*changed);
    // The caret is not drawn while a selection shows.
    if (started)
        viewport()->update(QRect(CaretPixel(), QSize(2, m_nLineHeight)));
}

QFont CKelvoView::DisplayFont(const LogFont& logFont) {
    QFont font = logFont.ToQFont();
    font.setHintingPreference(QFont::PreferFullHinting);
    return font;
}

void CKelvoView::CreateFontAndMeasure() {
    m_glyphs = std::make_unique<GlyphTable>(*m_pFont, viewport());
    const QFontMetrics& metrics = m_glyphs->Metrics();
    const int tmHeight = metrics.height();
    const int internalLeading = std::max(0, tmHeight - QFontInfo(*m_pFont).pixelSize());
    const int externalLeading = std::max(0, metrics.leading());
    // tmHeight already holds the internal leading; it is added once more.
    m_nLineHeight = std::max(1, tmHeight + internalLeading + externalLeading);
    // A fixed-pitch font's average character width is the advance all its characters
    // share, so tab stops fall exactly on the columns blanks reach.
    const int cell = m_glyphs->CellAdvance();
    m_nCharWidth = std::max(1, cell > 0 ? cell : metrics.averageCharWidth());
    m_nTabStop = m_nTabSize * m_nCharWidth;
    MeasureAllLines();
}

void CKelvoView::OnInitialUpdate(CKelvoView* firstPane) {
    if (m_pDoc == nullptr)
        return;
    SetStore(m_pDoc->GetStore());
    if (firstPane == nullptr) {
        m_pSibling = nullptr;
        m_ptCaret = QPoint(0, 0);
        m_nTabSize = 4;
        m_bOverwrite = false;
        m_crText = m_pApp->m_crWindowText;
        m_logFont = m_pApp->m_lfDefault;
        m_pFont = std::make_shared<QFont>(DisplayFont(m_logFont));
        CreateFontAndMeasure();
        m_strFind.clear();
        m_strReplace.clear();
        m_bSearchForward = true;
        m_bMatchCase = false;
        m_bWholeWord = false;
        m_bReplaceActive = false;
    } else {
        m_pSibling = firstPane;
        firstPane->m_pSibling = this;
        m_nTabSize = firstPane->m_nTabSize;
        m_bOverwrite = firstPane->m_bOverwrite;
        m_crText = firstPane->m_crText;
        ShareFontOf(*firstPane);
        // The new pane searches on as the first did; afterwards each keeps its own state.
        m_strFind = firstPane->m_strFind;
        m_strReplace = firstPane->m_strReplace;
        m_bSearchForward = firstPane->m_bSearchForward;
        m_bMatchCase = firstPane->m_bMatchCase;
        m_bWholeWord = firstPane->m_bWholeWord;
        m_bReplaceActive = firstPane->m_bReplaceActive;
        m_ptCaret = QPoint(0, 0);
    }
    // A pane starts at the top of the text, with no selection.
    m_caret.Collapse(TextPos{0, 0});
    SetScrollSizes(MM_TEXT, QSize(0, 0));
    SetCaretPixel(QPoint(kLeftMargin, 0));
    CVirtualScrollView::OnInitialUpdate();
}

void CKelvoView::ShareFontOf(const CKelvoView& other) {
    m_logFont = other.m_logFont;
    m_pFont = other.m_pFont;
    m_glyphs = std::make_unique<GlyphTable>(*m_pFont, viewport());
    m_nLineHeight = other.m_nLineHeight;
    m_nCharWidth = other.m_nCharWidth;
    m_nTabStop = m_nTabSize * m_nCharWidth; // each pane keeps its own tab size
    if (m_nTabStop == other.m_nTabStop)
        m_nWidestLine = other.m_nWidestLine;
    else
        MeasureAllLines();
}

void CKelvoView::NoteWidths(int firstLine, int lastLine) {
    if (m_pStore == nullptr || lastLine < firstLine)
        return;
    const LineRecord* line = m_pStore->LineAt(std::max(firstLine, 0));
    for (int i = std::max(firstLine, 0); line != nullptr && i <= lastLine; ++i, line = line->next)
        NoteWidth(line);
}

void CKelvoView::NoteEditedWidths(int firstLine, int lastLine) {
    // More lines than this are left to the paint, as the lines of an opened file are: a
    // whole file given back by Undo would otherwise be measured line by line at once.
    constexpr int kMeasuredAtOnce = 10000;
    if (lastLine - firstLine < kMeasuredAtOnce)
        NoteWidths(firstLine, lastLine);
}

void CKelvoView::MeasureAllLines() {
    m_nWidestLine = 0;
    if (m_pStore == nullptr)
        return;
    if (const std::optional<int> widest = WidestAsRead())
        m_nWidestLine = *widest;
    else
        NoteWidths(0, m_pStore->LineCount() - 1);
}

// A fixed width would leave the end of a long line out of reach, or show a bar where every
// line fits: the width is the widest line's, with room for its highlighted line break.
int CKelvoView::TotalWidth() const {
    const std::int64_t width = std::int64_t{kLeftMargin} + m_nWidestLine + m_nCharWidth;
    return int(std::min<std::int64_t>(width, INT_MAX / 2));
}

void CKelvoView::UpdateScrollSizes() {
    const int width = viewport()->width();
    const int height = viewport()->height();
    const std::int64_t total = std::int64_t{m_nLineHeight} * (m_pStore ? m_pStore->LineCount() : 1);
    SetScrollSizes(MM_TEXT, QSize(TotalWidth(), int(std::min<std::int64_t>(total, INT_MAX / 2))),
                   QSize(width / 6, height - m_nLineHeight), QSize(m_nLineHeight, m_nLineHeight));
}

QPoint CKelvoView::PosToPoint(TextPos pos, const LineRecord** lineOut) const {
    const LineRecord* line = m_pStore ? m_pStore->LineAt(std::max(pos.line, 0)) : nullptr;
    if (lineOut != nullptr)
        *lineOut = line;
    const int column = std::clamp(pos.column, 0, line != nullptr ? line->length : 0);
    return QPoint(Extent(line, column) + kLeftMargin - m_ptScrollPos.x(),
                  pos.line * m_nLineHeight - m_ptScrollPos.y());
}

TextPos CKelvoView::PointToPos(QPoint point, QPoint* caretOut, const LineRecord** lineOut) const {
    if (m_pStore == nullptr || m_pStore->LineCount() == 0)
        return {};
    const int y = std::max(0, point.y() + m_ptScrollPos.y());
    const int index = std::min(y / m_nLineHeight, m_pStore->LineCount() - 1);
    const LineRecord* line = m_pStore->LineAt(index);
    if (lineOut != nullptr)
        *lineOut = line;
    const int x = point.x() + m_ptScrollPos.x() - kLeftMargin;
    if (x < 0)
        return {index, 0};
    // The first character whose right edge reaches x; extents only grow along a line, so
    // it is found by halving.
    int low = 1;
    int high = line->length + 1; // none reaches x
    while (low < high) {
        const int middle = low + (high - low) / 2;
        if (Extent(line, middle) >= x)
            high = middle;
        else
            low = middle + 1;
    }
    const int i = low - 1;
    const int cur = Extent(line, std::min(i + 1, line->length));
    const int prev = i < line->length ? Extent(line, i) : cur;
    const bool after = (prev + cur) / 2 < x;
    const int column = after ? std::min(i + 1, line->length) : i;
    if (caretOut != nullptr)
        *caretOut = QPoint((after ? cur : prev) + kLeftMargin - m_ptScrollPos.x(),
                           index * m_nLineHeight - m_ptScrollPos.y());
    return {index, column};
}

void CKelvoView::ScrollTo(QPoint position) {
    if (HasSelection())
        ++m_nScrollsWhileSelected;
    ScrollToPosition(position);
}

void CKelvoView::ScrollCaretIntoView() {
    const TextPos active = ActiveEnd();
    const int width = viewport()->width();
    const int height = viewport()->height();
    const LineRecord* line = nullptr;
    QPoint p = PosToPoint(active, &line);
    // A line only partly visible at the bottom counts as visible.
    const bool inside = p.x() >= 0 && p.x() < width && p.y() >= 0 && p.y() < height - 1;
    if (!inside) {
        int x = m_ptScrollPos.x();
        int y = m_ptScrollPos.y();
        if (p.y() < 0)
            y = active.line * m_nLineHeight;
        else if (p.y() >= height - 1)
            y = (active.line + 1) * m_nLineHeight - height;
        const int e = Extent(line, std::clamp(active.column, 0, line ? line->length : 0));
        if (p.x() < 0)
            x = std::max(0, e - m_nLineHeight + kLeftMargin);
        else if (p.x() >= width)
            x = e + m_nLineHeight + kLeftMargin - width;
        ScrollTo(QPoint(x, y));
        p = PosToPoint(active);
    }
    m_ptCaret = p;
    SetCaretPixel(p);
}

namespace {

const CommandEntry<CKelvoView> kViewCommands[] = {
    {ID_EDIT_UNDO, &CKelvoView::OnEditUndo, &CKelvoView::OnUpdateEditUndo},
    {ID_EDIT_REDO, &CKelvoView::OnEditRedo, &CKelvoView::OnUpdateEditRedo},
    {ID_EDIT_CUT, &CKelvoView::OnEditCut, &CKelvoView::OnUpdateNeedSelection},
    {ID_EDIT_COPY, &CKelvoView::OnEditCopy, &CKelvoView::OnUpdateNeedSelection},
    {ID_EDIT_PASTE, &CKelvoView::OnEditPaste, &CKelvoView::OnUpdateEditPaste},
    {ID_EDIT_SELECT_ALL, &CKelvoView::OnEditSelectAll, nullptr},
    {ID_OPTIONS_FONT, &CKelvoView::OnOptionsFont, nullptr},
    {ID_FILE_PRINT, &CKelvoView::OnFilePrint, nullptr},
    {ID_FILE_PRINT_PREVIEW, &CKelvoView::OnFilePrintPreview, nullptr},
    {ID_EDIT_FIND, &CKelvoView::OnFind, nullptr},
    {ID_EDIT_REPLACE, &CKelvoView::OnReplace, nullptr},
    {ID_SEARCH_FIND_AGAIN, &CKelvoView::OnFindAgain, &CKelvoView::OnUpdateNeedSearchText},
    {ID_SEARCH_FIND_LAST, &CKelvoView::OnFindLast, &CKelvoView::OnUpdateNeedSearchText},
    {ID_SEARCH_REPLACE_STOP, &CKelvoView::OnReplaceStop, &CKelvoView::OnUpdateReplaceFollowUp},
    {ID_SEARCH_REPLACE_FIND, &CKelvoView::OnReplaceFindAgain, &CKelvoView::OnUpdateReplaceFollowUp},
    {ID_SEARCH_GO_TO_LINE, &CKelvoView::OnGoToLine, nullptr},
    {ID_SEARCH_OPEN_SELECTION, &CKelvoView::OnOpenSelection, &CKelvoView::OnUpdateNeedSelection},
    {ID_SEARCH_GO_TO_ERROR, &CKelvoView::OnGoToError, &CKelvoView::OnUpdateGoToError},
    {ID_SEARCH_GO_TO_PREVIOUS_ERROR, &CKelvoView::OnGoToPreviousError,
     &CKelvoView::OnUpdateGoToError},
    {ID_SEARCH_GO_TO_DEFINITION, &CKelvoView::OnGoToDefinition, &CKelvoView::OnUpdateGoToDefinition},
};

} // namespace

bool CKelvoView::OnCommand(int id) {
    return DispatchCommand(this, kViewCommands, id);
}

bool CKelvoView::OnUpdateCommand(CommandUpdate& update) {
    return DispatchUpdate(this, kViewCommands, update);
}

void CKelvoView::OnOptionsFont() {
    if (m_pDoc == nullptr)
        return;
    LogFont chosen = m_logFont;
    QColor colour = m_crText;
    if (!m_pDoc->GetPlatform()->ChooseFont(chosen, colour))
        return;
    m_logFont = chosen;
    if (colour != m_crText) {
        m_crText = colour;
        if (m_pSibling != nullptr)
            m_pSibling->m_crText = colour;
    }
    m_pFont = std::make_shared<QFont>(DisplayFont(m_logFont));
    CreateFontAndMeasure();
    if (m_pSibling != nullptr) {
        CKelvoView* sibling = m_pSibling;
        sibling->ShareFontOf(*this);
        sibling->viewport()->repaint();
        sibling->m_ptCaret = sibling->PosToPoint(sibling->CaretPos());
        sibling->SetCaretPixel(sibling->m_ptCaret);
    }
    viewport()->repaint();
    SetCaretPixel(m_ptCaret);
    ScrollCaretIntoView();
}
