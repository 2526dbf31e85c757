#include <QProcess>

#include "ViewFixture.h"

// Printing to PDF, read back with pdftotext: the header, the page breaks, the selection,
// the scale rule and the degenerate devices.
class ViewPrintTest : public QObject, public ViewFixture {
    Q_OBJECT

    QString pdf;

    // The printer writes a PDF at the given resolution.
    QPrinter& PdfPrinter(int dpi = 300) {
        QPrinter& printer = defaults.Printer();
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        printer.setResolution(dpi);
        printer.setPageSize(QPageSize(QPageSize::A4));
        printer.setFromTo(0, 0);
        return printer;
    }

    // The printed text, pages separated by form feeds.
    QString PrintedText() {
        QProcess run;
        run.start("pdftotext", {"-layout", pdf, "-"});
        if (!run.waitForFinished(20000))
            return "<pdftotext did not finish>";
        return QString::fromUtf8(run.readAllStandardOutput());
    }
    static int Pages(const QString& text) { return int(text.count('\f')); }

private slots:
    void initTestCase() {
        pdf = dir.filePath("printed.pdf");
        if (QStandardPaths::findExecutable("pdftotext").isEmpty())
            QSKIP("pdftotext is not installed (poppler-utils)");
    }
    void init() {
        platform = ScriptedPlatform();
        QFile::remove(pdf);
    }

    // The header: the path with the file time, or " (Not Saved)"; the title for a new
    // document; the page number on the right.
    void headerSaysWhatIsPrinted() {
        auto doc = Document(".title amp\r\nR1 1 2 1k\r\n");
        doc->SetPathName(FileName::FromText(dir.filePath("view.cir")));
        auto view = Show(doc.get());
        PdfPrinter();
        platform.printAnswers = {false};
        view->OnFilePrint();
        QString text = PrintedText();
        const QString path = dir.filePath("view.cir");
        QVERIFY2(text.contains(path + " (" + doc->GetFileTime() + ")"), qPrintable(text));
        QVERIFY(text.contains("Page 1"));
        QVERIFY(text.contains(".title amp"));
        QVERIFY(text.contains("R1 1 2 1k"));
        QCOMPARE(Pages(text), 1);
        QCOMPARE(platform.selectionOffered, std::vector<bool>{false});

        doc->GetStore()->Edit({1, 0}, kInsertChar, "*");
        platform.printAnswers = {false};
        view->OnFilePrint();
        text = PrintedText();
        QVERIFY(text.contains(path + " (Not Saved)"));
        QVERIFY(text.contains("*R1 1 2 1k"));

        CKelvoDoc untitled(&platform, &lists);
        QVERIFY(untitled.OnNewDocument());
        untitled.SetTitle("Untitled1");
        auto blank = Show(&untitled);
        platform.printAnswers = {false};
        blank->OnFilePrint();
        QVERIFY(PrintedText().contains("Untitled1 ("));
    }

    // Lines per page from the page height and the scaled line height; as many pages as the
    // lines need, each line printed once.
    void pagesBreakWhereTheLinesRunOut() {
        auto doc = Document(Numbered(250));
        auto view = Show(doc.get());
        PdfPrinter(300);
        platform.printAnswers = {false};
        view->OnFilePrint();
        const int scale = 300 / view->viewport()->logicalDpiY();
        QCOMPARE(view->PrintScale(), std::max(1, scale));
        const int perPage = view->LinesPerPage();
        QVERIFY(perPage > 10 && perPage < 250);
        const int pages = (250 + perPage - 1) / perPage;
        QCOMPARE(view->PrintPageCount(), pages);
        const QString text = PrintedText();
        QCOMPARE(Pages(text), pages);
        QVERIFY(text.contains(QString("Page %1").arg(pages)));
        const QStringList paged = text.split('\f');
        QVERIFY(paged[1].contains(QRegularExpression(QString("\\bline %1\\b").arg(perPage))));
        QVERIFY(!paged[0].contains(QRegularExpression(QString("\\bline %1\\b").arg(perPage))));
        QVERIFY(paged[0].contains(QRegularExpression(QString("\\bline %1\\b").arg(perPage - 1))));
        QStringList printed = text.split(QRegularExpression("[\\n\\f]"));
        printed.replaceInStrings(QRegularExpression("^\\s+|\\s+$"), "");
        for (int i = 0; i < 250; ++i)
            QCOMPARE(printed.count(QString("line %1").arg(i)), 1);
    }

