#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>

#include <QApplication>
#include <QPaintEvent>
#include <QPainter>
#include <QScopedValueRollback>

#include "CKelvoView.h"

namespace {

// Long runs are measured and drawn in pieces, so a paint of a huge line stops at the
// window's right edge.
constexpr std::size_t kPieceBytes = 256;

// The widest a line is measured, in pixels from its left edge. A line wider than that
// (millions of tabs) ends there: its pixels, and the scroll range over them, stay well
// inside what an int holds, also from an origin scrolled far to the left.
constexpr int kWidestWalk = INT_MAX / 4;

} // namespace

template <class Piece>
int CKelvoView::WalkLine(const LineRecord* line, int n, int x, Piece&& piece) const {
    if (line == nullptr)
        return x;
    const std::string_view chars = Chars(line).substr(0, std::size_t(std::max(n, 0)));
    const int tabStop = std::max(m_nTabStop, 1);
    // Tab stops lie every m_nTabStop pixels from the line's left edge; `stop` is the first
    // one right of x, kept up without a division for the usual short run.
    const int origin = x;
    const int end = origin + kWidestWalk;
    int stop = origin + tabStop;
    std::size_t i = 0;
    while (i < chars.size()) {
        if (x >= end)
            return end;
        if (chars[i] == '\t') {
            x = stop;
            stop += tabStop;
            ++i;
            continue;
        }
        // memchr, not std::find: measuring every line of a large file at open is this scan.
        const std::size_t most = std::min(chars.size() - i, kPieceBytes);
        const void* tab = std::memchr(chars.data() + i, '\t', most);
        const std::string_view run(
            chars.data() + i, tab != nullptr
                                  ? std::size_t(static_cast<const char*>(tab) - (chars.data() + i))
                                  : most);
        const int width = m_glyphs->Width(run);
        if (!piece(run, x, width))
            return x;
        x += width;
        i += run.size();
        if (x - stop < 8 * tabStop)
            while (stop <= x)
                stop += tabStop;
        else
            stop = origin + ((x - origin) / tabStop + 1) * tabStop;
    }
    return std::min(x, end);
}

// Where every byte advances alike and a tab stop is a whole number of columns, a line's
// extent is its tab-expanded column count times the advance. Opening a large file
// measures every line, and this count is several times quicker than the general walk.
static std::int64_t ExpandedColumns(std::string_view chars, int tabSize) {
    if (chars.empty())
        return 0; // an empty line may have no text at all, and memchr wants some
    const bool powerOfTwo = (tabSize & (tabSize - 1)) == 0;
    std::int64_t columns = 0;
    const char* at = chars.data();
    const char* const end = at + chars.size();
    while (const void* found = std::memchr(at, '\t', std::size_t(end - at))) {
        const auto* tab = static_cast<const char*>(found);
        columns += tab - at;
        columns = powerOfTwo ? (columns | (tabSize - 1)) + 1 : (columns / tabSize + 1) * tabSize;
        at = tab + 1;
    }
    return columns + (end - at);
}

int CKelvoView::Extent(const LineRecord* line, int n) const {
    const int advance = m_glyphs->UniformAdvance();
    if (line != nullptr && advance > 0 && m_nTabSize > 0 && m_nTabStop == m_nTabSize * advance) {
        const std::string_view chars = Chars(line).substr(0, std::size_t(std::max(n, 0)));
        return int(
            std::min<std::int64_t>(ExpandedColumns(chars, m_nTabSize) * advance, kWidestWalk));
    }
    return WalkLine(line, n, 0, [](std::string_view, int, int) { return true; });
}

std::optional<int> CKelvoView::WidestAsRead() const {
    // With a fixed pitch and no tab, a line is as wide as its bytes, and the read found
    // the longest: the lines of a large file need no walk.
    const int advance = m_glyphs->UniformAdvance();
    const std::optional<TextStore::ReadShape> shape = m_pStore->ShapeAsRead();
    if (!shape || shape->tabs || advance <= 0 || m_nTabSize <= 0 ||
        m_nTabStop != m_nTabSize * advance)
        return std::nullopt;
    return int(std::min<std::int64_t>(std::int64_t{shape->longestLine} * advance, kWidestWalk));
}

