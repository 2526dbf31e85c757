#include <QFontInfo>
#include <QPaintEvent>
#include <QScreen>
#include <QTemporaryDir>
#include <QVector3D>
#include <QWheelEvent>
#include <QtTest>

#include "CDocManager.h"
#include "ViewFixture.h"
#include "Windows1252.h"
#include "fakes/ScriptedPlatform.h"

namespace {

// The leftmost column in [from, to) of an image row band that holds ink (a dark pixel).
int FirstInkColumn(const QImage& image, int top, int bottom, int from, int to) {
    for (int x = from; x < to; ++x)
        for (int y = top; y < bottom; ++y)
            if (qGray(image.pixel(x, y)) < 128)
                return x;
    return -1;
}

// The rightmost column of an image row band where anything is painted, however faint (a
// hairline stroke anti-aliased to light grey counts), or -1. The background is the colour
// of the image's bottom-right pixel.
int LastPaintedColumn(const QImage& image, int top, int bottom) {
    const QRgb background = image.pixel(image.width() - 1, image.height() - 1);
    for (int x = image.width() - 1; x >= 0; --x)
        for (int y = top; y < bottom; ++y)
            if (image.pixel(x, y) != background)
                return x;
    return -1;
}

} // namespace

class KelvoViewTest : public QObject, public ViewFixture {
    Q_OBJECT
private slots:
    void initTestCase() { defaults.m_crWindowText = Qt::black; }

    void tabsLandOnTabStops() {
        auto doc = Document("a\tb\r\n");
        auto view = Show(doc.get());
        const LineRecord* line = doc->GetStore()->FirstLine();
        QCOMPARE(view->TabStop(), 4 * view->CharWidth());
        QCOMPARE(view->Extent(line, 2), view->TabStop());
        QCOMPARE(view->PosToPoint({0, 2}).x(), CKelvoView::kLeftMargin + view->TabStop());

        const QImage image = view->viewport()->grab().toImage();
        const int b = CKelvoView::kLeftMargin + view->TabStop();
        const int ink = FirstInkColumn(image, 0, view->LineHeight(), b - 2, b + view->CharWidth());
        QVERIFY2(ink >= b && ink < b + view->CharWidth(), qPrintable(QString::number(ink)));
        // Nothing is drawn between the a and the tab stop.
        QCOMPARE(FirstInkColumn(image, 0, view->LineHeight(),
                                CKelvoView::kLeftMargin + view->CharWidth() + 1, b - 1),
                 -1);
    }

    void lineHeightAddsTheInternalLeadingOnceMore() {
        auto doc = Document("x\r\n");
        auto view = Show(doc.get());
        const QFontMetrics metrics(*view->SharedFont(), view->viewport());
        const int internal =
            std::max(0, metrics.height() - QFontInfo(*view->SharedFont()).pixelSize());
        QCOMPARE(view->LineHeight(), metrics.height() + internal + std::max(0, metrics.leading()));
        QCOMPARE(view->GetLogFont().FaceName(), QString("Courier"));
        QVERIFY(QFontInfo(*view->SharedFont()).fixedPitch());
    }

    void paintDrawsOnlyTheLinesOfTheClip() {
        QByteArray text;
        for (int i = 0; i < 100; ++i)
            text += "line " + QByteArray::number(i) + "\r\n";
        auto doc = Document(text);
        auto view = Show(doc.get());
        const int lh = view->LineHeight();
        view->ScrollToPosition({0, 100});
        QTest::qWait(20); // let the scroll's own repaint pass
        view->viewport()->repaint(0, 0, view->viewport()->width(), 160);
        QCOMPARE(view->LastPaintFirst(), 100 / lh - 2);
        QCOMPARE(view->LastPaintLast(), (100 + 160) / lh + 1);
        // Line 10 is drawn at its content position less the scroll position.
        const QImage image = view->viewport()->grab().toImage();
        const int top = 10 * lh - 100;
        const int m = CKelvoView::kLeftMargin;
        QVERIFY(FirstInkColumn(image, top, top + lh, m, m + view->CharWidth()) >= m);
        QCOMPARE(FirstInkColumn(image, top, top + lh, m + 8 * view->CharWidth(), 200), -1);
        view->ScrollToPosition({0, view->GetTotalSize().height()});
        QTest::qWait(20);
        view->viewport()->repaint();
        QCOMPARE(view->LastPaintLast(), 99);
    }

