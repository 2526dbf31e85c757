#pragma once

#include <functional>

#include <QDialog>

class QAction;
class QLabel;
class QPrinter;
class QPrintPreviewWidget;

// The preview of a print job: one page, or two side by side, each shown whole, with the
// buttons to page through the job, zoom, print and close. Only the pages on show are
// painted, so a long document previews as fast as a short one.
class PrintPreviewWindow : public QDialog {
    Q_OBJECT

public:
    // paint draws the pages of the printer's from-to range (every page when the range is
    // empty) and returns how many pages the whole job has.
    using PaintPages = std::function<int(QPrinter*)>;
    // The print dialog over the printer: false on Cancel.
    using AskToPrint = std::function<bool(QPrinter&)>;

    PrintPreviewWindow(QPrinter& printer, int pagesShown, PaintPages paint,
                       AskToPrint askToPrint, QWidget* owner = nullptr);

    [[nodiscard]] int FirstPage() const { return m_nFirstPage; }
    [[nodiscard]] int PagesShown() const { return m_nPagesShown; }
    [[nodiscard]] int PageCount() const { return m_nPageCount; }

    void OnNextPage();
    void OnPrevPage();
    // Two pages side by side, or one.
    void OnNumPage();
    void OnZoomIn();
    void OnZoomOut();
    // The print dialog, then the job, with what the preview shows; the preview closes.
    void OnPrint();

private:
    void PaintShownPages(QPrinter* printer);
    void ShowPages(int first);
    void UpdateControls();

    QPrinter& m_printer;
    PaintPages m_paint;
    AskToPrint m_askToPrint;
    QPrintPreviewWidget* m_pages = nullptr;
    QLabel* m_pageLabel = nullptr;
    QAction* m_next = nullptr;
    QAction* m_prev = nullptr;
    QAction* m_numPage = nullptr;
    QAction* m_zoomIn = nullptr;
    QAction* m_zoomOut = nullptr;
    int m_nFirstPage = 1;
    int m_nPagesShown = 1;
    // What the last job said; 1 until the first paint.
    int m_nPageCount = 1;
    // 0 fits the pages in the window; each step in doubles what Zoom In showed before.
    int m_nZoomSteps = 0;
};