void CKelvoView::NoteWidth(const LineRecord* line) {
    m_nWidestLine = std::max(m_nWidestLine, Extent(line, line->length));
}

QColor CKelvoView::StyleColour(SpiceStyle style) const {
    // Dark enough to read on the window's white, apart enough to tell at a glance.
    static constexpr QRgb kColours[kSpiceStyles] = {
        0,        // Plain: the view's text colour
        0x7b1fa2, // Title
        0x2e7d32, // Comment
        0xad1457, // Continuation
        0x0d47a1, // DotCard
        0x6d4c41, // Passive
        0xc62828, // Source
        0x00695c, // Device
        0x283593, // Instance
        0xb35c00, // Number
        0x827717, // Expression
        0x455a64, // Parameter
        0x8e24aa, // String
        0x0d47a1, // Command
        0x00838f, // Variable
        0xc62828, // Error
        0xb35c00, // Warning
    };
    return style == SpiceStyle::Plain ? m_crText : QColor::fromRgb(kColours[int(style)]);
}

SpiceKind CKelvoView::ColourKind() {
    const SpiceKind kind = m_pApp->m_bSyntaxColours ? FileKind() : SpiceKind::Plain;
    if (kind != m_lineStates.Kind())
        m_lineStates.Reset(kind);
    return kind;
}

void CKelvoView::DrawLine(QPainter& painter, const LineRecord* line, int x, int y, int clipRight,
                          const std::vector<SpiceSpan>* spans) const {
    const int baseline = y + m_glyphs->Metrics().ascent();
    const char* const text = Chars(line).data();
    std::size_t next = 0; // the first span that may reach the piece
    WalkLine(line, line->length, x, [&](std::string_view run, int at, int width) {
        if (at >= clipRight)
            return false;
        if (at + width <= 0)
            return true;
        if (spans == nullptr) {
            m_glyphs->Draw(painter, run, at, baseline);
            return true;
        }
        // The piece in stretches of one style each, every one placed after the widths of
        // those before it.
        const auto begin = std::size_t(run.data() - text);
        const std::size_t end = begin + run.size();
        std::size_t from = begin;
        while (from < end) {
            while (next < spans->size() && (*spans)[next].start + (*spans)[next].length <= from)
                ++next;
            const SpiceSpan* span = next < spans->size() ? &(*spans)[next] : nullptr;
            const bool inside = span != nullptr && span->start <= from;
            const std::size_t to =
                inside ? std::min<std::size_t>(end, span->start + span->length)
                       : std::min<std::size_t>(end, span != nullptr ? span->start : end);
            const std::string_view stretch = run.substr(from - begin, to - from);
            const QColor colour = StyleColour(inside ? span->style : SpiceStyle::Plain);
            if (painter.pen().color() != colour)
                painter.setPen(colour);
            m_glyphs->Draw(painter, stretch, at + m_glyphs->Width(run.substr(0, from - begin)),
                           baseline);
            from = to;
        }
        return true;
    });
}

std::vector<QRect> CKelvoView::SelectionRects(TextPos a, TextPos b) const {
    std::vector<QRect> rects;
    if (m_pStore == nullptr || m_pStore->LineCount() == 0)
        return rects;
    const TextPos start = std::min(a, b);
    const TextPos end = std::max(a, b);
    const int scrollY = m_ptScrollPos.y();
    const int top = std::max(start.line, scrollY / m_nLineHeight - 2);
    const int bottom = std::min(end.line, (scrollY + viewport()->height()) / m_nLineHeight + 1);
    // The extent of n characters, where the character after the last is the line's break:
    // a line whose end lies inside the range shows one character more than its text.
    auto extent = [this](const LineRecord* line, int column) {
        const int length = line->length;
        if (column > length)
            return Extent(line, length) + m_nCharWidth;
        return Extent(line, std::max(column, 0));
    };
    const LineRecord* line = top <= bottom ? m_pStore->LineAt(top) : nullptr;
    for (int i = top; i <= bottom && line != nullptr; ++i) {
        const int left = kLeftMargin + (i == start.line ? extent(line, start.column) : 0);
        const int right = kLeftMargin + (i == end.line ? extent(line, end.column)
                                                       : extent(line, line->length + 1));
        if (right > left)
            rects.emplace_back(left - m_ptScrollPos.x(), i * m_nLineHeight - scrollY, right - left,
                               m_nLineHeight);
        // A line index beyond the text (an edit has just removed it) counts as the last.
        if (line->next != nullptr)
            line = line->next;
    }
    return rects;
}