    void selectionHighlightsTheLineBreak() {
        auto doc = Document("zero\r\none\r\ntwo two\r\n\r\nfour\r\n");
        auto view = Show(doc.get());
        const int lh = view->LineHeight();
        const int m = CKelvoView::kLeftMargin;
        const int w = view->CharWidth();
        auto extent = [&](int line, int n) {
            return view->Extent(doc->GetStore()->LineAt(line), n);
        };
        const std::vector<QRect> rects = view->SelectionRects({4, 0}, {2, 3});
        QCOMPARE(rects.size(), std::size_t(2));
        QCOMPARE(rects[0], QRect(m + extent(2, 3), 2 * lh, extent(2, 7) + w - extent(2, 3), lh));
        QCOMPARE(rects[1], QRect(m, 3 * lh, w, lh)); // the empty line, one character wide
        // Ends beyond the text (just removed by an edit) count as the last line's end.
        QCOMPARE(view->SelectionRects({4, 2}, {9, 40}).size(), std::size_t(6));

        view->SetCaretPosition({2, 3});
        view->ExtendSelection({4, 0});
        view->viewport()->repaint();
        const QImage image = view->viewport()->grab().toImage();
        QCOMPARE(qGray(image.pixel(m + extent(2, 7) + w / 2, 2 * lh + lh / 2)), 0);
        QCOMPARE(qGray(image.pixel(m + extent(2, 7) + w + 3, 2 * lh + lh / 2)), 255);
        QCOMPARE(qGray(image.pixel(m + w + 3, 4 * lh + lh / 2)), 255);
        QVERIFY(!view->IsCaretShown());
    }

    // The ink of each run leans towards its style's colour (glyph edges blend it with the
    // white), and all of it is the text colour with colours off.
    void coloursPaintEachRunInItsStyle() {
        auto doc = Document("title\r\nV1 nd 10k\r\n");
        doc->SetPathName(FileName::FromText(dir.filePath("view.cir"))); // as the document manager names it
        auto view = Show(doc.get());
        const int lh = view->LineHeight();
        const LineRecord* line = doc->GetStore()->LineAt(1);
        // The inkiest pixel of columns [from, to) of line 1, as its distance from white.
        auto ink = [&](const QImage& image, int from, int to) {
            QVector3D best;
            for (int x = CKelvoView::kLeftMargin + view->Extent(line, from);
                 x < CKelvoView::kLeftMargin + view->Extent(line, to); ++x)
                for (int y = lh; y < 2 * lh; ++y) {
                    const QColor c = image.pixelColor(x, y);
                    const QVector3D away(255 - c.red(), 255 - c.green(), 255 - c.blue());
                    if (away.length() > best.length())
                        best = away;
                }
            return best.normalized();
        };
        auto leansTo = [&](QVector3D seen, SpiceStyle style) {
            const QColor c = view->StyleColour(style);
            const QVector3D want =
                QVector3D(255 - c.red(), 255 - c.green(), 255 - c.blue()).normalized();
            return QVector3D::dotProduct(seen, want) > 0.99f;
        };
        QImage image = view->viewport()->grab().toImage();
        QVERIFY(leansTo(ink(image, 0, 2), SpiceStyle::Source));
        QVERIFY(leansTo(ink(image, 3, 5), SpiceStyle::Plain));
        QVERIFY(leansTo(ink(image, 6, 9), SpiceStyle::Number));
        QVERIFY(!leansTo(ink(image, 0, 2), SpiceStyle::Plain));

        defaults.m_bSyntaxColours = false;
        view->viewport()->repaint();
        image = view->viewport()->grab().toImage();
        defaults.m_bSyntaxColours = true;
        QVERIFY(leansTo(ink(image, 0, 2), SpiceStyle::Plain));
        QVERIFY(leansTo(ink(image, 6, 9), SpiceStyle::Plain));
    }

