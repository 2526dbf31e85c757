// Printing: the page layout of the view's text on the program's printer, for the print job
// and for the preview.

#include <algorithm>

#include <QApplication>
#include <QPainter>
#include <QPrinter>

#include "CKelvoView.h"
#include "FileName.h"
#include "Windows1252.h"

namespace {

constexpr char kNotSaved[] = " (Not Saved)";
constexpr char kPageNumber[] = "Page %1";
constexpr char kShortened[] = "...";

// A quarter of an inch.
int Margin(int dpiX) {
    return dpiX * 25 / 100;
}

} // namespace

int CKelvoView::PrintScale() const {
    // A printer coarser than the screen still prints at the screen's size.
    const int screen = std::max(1, viewport()->logicalDpiY());
    return std::max(1, m_nPrinterDpiY / screen);
}

int CKelvoView::PrintedLines() const {
    if (m_bPrintSelection)
        return std::abs(CaretPos().line - m_posPrintSelEnd.line) + 1;
    return m_pStore != nullptr ? m_pStore->LineCount() : 0;
}

void CKelvoView::OnFilePrint() {
    if (m_pDoc == nullptr || !OnPreparePrinting(false))
        return;
    PrintPages(m_pApp->Printer());
    OnEndPrinting();
}

void CKelvoView::OnFilePrintPreview() {
    if (m_pDoc == nullptr || !OnPreparePrinting(true))
        return;
    // The preview shows one page when the whole text fits on it, else two side by side.
    const std::int64_t needed = std::int64_t{m_nLineHeight} * (PrintedLines() + 2) * PrintScale();
    const int pagesShown = m_pApp->Printer().height() >= needed ? 1 : 2;
    // The preview paints its pages whenever it needs them, each time a whole job.
    m_pDoc->GetPlatform()->PrintPreview(m_pApp->Printer(), pagesShown,
                                        [this](QPrinter* printer) { return PrintPages(*printer); });
    OnEndPrinting();
}

bool CKelvoView::OnPreparePrinting(bool preview) {
    KeepPositionsInText();
    QPrinter& printer = m_pApp->Printer();
    const bool offerSelection = HasSelection();
    // With nothing selected there is no moving end to keep: an old selection's end would
    // select text that was never selected.
    m_posPrintSelEnd = ActiveEnd();
    const TextPos fixedEnd = CaretPos();
    // The preview asks nothing: it shows the selection when one is shown.
    bool selection = preview && offerSelection;
    const bool go =
        preview || m_pDoc->GetPlatform()->PrintDialog(printer, offerSelection, selection);
    if (!go) {
        // The dialog took the focus, and with it the selection: it comes back.
        if (offerSelection && m_posPrintSelEnd != fixedEnd) {
            m_caret.SetCaret(fixedEnd);
            ExtendSelection(m_posPrintSelEnd);
        }
        m_posPrintSelEnd = {};
        return false;
    }
    m_bPrintSelection = offerSelection && selection;
    m_nPrinterDpiX = printer.logicalDpiX();
    m_nPrinterDpiY = printer.logicalDpiY();
    return true;
}

int CKelvoView::PrintPages(QPrinter& printer) {
    QPainter painter;
    if (!painter.begin(&printer))
        return 0;
    painter.setFont(QFont(QApplication::font(), &printer));
    OnBeginPrinting(painter);
    const int first = printer.fromPage() > 0 ? std::max(printer.fromPage(), 1) : 1;
    const int last =
        printer.toPage() > 0 ? std::min(printer.toPage(), m_nPrintPageCount) : m_nPrintPageCount;
    for (int page = first; page <= last; ++page) {
        if (page > first)
            printer.newPage();
        OnPrint(painter, page);
    }
    painter.end();
    return m_nPrintPageCount;
}

void CKelvoView::OnBeginPrinting(QPainter& painter) {
    QPaintDevice* device = painter.device();
    m_nPrinterDpiX = device->logicalDpiX();
    m_nPrinterDpiY = device->logicalDpiY();
    const int pageHeight = device->height();
    // The height of a blank in the header's font: the font's whole line height.
    const int headerHeight = QFontMetrics(painter.font(), device).height();
    const int lineHeight = PrintScale() * m_nLineHeight;
    // A page too low for a line still takes one.
    m_nLinesPerPage = std::max(1, (pageHeight - 2 * headerHeight) / std::max(1, lineHeight));
    m_nPageBodyHeight = lineHeight * m_nLinesPerPage;
    m_nPrintPageCount = std::max(1, (PrintedLines() + m_nLinesPerPage - 1) / m_nLinesPerPage);
    // Pages are drawn from the text's own origin, whatever the window's scroll position,
    // which stays: the window goes on showing its text behind the preview.
}

QString CKelvoView::PrintTitle(const QFontMetrics& metrics, int room) const {
    QString title =
        m_pDoc->GetPathName().isEmpty() ? m_pDoc->GetTitle() : m_pDoc->GetPathName().Display();
    title +=
        m_pDoc->IsModified() ? QString(kNotSaved) : QString(" (%1) ").arg(m_pDoc->GetFileTime());
    // The path loses its leading folders one at a time while it does not fit.
    while (metrics.horizontalAdvance(title) > room) {
        const qsizetype slash = title.indexOf('/');
        if (slash < 0)
            break;
        title = kShortened + title.mid(slash + 1);
    }
    return title;
}

