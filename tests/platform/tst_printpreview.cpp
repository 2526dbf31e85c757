#include <QAction>
#include <QLabel>
#include <QPainter>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QScreen>
#include <QtTest>

#include "PrintPreviewWindow.h"

namespace {

// A job of `pages` pages that paints the printer's range, as the view does, and keeps the
// ranges it was asked for.
struct Job {
    int pages = 1;
    std::vector<std::pair<int, int>> asked;

    int operator()(QPrinter* printer) {
        asked.emplace_back(printer->fromPage(), printer->toPage());
        const int first = printer->fromPage() > 0 ? printer->fromPage() : 1;
        const int last = printer->toPage() > 0 ? std::min(printer->toPage(), pages) : pages;
        QPainter painter(printer);
        for (int page = first; page <= last; ++page) {
            if (page > first)
                printer->newPage();
            painter.drawText(100, 100, QString("Page %1").arg(page));
        }
        return pages;
    }
};

QAction* ActionNamed(QWidget* window, const QString& text) {
    for (QAction* action : window->findChildren<QAction*>())
        if (action->text() == text)
            return action;
    return nullptr;
}

QString PagesLabel(QWidget* window) {
    for (QLabel* label : window->findChildren<QLabel*>())
        if (label->text().startsWith("Page"))
            return label->text();
    return {};
}

} // namespace

// The preview window: which pages it paints and shows, and how its buttons page through
// the job.
class PrintPreviewTest : public QObject {
    Q_OBJECT

private slots:
    // Two pages side by side from page 1, in a window of most of the screen; the pages
    // painted are only those on show.
    void startsWithTheFirstPagesSideBySide() {
        QPrinter printer;
        Job job{.pages = 3, .asked = {}};
        PrintPreviewWindow preview(
            printer, 2, std::ref(job), [](QPrinter&) { return false; });
        auto* pages = preview.findChild<QPrintPreviewWidget*>();
        QVERIFY(pages != nullptr);
        QCOMPARE(pages->viewMode(), QPrintPreviewWidget::AllPagesView);
        QCOMPARE(pages->zoomMode(), QPrintPreviewWidget::FitInView);
        QCOMPARE(pages->pageCount(), 2);
        QCOMPARE(job.asked.back(), std::make_pair(1, 2));
        QCOMPARE(PagesLabel(&preview), QString("Pages 1-2 of 3"));
        const QSize screen = QGuiApplication::primaryScreen()->availableGeometry().size();
        QVERIFY(preview.width() >= screen.width() * 8 / 10);
        QVERIFY(preview.height() >= screen.height() * 8 / 10);
    }

    // Each step: the button pressed, then the first page, the pages shown, whether Next and
    // Prev are enabled, and the label.
    void buttonsPageThroughTheJob_data() {
        QTest::addColumn<int>("pageCount");
        QTest::addColumn<int>("pagesShown");
        QTest::addColumn<QStringList>("presses");
        QTest::addColumn<QStringList>("states");
        QTest::newRow("two pages of three")
            << 3 << 2 << QStringList{"&Next Page", "&Next Page", "Pre&v Page", "Pre&v Page"}
            << QStringList{"2 2 no yes Pages 2-3 of 3", "2 2 no yes Pages 2-3 of 3",
                           "1 2 yes no Pages 1-2 of 3", "1 2 yes no Pages 1-2 of 3"};
        QTest::newRow("one page, then two at the end")
            << 3 << 1 << QStringList{"&Next Page", "&Next Page", "&Two Page", "&One Page"}
            << QStringList{"2 1 yes yes Page 2 of 3", "3 1 no yes Page 3 of 3",
                           "2 2 no yes Pages 2-3 of 3", "2 1 yes yes Page 2 of 3"};
        QTest::newRow("a one-page job")
            << 1 << 1 << QStringList{"&Next Page", "&Two Page"}
            << QStringList{"1 1 no no Page 1 of 1", "1 1 no no Page 1 of 1"};
    }