    void editsRepaintWhatTheyChanged() {
        auto doc = Document("alpha beta\r\nsecond\r\nthird\r\n");
        auto view = Show<RecordingView>(doc.get());
        const int lh = view->LineHeight();
        view->SetCaretPosition({0, 5});
        QTest::qWait(20);
        view->painted = QRegion();

        view->OnChar('x', {});
        QTest::qWait(20);
        const int x = CKelvoView::kLeftMargin + view->Extent(doc->GetStore()->FirstLine(), 5);
        QVERIFY(view->painted.contains(QRect(x, 0, view->viewport()->width() - x, lh)));
        QVERIFY(!view->painted.intersects(QRect(0, lh, view->viewport()->width(), lh)));
        QVERIFY(!view->painted.intersects(QRect(0, 0, x - 3, lh)));

        view->painted = QRegion();
        const int height = view->GetTotalSize().height();
        view->SetCaretPosition({1, 2});
        view->OnChar('\r', {});
        QCOMPARE(view->GetTotalSize().height(), height + lh);
        QTest::qWait(20);
        QVERIFY(view->painted.contains(
            QRect(0, lh, view->viewport()->width(), view->viewport()->height() - lh)));
        QVERIFY(!view->painted.intersects(QRect(0, 0, 3, lh - 1)));
    }

    // Reading the file again gives the document a new store: both panes take it, and
    // caret, selection and scroll position beyond the new text come within it. A read that
    // fails keeps the text the panes show.
    void panesFollowAReplacedStore() {
        QByteArray text;
        for (int i = 0; i < 300; ++i)
            text += "line " + QByteArray::number(i) + " of the first text\r\n";
        auto doc = Document(text);
        auto first = Show(doc.get());
        auto second = Show(doc.get(), {400, 150}, first.get());
        first->SetCaretPosition({280, 7});
        first->ExtendSelection({290, 3});
        second->SetCaretPosition({250, 12});
        QVERIFY(first->GetScrollPosition().y() > 0);
        const TextStore* old = doc->GetStore();

        const QString path = dir.filePath("view.cir");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("ab\r\ncdef\r\n");
        file.close();
        QVERIFY(doc->OnOpenDocument(FileName::FromText(path)));
        QVERIFY(doc->GetStore() != old);
        for (CKelvoView* view : {first.get(), second.get()}) {
            QCOMPARE(view->GetStore(), doc->GetStore());
            QCOMPARE(view->GetTotalSize().height(), 2 * view->LineHeight());
            QCOMPARE(view->GetScrollPosition(), QPoint(0, 0));
            view->viewport()->repaint();
        }
        QCOMPARE(first->CaretPos(), (TextPos{1, 4}));
        QCOMPARE(first->SelEnd(), (TextPos{1, 3}));
        QCOMPARE(second->CaretPos(), (TextPos{1, 4}));
        QCOMPARE(second->CaretPixel(), second->PosToPoint({1, 4}));

        const TextStore* kept = doc->GetStore();
        QVERIFY(QFile::remove(path));
        QVERIFY(!doc->OnOpenDocument(FileName::FromText(path)));
        QCOMPARE(doc->GetStore(), kept);
        QCOMPARE(first->GetStore(), kept);
        QCOMPARE(kept->LineCount(), 2);
    }

    void siblingsShareTheirFont() {
        auto doc = Document("shared\r\n");
        auto first = Show(doc.get());
        first->SetCaretPosition({0, 3});
        auto second = Show(doc.get(), {400, 150}, first.get());
        QCOMPARE(second->Sibling(), first.get());
        QCOMPARE(first->Sibling(), second.get());
        QCOMPARE(second->SharedFont().get(), first->SharedFont().get());
        QCOMPARE(second->CaretPos(), (TextPos{0, 0}));
        QVERIFY(!second->HasSelection());

        LogFont bigger = LogFont::Default();
        bigger.height = -24;
        platform.fontAnswers = {ScriptedPlatform::FontAnswer{bigger, QColor(Qt::darkBlue)}};
        second->OnOptionsFont();
        QCOMPARE(first->SharedFont().get(), second->SharedFont().get());
        QCOMPARE(first->GetLogFont().height, -24);
        QCOMPARE(first->TextColor(), QColor(Qt::darkBlue));
        QCOMPARE(first->LineHeight(), second->LineHeight());
        QVERIFY(first->LineHeight() > 20);

        platform.fontAnswers = {std::nullopt}; // Cancel changes nothing
        first->OnOptionsFont();
        QCOMPARE(first->GetLogFont().height, -24);

        const std::weak_ptr<QFont> font = first->SharedFont();
        first.reset();
        QVERIFY(g_bIgnoreNextDrag);
        QCOMPARE(second->Sibling(), nullptr);
        QVERIFY(!font.expired());
        second->viewport()->repaint();
        QVERIFY(second->IsPainted());
    }