void CKelvoView::OnPrint(QPainter& painter, int page) {
    QPaintDevice* device = painter.device();
    const QRect draw(0, 0, device->width(), device->height());
    const QFontMetrics metrics(painter.font(), device);
    const int margin = Margin(m_nPrinterDpiX);
    const QString pageText = QString(kPageNumber).arg(page);
    const int pageWidth = metrics.horizontalAdvance(pageText);
    const QString title = PrintTitle(metrics, draw.width() - 2 * margin - pageWidth);
    painter.resetTransform();
    painter.setPen(Qt::black);
    painter.drawText(QPoint(margin, metrics.ascent()), title);
    painter.drawText(QPoint(draw.right() - margin - pageWidth, metrics.ascent()), pageText);
    // The page's first line stands two header heights below the top.
    const int titleHeight = metrics.height();
    painter.translate(draw.left(), draw.top() - (m_nPageBodyHeight * (page - 1) - 2 * titleHeight));
    m_nPrintFirstLine = m_nLinesPerPage * (page - 1);
    m_nPrintEndLine = m_nPrintFirstLine + m_nLinesPerPage;
    if (m_bPrintSelection)
        PrintSelection(painter);
    else
        DrawPrintedLines(painter);
}

void CKelvoView::DrawPrintedText(QPainter& painter, std::string_view bytes, int y) const {
    const QFontMetrics metrics(painter.font(), painter.device());
    const int margin = Margin(m_nPrinterDpiX);
    const int tabStop = std::max(1, m_nTabStop * PrintScale());
    int x = margin;
    std::size_t at = 0;
    while (at <= bytes.size()) {
        const std::size_t tab = bytes.find('\t', at);
        const std::string_view run =
            bytes.substr(at, tab == std::string_view::npos ? std::string_view::npos : tab - at);
        const QString text = DisplayBytes(run);
        painter.drawText(QPoint(x, y + metrics.ascent()), text);
        x += metrics.horizontalAdvance(text);
        if (tab == std::string_view::npos)
            break;
        x = margin + ((x - margin) / tabStop + 1) * tabStop; // tab stops from the margin
        at = tab + 1;
    }
}

namespace {

// The view's font at `scale` times its size, for the printer.
QFont PrintFont(LogFont font, int scale, QPaintDevice* printer) {
    font.height *= scale;
    return QFont(font.ToQFont(), printer);
}

} // namespace

void CKelvoView::DrawPrintedLines(QPainter& painter) {
    if (m_pStore == nullptr || m_nPrintFirstLine >= m_pStore->LineCount())
        return;
    const QFont kept = painter.font();
    painter.setFont(PrintFont(m_logFont, PrintScale(), painter.device()));
    painter.setPen(m_crText);
    const int lineHeight = PrintScale() * m_nLineHeight;
    const LineRecord* line = m_pStore->LineAt(m_nPrintFirstLine);
    for (int i = m_nPrintFirstLine; line != nullptr && i < m_nPrintEndLine; ++i, line = line->next)
        DrawPrintedText(painter, Chars(line), i * lineHeight);
    painter.setFont(kept);
}

void CKelvoView::PrintSelection(QPainter& painter) {
    if (m_pStore == nullptr)
        return;
    const QFont kept = painter.font();
    painter.setFont(PrintFont(m_logFont, PrintScale(), painter.device()));
    painter.setPen(m_crText);
    const int lineHeight = PrintScale() * m_nLineHeight;
    const TextPos start = m_pStore->Clamp(std::min(CaretPos(), m_posPrintSelEnd));
    const TextPos end = m_pStore->Clamp(std::max(CaretPos(), m_posPrintSelEnd));
    // The end line prints only when something of it is selected.
    const int stop = std::min(start.line + m_nPrintEndLine, end.line + (end.column > 0 ? 1 : 0));
    int index = start.line + m_nPrintFirstLine;
    const LineRecord* line = m_pStore->LineAt(index);
    for (; line != nullptr && index < stop; ++index, line = line->next) {
        std::string_view chars = Chars(line);
        if (index == end.line)
            chars = chars.substr(0, std::size_t(end.column));
        if (index == start.line)
            chars = chars.substr(std::min(chars.size(), std::size_t(start.column)));
        // Lines are placed from the page's first line, as every page's are.
        DrawPrintedText(painter, chars, (index - start.line) * lineHeight);
    }
    painter.setFont(kept);
}

void CKelvoView::OnEndPrinting() {
    m_nPrintFirstLine = m_nPrintEndLine = 0;
    if (m_bPrintSelection) {
        // The selection shows again after the dialog and the job.
        if (!HasSelection() && m_posPrintSelEnd != CaretPos())
            ExtendSelection(m_posPrintSelEnd);
        viewport()->update();
    }
    m_posPrintSelEnd = {};
    m_bPrintSelection = false;
}
