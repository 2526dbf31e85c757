// Every change of the text reaches every pane of its document, wherever it came from: the
// store edited with no view involved, typing in either pane, Replace All, Undo from the
// menu and reading the file again.

#include <functional>

#include "SearchAnswers.h"
#include "ViewFixture.h"

namespace {

// A change made to the document shown in two panes; returns the pane that made it, or
// null when none did.
using Change = std::function<CKelvoView*(ScriptedPlatform&, CKelvoDoc&, CKelvoView& first,
                                         CKelvoView& second)>;

const QByteArray kWide = QByteArray(300, 'w');

} // namespace

Q_DECLARE_METATYPE(Change)

class ViewChangesTest : public QObject, ViewFixture {
    Q_OBJECT

    // The pane agrees with the text as it is now, without having painted since: its scroll
    // range reaches every line and the widest one, its positions lie within the text and
    // its caret is drawn where its caret is.
    static void CheckFollowsText(const CKelvoView& view, const TextStore& store) {
        QCOMPARE(view.GetTotalSize().height(), store.LineCount() * view.LineHeight());
        int widest = 0;
        for (const LineRecord* line = store.FirstLine(); line != nullptr; line = line->next)
            widest = std::max(widest, view.Extent(line, line->length));
        QVERIFY(view.GetTotalSize().width() >= CKelvoView::kLeftMargin + widest);
        for (const TextPos pos : {view.CaretPos(), view.SelEnd()})
            QCOMPARE(store.Clamp(pos), pos);
        QCOMPARE(view.CaretPixel(), view.PosToPoint(view.ActiveEnd()));
    }

private slots:
    void everyChangeReachesBothPanes_data() {
        QTest::addColumn<Change>("change");
        QTest::newRow("the store, no view") << Change([](auto&, CKelvoDoc& doc, auto&, auto&) {
            TextStore& store = *doc.GetStore();
            store.Edit({0, 2}, kDeleteBlock, "", {30, 1});
            store.Edit({1, 0}, kInsertText, kWide.constData());
            return nullptr;
        });
        QTest::newRow("typing in the first pane")
            << Change([](auto&, CKelvoDoc&, CKelvoView& first, auto&) {
                   first.SetCaretPosition({2, 3});
                   for (const char c : kWide + "\r")
                       first.OnChar(static_cast<unsigned char>(c), {});
                   return &first;
               });
        QTest::newRow("typing in the second pane")
            << Change([](auto&, CKelvoDoc&, auto&, CKelvoView& second) {
                   second.SetCaretPosition({1, 0});
                   second.ExtendSelection({36, 2});
                   second.OnChar('x', {});
                   return &second;
               });
        QTest::newRow("Replace All") << Change([](ScriptedPlatform& platform, CKelvoDoc&,
                                                  CKelvoView& first, auto&) {
            first.SetCaretPosition({0, 0});
            RunSearch(platform, first, ReplaceAll("line 3", QString(kWide)));
            return &first;
        });
        QTest::newRow("Undo from the menu")
            << Change([](auto&, CKelvoDoc& doc, auto&, CKelvoView& second) {
                   TextStore& store = *doc.GetStore();
                   store.Edit({5, 0}, kDeleteBlock, "", {30, 0});
                   store.Edit({1, 0}, kInsertText, (kWide + "\r\r\r").constData());
                   second.OnCommand(ID_EDIT_UNDO);
                   return &second;
               });
    }

    void everyChangeReachesBothPanes() {
        QFETCH(Change, change);
        auto doc = Document(Numbered(40));
        auto first = Show<RecordingView>(doc.get());
        auto second = Show<RecordingView>(doc.get(), {400, 150}, first.get());
        first->SetCaretPosition({35, 2});
        second->SetCaretPosition({12, 1});
        second->ExtendSelection({38, 3});
        first->Settle();
        second->Settle();

        const CKelvoView* maker = change(platform, *doc, *first, *second);
        QVERIFY(Bytes(*doc->GetStore()) != Numbered(40));
        for (const CKelvoView* view : {first.get(), second.get()})
            CheckFollowsText(*view, *doc->GetStore());
        QTest::qWait(10);
        // A pane that did not make the change repaints whole: its caret and selection may
        // now stand on other text.
        for (RecordingView* view : {first.get(), second.get()}) {
            QVERIFY(!view->painted.isEmpty());
            if (view != maker)
                QVERIFY(view->painted.contains(view->viewport()->rect()));
        }
    }

    // Reading the file again is a change of the whole text for both panes.
    void readingAgainReachesBothPanes() {
        auto doc = Document(Numbered(40));
        auto first = Show<RecordingView>(doc.get());
        auto second = Show<RecordingView>(doc.get(), {400, 150}, first.get());
        second->SetCaretPosition({38, 3});
        first->Settle();
        second->Settle();
        doc->SetPathName(FileName::FromText(dir.filePath("view.cir")));
        QFile file(dir.filePath("view.cir"));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("one\r\n" + kWide + "\r\n");
        file.close();
        QVERIFY(doc->Reload());
        for (RecordingView* view : {first.get(), second.get()}) {
            CheckFollowsText(*view, *doc->GetStore());
            QTest::qWait(10);
            QVERIFY(view->painted.contains(view->viewport()->rect()));
        }
    }
};

QTEST_MAIN(ViewChangesTest)
#include "tst_viewchanges.moc"