void CKelvoView::InvertSelection(const TextPos* newEnd) {
    if (HasSelection())
        InvertSpan({SelEnd(), newEnd != nullptr ? *newEnd : CaretPos()});
}

void CKelvoView::InvertSpan(CaretModel::Span span) {
    // The highlight is painted with the text; inverting a range means repainting it.
    for (const QRect& rect : SelectionRects(span.a, span.b))
        viewport()->update(rect);
}

void CKelvoView::paintEvent(QPaintEvent* event) {
    const QScopedValueRollback painting(m_bPainting, true);
    if (m_pFont == nullptr)
        return; // not set up yet: the background is all there is

    QPainter painter(viewport());
    painter.setFont(*m_pFont);
    painter.setPen(m_crText);
    const QRect clip = event->rect();
    const int scrollY = m_ptScrollPos.y();
    const int first = (scrollY + clip.top()) / m_nLineHeight - 2;
    const int last = (scrollY + clip.top() + clip.height()) / m_nLineHeight + 1;
    const int start = std::max(first, 0);
    m_nLastPaintFirst = m_nLastPaintLast = -1;
    if (m_pStore != nullptr && start < m_pStore->LineCount()) {
        const int clipRight = clip.left() + clip.width();
        const SpiceKind kind = ColourKind();
        const LineRecord* line = m_pStore->LineAt(start);
        int i = start;
        for (; line != nullptr && i <= last; ++i, line = line->next) {
            const std::vector<SpiceSpan>* spans = nullptr;
            if (kind != SpiceKind::Plain) {
                m_spans.clear();
                SpiceLexer::Lex(kind, Chars(line), m_lineStates.StateBefore(*m_pStore, i),
                                &m_spans);
                spans = &m_spans;
            }
            DrawLine(painter, line, kLeftMargin - m_ptScrollPos.x(), i * m_nLineHeight - scrollY,
                     clipRight, spans);
            NoteWidth(line); // lines too many to measure at an edit reach the width here
        }
        painter.setPen(m_crText);
        m_nLastPaintFirst = start;
        m_nLastPaintLast = i - 1;
    }
    if (HasSelection()) {
        painter.setCompositionMode(QPainter::CompositionMode_Difference);
        for (const QRect& rect : SelectionRects(CaretPos(), SelEnd()))
            if (rect.intersects(clip))
                painter.fillRect(rect, Qt::white);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    }
    if (IsCaretShown() && m_bCaretBlinkOn)
        painter.fillRect(QRect(m_ptSystemCaret, QSize(2, m_nLineHeight)), m_crText);
    painter.end();

    UpdateScrollSizes();
    m_bPainted = true;
}

bool CKelvoView::IsCaretShown() const {
    return hasFocus() && !HasSelection();
}

void CKelvoView::SetCaretPixel(QPoint point) {
    const QRect old(m_ptSystemCaret, QSize(2, m_nLineHeight));
    m_ptSystemCaret = point;
    viewport()->update(old);
    viewport()->update(QRect(point, QSize(2, m_nLineHeight)));
    RestartCaretBlink();
}

void CKelvoView::OnContentsMoving(QPoint delta) {
    // Erase the caret where it is (the pending repaint moves with the pixels), then let it
    // travel with them.
    viewport()->update(QRect(m_ptSystemCaret, QSize(2, m_nLineHeight)));
    m_ptSystemCaret += delta;
}

void CKelvoView::RestartCaretBlink() {
    m_bCaretBlinkOn = true;
    const int flash = QApplication::cursorFlashTime();
    if (hasFocus() && flash > 0)
        m_caretBlink.start(flash / 2, this);
    else
        m_caretBlink.stop();
}
