#include "PrintPreviewWindow.h"

#include <algorithm>

#include <QAction>
#include <QGuiApplication>
#include <QKeySequence>
#include <QLabel>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QScreen>
#include <QToolBar>
#include <QVBoxLayout>

namespace {

constexpr int kMostZoomSteps = 4;
constexpr qreal kZoomStep = 1.5;

QString PagesText(int first, int shown, int count) {
    if (shown == 1 || first == count)
        return QString("Page %1 of %2").arg(first).arg(count);
    return QString("Pages %1-%2 of %3").arg(first).arg(first + 1).arg(count);
}

} // namespace

PrintPreviewWindow::PrintPreviewWindow(QPrinter& printer, int pagesShown, PaintPages paint,
                                       AskToPrint askToPrint, QWidget* owner)
    : QDialog(owner), m_printer(printer), m_paint(std::move(paint)),
      m_askToPrint(std::move(askToPrint)), m_nPagesShown(pagesShown > 1 ? 2 : 1) {
    setWindowTitle("Kelvo - Print Preview");
    auto* bar = new QToolBar(this);
    bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    bar->addAction("&Print...", this, &PrintPreviewWindow::OnPrint);
    m_next = bar->addAction("&Next Page", this, &PrintPreviewWindow::OnNextPage);
    m_next->setShortcut(Qt::Key_PageDown);
    m_prev = bar->addAction("Pre&v Page", this, &PrintPreviewWindow::OnPrevPage);
    m_prev->setShortcut(Qt::Key_PageUp);
    m_numPage = bar->addAction(QString(), this, &PrintPreviewWindow::OnNumPage);
    m_zoomIn = bar->addAction("Zoom &In", this, &PrintPreviewWindow::OnZoomIn);
    m_zoomOut = bar->addAction("Zoom &Out", this, &PrintPreviewWindow::OnZoomOut);
    bar->addAction("&Close", this, &QDialog::reject);
    // The buttons show no mnemonics, but their keys work as in any dialog.
    for (QAction* action : bar->actions())
        action->setShortcuts(action->shortcuts() << QKeySequence::mnemonic(action->text()));
    m_pageLabel = new QLabel(this);
    m_pageLabel->setContentsMargins(12, 0, 12, 0);
    bar->addWidget(m_pageLabel);

    m_pages = new QPrintPreviewWidget(&printer, this);
    m_pages->setZoomMode(QPrintPreviewWidget::FitInView);
    connect(m_pages, &QPrintPreviewWidget::paintRequested, this,
            &PrintPreviewWindow::PaintShownPages);
    ShowPages(1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(bar);
    layout->addWidget(m_pages, 1);

    // Large enough to read two pages side by side: most of the screen the owner is on.
    const QScreen* screen = owner != nullptr ? owner->screen() : QGuiApplication::primaryScreen();
    if (screen != nullptr) {
        const QRect area = screen->availableGeometry();
        const QSize size = area.size() * 9 / 10;
        setGeometry(QRect(area.topLeft() + QPoint((area.width() - size.width()) / 2,
                                                  (area.height() - size.height()) / 2),
                          size));
    }
}

void PrintPreviewWindow::PaintShownPages(QPrinter* printer) {
    // The job's range is the preview's for as long as it paints; whatever range the
    // printer had before is its own again afterwards.
    const int from = printer->fromPage();
    const int to = printer->toPage();
    printer->setFromTo(m_nFirstPage, m_nFirstPage + m_nPagesShown - 1);
    m_nPageCount = std::max(1, m_paint(printer));
    printer->setFromTo(from, to);
}

void PrintPreviewWindow::ShowPages(int first) {
    m_nFirstPage = std::max(1, first);
    m_pages->setViewMode(m_nPagesShown > 1 ? QPrintPreviewWidget::AllPagesView
                                           : QPrintPreviewWidget::SinglePageView);
    m_pages->updatePreview();
    // A job shorter than the pages asked for (the last page shown alone): from one page
    // earlier, so that two pages stay on show.
    if (m_nFirstPage + m_nPagesShown - 1 > m_nPageCount && m_nFirstPage > 1) {
        m_nFirstPage = std::max(1, m_nPageCount - m_nPagesShown + 1);
        m_pages->updatePreview();
    }
    if (m_nZoomSteps == 0)
        m_pages->setZoomMode(QPrintPreviewWidget::FitInView);
    UpdateControls();
}

void PrintPreviewWindow::UpdateControls() {
    m_next->setEnabled(m_nFirstPage + m_nPagesShown - 1 < m_nPageCount);
    m_prev->setEnabled(m_nFirstPage > 1);
    m_numPage->setText(m_nPagesShown > 1 ? "&One Page" : "&Two Page");
    m_numPage->setShortcut(QKeySequence::mnemonic(m_numPage->text()));
    m_numPage->setEnabled(m_nPagesShown > 1 || m_nPageCount > 1);
    m_zoomIn->setEnabled(m_nZoomSteps < kMostZoomSteps);
    m_zoomOut->setEnabled(m_nZoomSteps > 0);
    m_pageLabel->setText(PagesText(m_nFirstPage, m_nPagesShown, m_nPageCount));
}

void PrintPreviewWindow::OnNextPage() {
    if (m_next->isEnabled())
        ShowPages(m_nFirstPage + 1);
}

void PrintPreviewWindow::OnPrevPage() {
    if (m_prev->isEnabled())
        ShowPages(m_nFirstPage - 1);
}

void PrintPreviewWindow::OnNumPage() {
    if (!m_numPage->isEnabled())
        return;
    m_nPagesShown = m_nPagesShown > 1 ? 1 : 2;
    ShowPages(m_nPagesShown > 1 ? std::min(m_nFirstPage, m_nPageCount - 1) : m_nFirstPage);
}

void PrintPreviewWindow::OnZoomIn() {
    if (!m_zoomIn->isEnabled())
        return;
    ++m_nZoomSteps;
    m_pages->zoomIn(kZoomStep);
    UpdateControls();
}

void PrintPreviewWindow::OnZoomOut() {
    if (!m_zoomOut->isEnabled())
        return;
    // Back to where Zoom In started from, never smaller than the pages fitted.
    if (--m_nZoomSteps == 0)
        m_pages->setZoomMode(QPrintPreviewWidget::FitInView);
    else
        m_pages->zoomOut(kZoomStep);
    UpdateControls();
}

void PrintPreviewWindow::OnPrint() {
    m_printer.setFromTo(0, 0);
    if (!m_askToPrint(m_printer))
        return;
    m_paint(&m_printer);
    accept();
}