    void buttonsPageThroughTheJob() {
        QFETCH(int, pageCount);
        QFETCH(int, pagesShown);
        QFETCH(QStringList, presses);
        QFETCH(QStringList, states);
        QPrinter printer;
        Job job{.pages = pageCount, .asked = {}};
        PrintPreviewWindow preview(
            printer, pagesShown, std::ref(job), [](QPrinter&) { return false; });
        auto* pages = preview.findChild<QPrintPreviewWidget*>();
        for (qsizetype i = 0; i < presses.size(); ++i) {
            QAction* button = ActionNamed(&preview, presses[i]);
            QVERIFY2(button != nullptr, qPrintable(presses[i]));
            button->trigger();
            const QString state = QString("%1 %2 %3 %4 %5")
                                      .arg(preview.FirstPage())
                                      .arg(preview.PagesShown())
                                      .arg(ActionNamed(&preview, "&Next Page")->isEnabled()
                                               ? "yes"
                                               : "no")
                                      .arg(ActionNamed(&preview, "Pre&v Page")->isEnabled()
                                               ? "yes"
                                               : "no")
                                      .arg(PagesLabel(&preview));
            QCOMPARE(state, states[i]);
            QCOMPARE(pages->pageCount(), std::min(preview.PagesShown(), pageCount));
        }
    }

    // The preview's ranges are its own: the printer keeps the one a print dialog gave it.
    void thePrintersRangeStaysItsOwn() {
        QPrinter printer;
        printer.setFromTo(2, 3);
        Job job{.pages = 5, .asked = {}};
        {
            PrintPreviewWindow preview(
                printer, 2, std::ref(job), [](QPrinter&) { return false; });
            ActionNamed(&preview, "&Next Page")->trigger();
        }
        QCOMPARE(job.asked, (std::vector<std::pair<int, int>>{{1, 2}, {2, 3}}));
        QCOMPARE(printer.fromPage(), 2);
        QCOMPARE(printer.toPage(), 3);
    }

    // Print asks first; Cancel leaves the preview open, OK prints the whole job, whatever
    // range the preview showed, and closes it.
    void printAsksThenPrintsTheWholeJob() {
        QTemporaryDir folder;
        QPrinter printer;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(folder.filePath("job.pdf"));
        Job job{.pages = 4, .asked = {}};
        bool answer = false;
        int asked = 0;
        PrintPreviewWindow preview(printer, 2, std::ref(job), [&](QPrinter&) {
            ++asked;
            return answer;
        });
        ActionNamed(&preview, "&Next Page")->trigger();
        const std::size_t painted = job.asked.size();
        ActionNamed(&preview, "&Print...")->trigger();
        QCOMPARE(asked, 1);
        QCOMPARE(job.asked.size(), painted);
        QCOMPARE(preview.result(), int(QDialog::Rejected));
        answer = true;
        ActionNamed(&preview, "&Print...")->trigger();
        QCOMPARE(job.asked.back(), std::make_pair(0, 0));
        QCOMPARE(preview.result(), int(QDialog::Accepted));
        QVERIFY(QFileInfo(folder.filePath("job.pdf")).size() > 0);
    }

    // Zoom Out goes back to the pages fitted, never smaller.
    void zoomOutStopsAtThePagesFitted() {
        QPrinter printer;
        Job job{.pages = 2, .asked = {}};
        PrintPreviewWindow preview(
            printer, 2, std::ref(job), [](QPrinter&) { return false; });
        auto* pages = preview.findChild<QPrintPreviewWidget*>();
        QAction* zoomIn = ActionNamed(&preview, "Zoom &In");
        QAction* zoomOut = ActionNamed(&preview, "Zoom &Out");
        QVERIFY(!zoomOut->isEnabled());
        zoomIn->trigger();
        zoomIn->trigger();
        QCOMPARE(pages->zoomMode(), QPrintPreviewWidget::CustomZoom);
        zoomOut->trigger();
        QCOMPARE(pages->zoomMode(), QPrintPreviewWidget::CustomZoom);
        zoomOut->trigger();
        QCOMPARE(pages->zoomMode(), QPrintPreviewWidget::FitInView);
        QVERIFY(!zoomOut->isEnabled());
        // Paging keeps the zoom chosen.
        zoomIn->trigger();
        const qreal factor = pages->zoomFactor();
        ActionNamed(&preview, "&Next Page")->trigger();
        QCOMPARE(pages->zoomFactor(), factor);
    }
};

QTEST_MAIN(PrintPreviewTest)
#include "tst_printpreview.moc"
