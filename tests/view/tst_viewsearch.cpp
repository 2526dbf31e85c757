// The view's Search menu: Find, Replace and Replace All, Find Again and Find Last, Replace &
// Stop and Replace & Find Again, Go To Line and Open Selection, with the dialogs answered as
// a user would answer them.

#include <QTimer>

#include "CGoToLineDlg.h"
#include "FileName.h"
#include "SearchAnswers.h"
#include "ViewFixture.h"

namespace {

// The application's side of Open Selection: records the names and opens what it is told.
struct Opener : ViewDefaults {
    FileNameList names;
    CKelvoDoc* opened = nullptr;
    CKelvoDoc* OpenByName(const FileName& name) override {
        names << name;
        return opened;
    }
};

// Allows the first `allowed` edits and refuses the rest, until it has been asked
// `givesInAfter` times: a loop that never stops asking then ends, and its test fails instead
// of hanging.
class TiringDoc : public CKelvoDoc {
public:
    using CKelvoDoc::CKelvoDoc;
    int allowed = 0;
    int givesInAfter = 50;
    int asked = 0;
    bool AllowEdit() override {
        ++asked;
        return asked <= allowed || asked > givesInAfter;
    }
};

} // namespace

class ViewSearchTest : public QObject, ViewFixture {
    Q_OBJECT

    void Find(CKelvoView& view, const Answer& answer) { RunSearch(platform, view, answer); }
    static void Select(CKelvoView& view, TextPos from, TextPos to) {
        view.SetCaretPosition(from);
        view.ExtendSelection(to);
    }

private slots:
    void init() {
        platform.beeps = 0;
        platform.shown.clear();
        platform.dialogsRun.clear();
        g_bIgnoreNextDrag = false;
    }