    void longLinesCanBeScrolledIntoView() {
        QByteArray text = "short\r\n" + QByteArray(3000, 'w') + "\t\tend\r\n";
        auto doc = Document(text);
        auto view = Show(doc.get());
        view->viewport()->repaint();
        const LineRecord* line = doc->GetStore()->LineAt(1);
        const int right = CKelvoView::kLeftMargin + view->Extent(line, line->length);
        QVERIFY(view->GetTotalSize().width() >= right);
        view->SetCaretPosition({1, line->length});
        const QPoint caret = view->PosToPoint(view->CaretPos());
        QVERIFY(caret.x() >= 0 && caret.x() < view->viewport()->width());
        QCOMPARE(view->CaretPixel(), caret);

        // A line that grows by typing widens the scroll range.
        const int width = view->GetTotalSize().width();
        view->SetCaretPosition(
            doc->GetStore()->Edit({0, 5}, kInsertText, QByteArray(4000, 'q').constData()));
        QVERIFY(view->GetTotalSize().width() > width);
    }

    // A line wider than pixels can count is measured up to a bound and never wraps round
    // to a negative width; its far end can still be scrolled to, painted and shown.
    void hugeLinesMeasureWithoutWrappingRound() {
        constexpr int kTabs = 6'000'000;
        auto doc = Document(QByteArray(kTabs, '\t') + "X\r\n");
        auto view =
            ShowInFont(doc.get(), "Courier", LogFont::Default().pitchAndFamily, {400, 300}, 200);
        const LineRecord* line = doc->GetStore()->FirstLine();
        QVERIFY(std::int64_t{kTabs} * view->TabStop() > std::int64_t{INT_MAX});
        QCOMPARE(view->Extent(line, 1000), 1000 * view->TabStop());
        int previous = 0;
        for (const int n : {1000, kTabs / 4, kTabs / 2, kTabs, kTabs + 1}) {
            const int extent = view->Extent(line, n);
            QVERIFY2(extent >= previous, qPrintable(QString("%1 tabs: %2").arg(n).arg(extent)));
            previous = extent;
        }
        view->viewport()->repaint();
        QVERIFY(view->GetTotalSize().width() >= CKelvoView::kLeftMargin + previous);
        view->SetCaretPosition({0, line->length});
        const QPoint caret = view->PosToPoint(view->CaretPos());
        QVERIFY(caret.x() >= 0 && caret.x() < view->viewport()->width());
        view->viewport()->repaint();
    }

    void caretShowsWithFocusAndNoSelection() {
        auto doc = Document("abc\r\n");
        auto view = Show(doc.get());
        view->setFocus();
        QTRY_VERIFY(view->hasFocus());
        QVERIFY(view->IsCaretShown());
        QCOMPARE(view->CaretPixel(), QPoint(CKelvoView::kLeftMargin, 0));
        view->ExtendSelection({0, 2});
        QVERIFY(!view->IsCaretShown());
    }