    // Only the selection prints; one that ends at column 0 leaves that line out, though it
    // counts in the page count. The selection shows again afterwards.
    void selectionPrintsAlone() {
        auto doc = Document(Numbered(40));
        auto view = Show(doc.get());
        view->SetCaretPosition({5, 2});
        view->ExtendSelection({9, 0});
        PdfPrinter();
        platform.printAnswers = {true};
        view->OnFilePrint();
        QCOMPARE(platform.selectionOffered, std::vector<bool>{true});
        const QString text = PrintedText();
        QVERIFY2(text.contains("ne 5\n"), qPrintable(text));
        QVERIFY(!text.contains("line 5"));
        QVERIFY(text.contains("line 8"));
        QVERIFY(!text.contains("line 9"));
        QVERIFY(!text.contains("line 4"));
        QVERIFY(view->HasSelection());
        QCOMPARE(view->SelEnd(), (TextPos{9, 0}));

        // Kept to all pages: the whole text prints.
        platform.printAnswers = {false};
        view->OnFilePrint();
        QVERIFY(PrintedText().contains("line 39"));
    }

    // A cancelled print leaves the selection as it was, and never selects what was not
    // selected (an old selection's moving end is no selection).
    void cancelledPrintSelectsNothingNew() {
        auto doc = Document(Numbered(20));
        auto view = Show(doc.get());
        view->SetCaretPosition({2, 0});
        view->ExtendSelection({6, 3});
        view->SetCaretPosition({10, 1}); // the old moving end stays behind in the view
        platform.printAnswers = {std::nullopt};
        view->OnFilePrint();
        QVERIFY(!view->HasSelection());
        QCOMPARE(view->CaretPos(), (TextPos{10, 1}));

        view->ExtendSelection({12, 0});
        platform.printAnswers = {std::nullopt};
        view->OnFilePrint();
        QVERIFY(view->HasSelection());
        QCOMPARE(view->SelEnd(), (TextPos{12, 0}));
        QVERIFY(!QFile::exists(pdf));
    }

    // The header's path loses leading folders, behind "...", until it fits.
    void longPathsAreShortenedAtTheirSeparators() {
        const QString deep = dir.filePath("a-rather-long-folder/another-long-folder/third");
        QVERIFY(QDir().mkpath(deep));
        const QString path = deep + "/netlist.cir";
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("x\r\n");
        file.close();
        CKelvoDoc doc(&platform, &lists);
        QVERIFY(doc.OnOpenDocument(FileName::FromText(path)));
        doc.SetPathName(FileName::FromText(path));
        auto view = Show(&doc);
        const QFontMetrics metrics(QApplication::font());
        const QString full = view->PrintTitle(metrics, 100000);
        QCOMPARE(full, path + " (" + doc.GetFileTime() + ") ");
        const QString shortened =
            view->PrintTitle(metrics, metrics.horizontalAdvance("...third/netlist.cir (") +
                                          metrics.horizontalAdvance(doc.GetFileTime() + ") "));
        QCOMPARE(shortened, "...third/netlist.cir (" + doc.GetFileTime() + ") ");
        // No separator left: the shortening stops there.
        QVERIFY(view->PrintTitle(metrics, 1).startsWith("...netlist.cir"));
    }

    // A printer coarser than the screen, or a page lower than a line, still prints a line
    // a page at the screen's size.
    void degenerateDevicesPrintALineAPage() {
        auto doc = Document(Numbered(5));
        auto view = Show(doc.get());
        QPrinter& printer = PdfPrinter(30);
        platform.printAnswers = {false};
        view->OnFilePrint();
        QCOMPARE(view->PrintScale(), 1);
        QVERIFY(view->LinesPerPage() >= 1);

        printer.setResolution(1200);
        printer.setPageSize(QPageSize(QSizeF(20, 4), QPageSize::Millimeter));
        printer.setPageMargins(QMarginsF(0, 0, 0, 0));
        platform.printAnswers = {false};
        view->OnFilePrint();
        QCOMPARE(view->LinesPerPage(), 1);
        QCOMPARE(view->PrintPageCount(), 5);
    }

    // The preview starts with one page when the text fits on it, else with two.
    void previewShowsOneOrTwoPages() {
        auto small = Document(Numbered(3));
        auto view = Show(small.get());
        PdfPrinter();
        view->OnFilePrintPreview();
        auto large = Document(Numbered(400));
        auto other = Show(large.get());
        other->OnFilePrintPreview();
        QCOMPARE(platform.previewPagesShown, (std::vector<int>{1, 2}));
        QVERIFY(platform.selectionOffered.empty()); // the preview asks nothing
        QVERIFY(PrintedText().contains("line 399"));
    }
};

QTEST_MAIN(ViewPrintTest)
#include "tst_viewprint.moc"