    void findSelectsTheMatch_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<TextPos>("caret");
        QTest::addColumn<QString>("find");
        QTest::addColumn<int>("button");
        QTest::addColumn<bool>("matchCase");
        QTest::addColumn<bool>("wholeWord");
        QTest::addColumn<TextPos>("start"); // {-1, -1}: no match
        QTest::addColumn<TextPos>("end");
        const QByteArray net = "R1 1 2 1k\r\nR2 2 0 2k\r\nvin vinp vin\r\n";
        const TextPos none{-1, -1};
        QTest::newRow("forward, either case") << net << TextPos{0, 1} << "r2" << 1 << false << false
                                              << TextPos{1, 0} << TextPos{1, 2};
        QTest::newRow("forward, case refused")
            << net << TextPos{0, 1} << "r2" << 1 << true << false << none << none;
        QTest::newRow("part of a word") << net << TextPos{2, 1} << "vin" << 1 << false << false
                                        << TextPos{2, 4} << TextPos{2, 7};
        QTest::newRow("whole word skips vinp") << net << TextPos{2, 1} << "vin" << 1 << false
                                               << true << TextPos{2, 9} << TextPos{2, 12};
        QTest::newRow("back to the nearest")
            << net << TextPos{1, 4} << "2" << int(CFindDlg::IDC_FIND_BACK) << false << false
            << TextPos{1, 3} << TextPos{1, 4};
        QTest::newRow("back finds nothing before the start")
            << net << TextPos{0, 0} << "R" << int(CFindDlg::IDC_FIND_BACK) << false << false << none
            << none;
        QTest::newRow("empty search")
            << net << TextPos{0, 0} << "" << 1 << false << false << none << none;
    }
    void findSelectsTheMatch() {
        QFETCH(QByteArray, text);
        QFETCH(TextPos, caret);
        QFETCH(QString, find);
        QFETCH(int, button);
        QFETCH(bool, matchCase);
        QFETCH(bool, wholeWord);
        QFETCH(TextPos, start);
        QFETCH(TextPos, end);
        auto doc = Document(text);
        auto view = Show(doc.get());
        view->SetCaretPosition(caret);
        Find(*view, {find, QString(), button, matchCase, wholeWord});
        QCOMPARE(platform.dialogsRun, std::vector<QString>{"Find"});
        QCOMPARE(view->SearchesForward(), button == 1);
        QCOMPARE(view->MatchesCase(), matchCase);
        QCOMPARE(view->MatchesWholeWord(), wholeWord);
        if (start.line < 0) {
            QCOMPARE(platform.beeps, 1);
            QVERIFY(!view->HasSelection());
            QCOMPARE(view->CaretPos(), caret);
        } else {
            QCOMPARE(platform.beeps, 0);
            QVERIFY(view->HasSelection());
            QCOMPARE(view->CaretPos(), start);
            QCOMPARE(view->SelEnd(), end);
        }
        QCOMPARE(Enabled(*view, ID_SEARCH_FIND_AGAIN), !find.isEmpty());
        QCOMPARE(Enabled(*view, ID_SEARCH_FIND_LAST), !find.isEmpty());
        QVERIFY(platform.shown.empty());
    }

    void findOfTheSelectedTextFindsItAgain() {
        auto doc = Document("x = abc abc\r\n");
        auto view = Show(doc.get());
        Select(*view, {0, 4}, {0, 7});
        Find(*view, Forward("abc"));
        QCOMPARE(Selection(*view), std::make_pair(TextPos{0, 4}, TextPos{0, 7}));
    }

    void findAgainFollowsTheLastDirection() {
        auto doc = Document("one two one two one\r\n");
        auto view = Show(doc.get());
        view->SetCaretPosition({0, 19});
        Find(*view, Back("one"));
        QCOMPARE(Selection(*view), std::make_pair(TextPos{0, 16}, TextPos{0, 19}));
        view->OnCommand(ID_SEARCH_FIND_AGAIN); // backward, as the dialog left it
        QCOMPARE(Selection(*view), std::make_pair(TextPos{0, 8}, TextPos{0, 11}));
        view->OnCommand(ID_SEARCH_FIND_LAST); // forward
        QCOMPARE(Selection(*view), std::make_pair(TextPos{0, 16}, TextPos{0, 19}));
        // Replace's Find Next searches forward but leaves the direction as it was: Replace &
        // Find Again then goes backward.
        Find(*view, {"one", "1"});
        QCOMPARE(Selection(*view), std::make_pair(TextPos{0, 16}, TextPos{0, 19}));
        QVERIFY(!view->SearchesForward());
        view->OnCommand(ID_SEARCH_REPLACE_FIND);
        QCOMPARE(Bytes(*doc->GetStore()), QByteArray("one two one two 1\r\n"));
        QCOMPARE(Selection(*view), std::make_pair(TextPos{0, 8}, TextPos{0, 11}));
        QCOMPARE(platform.beeps, 0);
    }

    void findAgainSkipsAnOverlappingMatch() {
        auto doc = Document("aaaaa\r\n");
        auto view = Show(doc.get());
        Find(*view, Forward("aa"));
        QCOMPARE(Selection(*view), std::make_pair(TextPos{0, 0}, TextPos{0, 2}));
        view->OnCommand(ID_SEARCH_FIND_AGAIN);
        QCOMPARE(Selection(*view), std::make_pair(TextPos{0, 2}, TextPos{0, 4}));
        view->OnCommand(ID_SEARCH_FIND_AGAIN);
        QCOMPARE(platform.beeps, 1);
        // The selection collapses where the search began: the match's end.
        QVERIFY(!view->HasSelection());
        QCOMPARE(view->CaretPos(), (TextPos{0, 4}));
        view->OnCommand(ID_SEARCH_FIND_LAST);
        QCOMPARE(Selection(*view), std::make_pair(TextPos{0, 2}, TextPos{0, 4}));
        view->OnCommand(ID_SEARCH_FIND_LAST); // from the match's start: no overlap either
        QCOMPARE(Selection(*view), std::make_pair(TextPos{0, 0}, TextPos{0, 2}));
    }

    void replaceAll_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<TextPos>("caret");
        QTest::addColumn<QString>("find");
        QTest::addColumn<QString>("by");
        QTest::addColumn<QByteArray>("result");
        QTest::addColumn<QString>("message"); // empty: none, and a beep
        QTest::addColumn<TextPos>("caretAfter");
        QTest::newRow("from the middle leaves earlier lines")
            << QByteArray("x1\r\nx2\r\nx3\r\n") << TextPos{1, 0} << "x"
            << "yy" << QByteArray("x1\r\nyy2\r\nyy3\r\n") << "2 instances have been replaced:\n\nx"
            << TextPos{2, 2};
        QTest::newRow("doubling a letter ends after one pass")
            << QByteArray("a b a\r\na\r\n") << TextPos{0, 0} << "a"
            << "aa" << QByteArray("aa b aa\r\naa\r\n") << "3 instances have been replaced:\n\na"
            << TextPos{1, 2};
        QTest::newRow("one replacement")
            << QByteArray("R1 1 0 R1K\r\n") << TextPos{0, 0} << "r1k"
            << "R9" << QByteArray("R1 1 0 R9\r\n") << "1 instance of has been replaced:\n\nr1k"
            << TextPos{0, 9};
        QTest::newRow("replaced by nothing")
            << QByteArray("a-b-c\r\n") << TextPos{0, 0} << "-"
            << "" << QByteArray("abc\r\n") << "2 instances have been replaced:\n\n-"
            << TextPos{0, 2};
        QTest::newRow("none after the caret")
            << QByteArray("vin 1\r\nvout 2\r\n") << TextPos{1, 3} << "vin"
            << "v" << QByteArray("vin 1\r\nvout 2\r\n") << "" << TextPos{1, 3};
        QTest::newRow("empty search") << QByteArray("abc\r\n") << TextPos{0, 0} << ""
                                      << "x" << QByteArray("abc\r\n") << "" << TextPos{0, 0};
    }
    void replaceAll() {
        QFETCH(QByteArray, text);
        QFETCH(TextPos, caret);
        QFETCH(QString, find);
        QFETCH(QString, by);
        QFETCH(QByteArray, result);
        QFETCH(QString, message);
        QFETCH(TextPos, caretAfter);
        auto doc = Document(text);
        auto view = Show(doc.get());
        view->SetCaretPosition(caret);
        Find(*view, ReplaceAll(find, by));
        QCOMPARE(Bytes(*doc->GetStore()), result);
        QVERIFY(!view->HasSelection());
        QCOMPARE(view->CaretPos(), caretAfter);
        QCOMPARE(platform.waitDepth, 0);
        if (message.isEmpty()) {
            QCOMPARE(platform.beeps, 1);
            QVERIFY(platform.shown.empty());
            QVERIFY(!g_bIgnoreNextDrag);
        } else {
            QCOMPARE(platform.beeps, 0);
            QCOMPARE(platform.shown.size(), std::size_t(1));
            QCOMPARE(platform.shown[0].text, message);
            QCOMPARE(platform.shown[0].style, MB_OK);
            QVERIFY(g_bIgnoreNextDrag);
        }
        QVERIFY(view->IsReplaceActive());
        QCOMPARE(QString::fromLatin1(view->ReplaceText()), by);
        // One Undo takes back the whole Replace All, and one Redo makes it again.
        int steps = 0;
        while (doc->CanUndo()) {
            view->OnCommand(ID_EDIT_UNDO);
            ++steps;
        }
        QCOMPARE(steps, message.isEmpty() ? 0 : 1);
        QCOMPARE(Bytes(*doc->GetStore()), text);
        if (!message.isEmpty()) {
            view->OnCommand(ID_EDIT_REDO);
            QCOMPARE(Bytes(*doc->GetStore()), result);
            QVERIFY(!doc->CanRedo());
        }
    }

    void replaceAllEndsWhenTheDocumentRefuses_data() {
        QTest::addColumn<int>("allowed");
        QTest::addColumn<QByteArray>("result");
        QTest::addColumn<QString>("message"); // empty: none, and a beep
        QTest::newRow("refused from the first") << 0 << QByteArray("a a a a\r\n") << "";
        // The document is asked once, for all the replacements.
        QTest::newRow("allowed once")
            << 1 << QByteArray("b b b b\r\n") << "4 instances have been replaced:\n\na";
    }
    void replaceAllEndsWhenTheDocumentRefuses() {
        QFETCH(int, allowed);
        QFETCH(QByteArray, result);
        QFETCH(QString, message);
        auto doc = Document<TiringDoc>("a a a a\r\n");
        doc->allowed = allowed;
        auto view = Show(doc.get());
        Find(*view, ReplaceAll("a", "b"));
        QCOMPARE(Bytes(*doc->GetStore()), result);
        QCOMPARE(doc->asked, 1);
        if (message.isEmpty()) {
            QVERIFY(platform.shown.empty());
            QCOMPARE(platform.beeps, 1);
        } else {
            QCOMPARE(platform.shown.size(), std::size_t(1));
            QCOMPARE(platform.shown[0].text, message);
        }
        QCOMPARE(platform.waitDepth, 0);
    }

    void replaceAllRepaintsTheOtherPane() {
        auto doc = Document("ab\r\nab\r\n");
        auto first = Show(doc.get());
        auto second = Show<RecordingView>(doc.get(), {400, 300}, first.get());
        second->Settle();
        Find(*first, ReplaceAll("b", "bbbb"));
        QTest::qWait(10);
        QVERIFY(!second->painted.isEmpty());
        QCOMPARE(Bytes(*doc->GetStore()), QByteArray("abbbb\r\nabbbb\r\n"));
    }

    void replaceStopReplacesWhateverIsSelected() {
        auto doc = Document("R1 1 2 1k\r\nC1 2 0 1u\r\n");
        auto view = Show(doc.get());
        QVERIFY(!Enabled(*view, ID_SEARCH_REPLACE_STOP));
        Find(*view, {"1k", "4.7k"});
        QCOMPARE(Selection(*view), std::make_pair(TextPos{0, 7}, TextPos{0, 9}));
        QVERIFY(Enabled(*view, ID_SEARCH_REPLACE_STOP));
        QVERIFY(Enabled(*view, ID_SEARCH_REPLACE_FIND));
        Select(*view, {1, 7}, {1, 9}); // the user chooses other text
        view->OnCommand(ID_SEARCH_REPLACE_STOP);
        QCOMPARE(Bytes(*doc->GetStore()), QByteArray("R1 1 2 1k\r\nC1 2 0 4.7k\r\n"));
        QVERIFY(!view->HasSelection());
        QCOMPARE(view->CaretPos(), (TextPos{1, 11}));
        QVERIFY(!Enabled(*view, ID_SEARCH_REPLACE_STOP)); // no selection
        // A confirmed Find ends the Replace follow-ups.
        view->SetCaretPosition({0, 0});
        Find(*view, Forward("R1"));
        QVERIFY(view->HasSelection());
        QVERIFY(!Enabled(*view, ID_SEARCH_REPLACE_STOP));
        QVERIFY(!Enabled(*view, ID_SEARCH_REPLACE_FIND));
    }

    void replaceStopOverLinesJoinsThem() {
        auto doc = Document("ab\r\ncd\r\nef\r\n");
        auto view = Show(doc.get());
        Find(*view, {"zz", "-"}); // no match: beeps, but the follow-ups are on
        Select(*view, {0, 1}, {1, 1});
        view->OnCommand(ID_SEARCH_REPLACE_STOP);
        QCOMPARE(Bytes(*doc->GetStore()), QByteArray("a-d\r\nef\r\n"));
        QCOMPARE(view->CaretPos(), (TextPos{0, 2}));
    }

    void dialogsStartFromTheSelectionOrTheWord_data() {
        QTest::addColumn<TextPos>("from");
        QTest::addColumn<TextPos>("to"); // equal to from: no selection
        QTest::addColumn<QString>("find");
        QTest::addColumn<QString>("replace");
        QTest::newRow("three lines") << TextPos{0, 3} << TextPos{2, 1} << "cdef"
                                     << "cde";
        QTest::newRow("three lines, selected upward") << TextPos{2, 1} << TextPos{0, 3} << "cdef"
                                                      << "cde";
        QTest::newRow("from the end of the first line") << TextPos{0, 7} << TextPos{1, 1} << ""
                                                        << "f";
        QTest::newRow("within a line") << TextPos{1, 2} << TextPos{1, 0} << "xy"
                                       << "xy";
        QTest::newRow("the word at the caret") << TextPos{2, 5} << TextPos{2, 5} << "vin"
                                               << "vin";
    }
    void dialogsStartFromTheSelectionOrTheWord() {
        QFETCH(TextPos, from);
        QFETCH(TextPos, to);
        QFETCH(QString, find);
        QFETCH(QString, replace);
        auto doc = Document("ab cdef\r\nxyz\r\nR1 vin 0\r\n");
        auto view = Show(doc.get());
        User user{{Answer{{}, {}, 2}, Answer{{}, {}, 2}}, {}};
        platform.runDialog = std::ref(user);
        for (int id : {ID_EDIT_FIND, ID_EDIT_REPLACE}) {
            Select(*view, from, to);
            view->OnCommand(id);
        }
        platform.runDialog = nullptr;
        QCOMPARE(user.offered, QStringList({find, replace}));
    }

    void cancelLeavesEverythingAndIgnoresTheNextDrag_data() {
        QTest::addColumn<int>("command");
        QTest::newRow("Find") << int(ID_EDIT_FIND);
        QTest::newRow("Replace") << int(ID_EDIT_REPLACE);
        QTest::newRow("Go To Line") << int(ID_SEARCH_GO_TO_LINE);
    }
    void cancelLeavesEverythingAndIgnoresTheNextDrag() {
        QFETCH(int, command);
        auto doc = Document(Numbered(5));
        auto view = Show(doc.get());
        Find(*view, {"line", "row"});
        Select(*view, {3, 1}, {2, 2});
        platform.dialogAnswers = {QDialog::Rejected};
        view->OnCommand(command);
        QVERIFY(g_bIgnoreNextDrag);
        QCOMPARE(view->CaretPos(), (TextPos{3, 1}));
        QCOMPARE(view->SelEnd(), (TextPos{2, 2}));
        QCOMPARE(view->SearchText(), std::string("line"));
        QCOMPARE(view->ReplaceText(), std::string("row"));
        QVERIFY(view->IsReplaceActive());
        QCOMPARE(Bytes(*doc->GetStore()), Numbered(5));
    }

    void goToLineMovesToTheLineStart() {
        auto doc = Document(Numbered(50));
        auto view = Show(doc.get());
        Select(*view, {4, 2}, {6, 3});
        QString offered;
        platform.runDialog = [&](QDialog& dialog) {
            auto* edit = Control<QLineEdit>(dialog, CGoToLineDlg::IDC_LINE_NUMBER);
            offered = edit->text();
            edit->setText("40");
            dialog.findChild<QPushButton*>("1")->click();
            return dialog.result();
        };
        view->OnCommand(ID_SEARCH_GO_TO_LINE);
        platform.runDialog = nullptr;
        QCOMPARE(offered, QString("5")); // the caret's line, counted from 1
        QVERIFY(!view->HasSelection());
        QCOMPARE(view->CaretPos(), (TextPos{39, 0}));
        QVERIFY(!g_bIgnoreNextDrag);
        // The line is scrolled into view.
        const QPoint caret = view->PosToPoint(view->CaretPos());
        QVERIFY(caret.y() >= 0 && caret.y() < view->viewport()->height());
    }

    // The dialog's own loop, keys and all: a refused number keeps it open.
    void goToLineRunsItsLoopUntilAValidLine() {
        auto doc = Document(Numbered(3));
        auto view = Show(doc.get());
        platform.runDialog = [](QDialog& dialog) {
            QTimer::singleShot(0, &dialog, [&dialog] {
                auto* edit = Control<QLineEdit>(dialog, CGoToLineDlg::IDC_LINE_NUMBER);
                edit->setText("4");
                QTest::keyClick(&dialog, Qt::Key_Return);
                edit->setText("3");
                QTest::keyClick(&dialog, Qt::Key_Return);
            });
            return dialog.exec();
        };
        view->OnCommand(ID_SEARCH_GO_TO_LINE);
        platform.runDialog = nullptr;
        QCOMPARE(platform.shown.size(), std::size_t(1));
        QCOMPARE(platform.shown[0].text, QString("Please enter an integer between 1 and 3."));
        QCOMPARE(view->CaretPos(), (TextPos{2, 0}));
    }

    void openSelectionTakesTheSelectedBytes_data() {
        QTest::addColumn<TextPos>("from");
        QTest::addColumn<TextPos>("to");
        QTest::addColumn<QByteArray>("name");
        QTest::newRow("a trailing blank goes with it")
            << TextPos{0, 9} << TextPos{0, 17} << QByteArray("amp.lib ");
        QTest::newRow("over two lines: the first line's part")
            << TextPos{0, 9} << TextPos{1, 3} << QByteArray("amp.lib 'x'");
        QTest::newRow("quotes are part of it")
            << TextPos{0, 17} << TextPos{0, 20} << QByteArray("'x'");
        QTest::newRow("a byte that is not UTF-8")
            << TextPos{1, 0} << TextPos{1, 8} << QByteArray("mod\xe9le.c", 8);
    }
    void openSelectionTakesTheSelectedBytes() {
        QFETCH(TextPos, from);
        QFETCH(TextPos, to);
        QFETCH(QByteArray, name);
        auto doc = Document(".include amp.lib 'x'\r\nmod\xe9le.cir\r\n");
        Opener opener;
        auto view = std::make_unique<CKelvoView>(doc.get(), &opener);
        view->resize(400, 300);
        view->OnInitialUpdate(nullptr);
        Select(*view, from, to);
        QVERIFY(Enabled(*view, ID_SEARCH_OPEN_SELECTION));
        view->OnCommand(ID_SEARCH_OPEN_SELECTION);
        QCOMPARE(opener.names, FileNameList{FileName::FromBytes(name)});
        QCOMPARE(platform.shown.size(), std::size_t(1));
        QCOMPARE(platform.shown[0].text,
                 "Unable to open the file:\n" + FileName::FromBytes(name).Display());
        QCOMPARE(platform.shown[0].style, MB_OK);
        QCOMPARE(view->CaretPos(), from); // the selection stays
        QCOMPARE(view->SelEnd(), to);

        // Opened: nothing to say.
        opener.opened = doc.get();
        platform.shown.clear();
        view->OnCommand(ID_SEARCH_OPEN_SELECTION);
        QVERIFY(platform.shown.empty());
    }

    // A text with a character the document cannot hold (an ohm sign) is found nowhere,
    // not as the "?" it would become; a replacement with one replaces nothing.
    void textsTheDocumentCannotHoldChangeNothing() {
        const QByteArray text("* why? which?\r\nR1 1 2 1k\r\n");
        auto doc = Document(text);
        auto view = Show(doc.get());
        Find(*view, Forward(QString::fromUtf8("\u03a9")));
        QVERIFY(!view->HasSelection());
        QCOMPARE(platform.beeps, 1);
        QVERIFY(!Enabled(*view, ID_SEARCH_FIND_AGAIN));
        Find(*view, ReplaceAll(QString::fromUtf8("\u03a9"), "ohm"));
        QCOMPARE(platform.beeps, 2);
        QVERIFY(!view->IsReplaceActive());
        Find(*view, ReplaceAll("1k", QString::fromUtf8("1k\u03a9")));
        QCOMPARE(platform.beeps, 3);
        QCOMPARE(QString::fromLatin1(view->ReplaceText()), QString("ohm"));
        QVERIFY(platform.shown.empty());
        QCOMPARE(Bytes(*doc->GetStore()), text);
        QVERIFY(!doc->IsModified());
        // What the table holds still goes in as its byte.
        Find(*view, ReplaceAll("1k", QString::fromUtf8("1k\u00b5")));
        QCOMPARE(Bytes(*doc->GetStore()), QByteArray("* why? which?\r\nR1 1 2 1k\xb5\r\n"));
    }

    // A selected line longer than a text field's usual limit is searched for and replaced
    // whole.
    void aVeryLongSelectedLineIsReplacedWhole() {
        const QByteArray line = "R1 " + QByteArray(40000, 'x') + " end";
        auto doc = Document(line + "\r\nC1 1 0 1p\r\n");
        auto view = Show(doc.get());
        Select(*view, {0, 0}, {1, 0});
        User user{{ReplaceAll(QString(), "Q")}, {}};
        user.answers.front().find = QString::fromLatin1(line.left(line.size() - 1));
        platform.runDialog = std::ref(user);
        view->OnCommand(ID_EDIT_REPLACE);
        platform.runDialog = nullptr;
        QCOMPARE(user.offered.front().size(), line.size() - 1);
        QCOMPARE(Bytes(*doc->GetStore()), QByteArray("Qd\r\nC1 1 0 1p\r\n"));
    }

    void openSelectionNeedsASelection() {
        auto doc = Document("amp.lib\r\n");
        Opener opener;
        auto view = std::make_unique<CKelvoView>(doc.get(), &opener);
        view->OnInitialUpdate(nullptr);
        QVERIFY(!Enabled(*view, ID_SEARCH_OPEN_SELECTION));
        view->OnCommand(ID_SEARCH_OPEN_SELECTION);
        QVERIFY(opener.names.isEmpty());
        QVERIFY(platform.shown.empty());
    }

    void aNewPaneSearchesOnAsTheFirst() {
        auto doc = Document("ab ab ab\r\n");
        auto first = Show(doc.get());
        first->SetCaretPosition({0, 8});
        Find(*first, Back("AB"));
        Find(*first, {"ab", "x"}); // Find Next: the follow-ups on, still backward
        auto second = Show(doc.get(), {400, 300}, first.get());
        QCOMPARE(second->SearchText(), std::string("ab"));
        QCOMPARE(second->ReplaceText(), std::string("x"));
        QVERIFY(!second->SearchesForward());
        QVERIFY(second->IsReplaceActive());
        // Afterwards each keeps its own.
        Find(*second, {"b", QString(), 1, true, false});
        QCOMPARE(first->SearchText(), std::string("ab"));
        QVERIFY(!first->MatchesCase());
        QVERIFY(second->MatchesCase());
    }
};

QTEST_MAIN(ViewSearchTest)
#include "tst_viewsearch.moc"