    void scrollingCarriesTheCaretWithTheText() {
        QByteArray text;
        for (int i = 0; i < 200; ++i)
            text += "row " + QByteArray::number(i) + "\r\n";
        auto doc = Document(text);
        auto view = Show(doc.get());
        view->setFocus();
        QTRY_VERIFY(view->hasFocus());
        view->SetCaretPosition({2, 1});
        QTest::qWait(20);
        QWheelEvent down(QPointF(10, 10), QPointF(10, 10), {}, {0, -120}, Qt::NoButton,
                         Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(view->viewport(), &down);
        QTest::qWait(20);
        QCOMPARE(view->CaretPixel(), view->PosToPoint({2, 1}));
        // What is on the screen is what a fresh paint gives: no caret left behind.
        const QPoint at = view->viewport()->mapTo(view.get(), QPoint(0, 0));
        const QImage screen =
            view->screen()
                ->grabWindow(view->winId(), at.x(), at.y(), view->viewport()->width(),
                             view->viewport()->height())
                .toImage()
                .convertToFormat(QImage::Format_RGB32);
        const QImage fresh =
            view->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(screen.size(), fresh.size());
        QVERIFY(screen == fresh);
    }

    void everyByteHasAWidth() {
        auto doc = Document(QByteArray("a\x0c"
                                       "b\xad"
                                       "c\x01\r\n"));
        auto view = Show(doc.get());
        const LineRecord* line = doc->GetStore()->FirstLine();
        for (int n = 1; n <= line->length; ++n)
            QVERIFY2(view->Extent(line, n) > view->Extent(line, n - 1),
                     qPrintable(QString::number(n)));
    }

    void viewsSurviveWhatHappensAroundThem() {
        // A view painted before it is set up shows nothing, and does not fail.
        auto doc = Document("text\r\n");
        auto early = std::make_unique<CKelvoView>(doc.get(), &defaults);
        early->show();
        early->viewport()->repaint();

        auto first = Show(doc.get());
        auto second = Show(doc.get(), {400, 150}, first.get());
        // An edit widens both panes' scroll ranges.
        doc->GetStore()->Edit({0, 4}, kInsertText, QByteArray(600, 'w').constData());
        QCOMPARE(second->GetTotalSize().width(), first->GetTotalSize().width());
        QVERIFY(second->IsBarShown(Qt::Horizontal));

        // A view whose document is gone (its window still closing) paints nothing.
        doc.reset();
        second->viewport()->repaint();
        QCOMPARE(second->LastPaintFirst(), -1);
    }

    // A character after N tabs stands exactly where one after 4N blanks stands. The marker
    // is found by its dark ink, so the face is one whose strokes are dark at every size.
    void tabColumnsMeetBlankColumns_data() {
        QTest::addColumn<int>("pixels");
        QTest::newRow("11 px") << 11;
        QTest::newRow("13 px") << 13;
        QTest::newRow("17 px") << 17;
    }
    void tabColumnsMeetBlankColumns() {
        QFETCH(int, pixels);
        constexpr int kMostTabs = 50;
        QByteArray text;
        for (int n = 1; n <= kMostTabs; ++n)
            text += QByteArray(n, '\t') + "X\r\n" + QByteArray(4 * n, ' ') + "X\r\n";
        auto doc = Document(text);
        const QString face = "DejaVu Sans Mono";
        if (!QFontDatabase::hasFamily(face))
            QSKIP(qPrintable(face + " is not installed"));
        auto view = ShowInFont(doc.get(), face, LogFont::Default().pitchAndFamily,
                               {4 * kMostTabs * pixels + 40, 2 * kMostTabs * 2 * pixels}, pixels);
        QCOMPARE(QFontInfo(*view->SharedFont()).pixelSize(), pixels);
        const int lh = view->LineHeight();
        QVERIFY(view->viewport()->height() >= 2 * kMostTabs * lh);
        const QImage image = view->viewport()->grab().toImage();
        const int width = image.width();
        const int from = CKelvoView::kLeftMargin + 2; // right of the caret
        const LineRecord* line = doc->GetStore()->FirstLine();
        for (int n = 1; n <= kMostTabs; ++n, line = line->next->next) {
            const int tabs = FirstInkColumn(image, 2 * (n - 1) * lh, (2 * n - 1) * lh, from, width);
            const int blanks = FirstInkColumn(image, (2 * n - 1) * lh, 2 * n * lh, from, width);
            QVERIFY2(tabs > 0, qPrintable(QString("no marker after %1 tabs").arg(n)));
            QCOMPARE(tabs, blanks);
            // The measured column is where the marker was drawn.
            const int measured = CKelvoView::kLeftMargin + view->Extent(line, n);
            QCOMPARE(view->Extent(line->next, 4 * n), view->Extent(line, n));
            QVERIFY2(
                tabs >= measured && tabs < measured + view->CharWidth(),
                qPrintable(
                    QString("%1 tabs: ink at %2, measured %3").arg(n).arg(tabs).arg(measured)));
        }
    }

    // In any font, a character stands at the pixel its column measures: a bar ending each
    // line is painted as far right of the bar alone on the first line as its column measures.
    // The caret is kept away, and a bar of hairline strokes counts, faint as it is.
    void markersStandWhereTheirColumnsMeasure_data() { FaceRows(); }
    void markersStandWhereTheirColumnsMeasure() {
        FETCH_FACE_ROW();
        const QByteArray prefixes[] = {"W", "iiiiiiii", "WWi\tw", "a\tb\tfi fl AV To\t",
                                       "The quick brown fox jumps over the lazy dog. 0123456789"};
        QByteArray text = "|\r\n";
        for (const QByteArray& prefix : prefixes)
            text += prefix + "|\r\n";
        auto doc = Document(text);
        auto view = ShowInFont(doc.get(), face, pitch, {600, 200});
        view->clearFocus();
        QTRY_VERIFY(!view->IsCaretShown());
        const int lh = view->LineHeight();
        const QImage image = view->viewport()->grab().toImage();
        const int alone = LastPaintedColumn(image, 0, lh);
        QVERIFY(alone >= CKelvoView::kLeftMargin);
        const LineRecord* line = doc->GetStore()->FirstLine()->next;
        for (int i = 1; line != nullptr; ++i, line = line->next) {
            const int bar = LastPaintedColumn(image, i * lh, (i + 1) * lh);
            QCOMPARE(bar - alone, view->Extent(line, line->length - 1));
        }
    }

    // A file opened without a tab is as wide as its widest line measured, whether the width
    // comes from what the read found (a fixed pitch) or from a walk (any other font).
    void widthOfAnOpenedFileIsItsWidestLine_data() { FaceRows(); }
    void widthOfAnOpenedFileIsItsWidestLine() {
        FETCH_FACE_ROW();
        auto doc = Document("* out\r\nindex   time   v(out)\r\n\xe9\x80 wide wide wide wide "
                            "wide\r\n\r\n0 1.0e-9 2.5\r\n");
        auto view = ShowInFont(doc.get(), face, pitch, {400, 300});
        int widest = 0;
        for (const LineRecord* line = doc->GetStore()->FirstLine(); line != nullptr;
             line = line->next)
            widest = std::max(widest, view->Extent(line, line->length));
        QCOMPARE(view->GetTotalSize().width(),
                 CKelvoView::kLeftMargin + widest + view->CharWidth());
    }

    // Every line fits: no horizontal bar, whatever the font's widest glyph.
    void noHorizontalBarWhenEveryLineFits_data() { FaceRows(); }
    void noHorizontalBarWhenEveryLineFits() {
        FETCH_FACE_ROW();
        auto doc = Document("* amplifier\r\nR1 in out 10k\r\n\tC1\tout\t0\t1u\r\n.end\r\n");
        auto view = ShowInFont(doc.get(), face, pitch, {400, 300});
        view->viewport()->repaint();
        const LineRecord* widest = doc->GetStore()->LineAt(2);
        QCOMPARE(view->GetTotalSize().width(), CKelvoView::kLeftMargin +
                                                   view->Extent(widest, widest->length) +
                                                   view->CharWidth());
        QVERIFY(!view->IsBarShown(Qt::Horizontal));

        // Typing the first line one character wider than the window brings the bar.
        const int client = view->viewport()->width();
        TextPos end{0, doc->GetStore()->FirstLine()->length};
        while (view->GetTotalSize().width() <= client) {
            end = doc->GetStore()->Edit(end, kInsertChar, "m");
        }
        QVERIFY(view->IsBarShown(Qt::Horizontal));
        const LineRecord* first = doc->GetStore()->FirstLine();
        QVERIFY(view->Extent(first, first->length - 1) + CKelvoView::kLeftMargin +
                    view->CharWidth() <=
                client);
    }

    void highBytesShowAsWindows1252() {
        QCOMPARE(DecodeBytes("\x80\x93\xe9\x81"), QString::fromUtf8("\u20ac\u201c\u00e9\u0081"));
        bool lossy = false;
        QCOMPARE(EncodeText(QString::fromUtf8("\u20ac\u00e9x"), &lossy), std::string("\x80\xe9x"));
        QVERIFY(!lossy);
        QCOMPARE(EncodeText(QString::fromUtf8("\u4e2d\U0001F600"), &lossy), std::string("??"));
        QVERIFY(lossy);
    }
};

QTEST_MAIN(KelvoViewTest)
#include "tst_kelvoview.moc"
