#include <QStatusBar>
#include <QToolBar>

#include "AppTestKit.h"
#include "CommandIds.h"
#include "ContextHelpMode.h"

// F1, Shift+F1 and the Help menu, as the main window routes them to the help window.
class HelpTest : public AppTestKit {
    Q_OBJECT

    using Shown = std::vector<std::pair<unsigned, int>>;
    static constexpr std::pair<unsigned, int> kMainTopic{HELP_CONTEXT, kMainWindowHelpContext};

    CMainFrame* StartOn(const QByteArray& text) {
        Write("a.cir", text);
        CMainFrame* frame = Start({"a.cir"}).MainFrame();
        frame->activateWindow();
        if (!QTest::qWaitForWindowActive(frame))
            return nullptr;
        return frame;
    }
    static QPoint LinePoint(const CKelvoView* view, int line) {
        return {30, line * view->LineHeight() + view->LineHeight() / 2};
    }

private slots:
    void init() { SetUp(); }
    void cleanup() { TearDown(); }

    void f1ShowsTheCaretLinesKeywordElseTheMainWindowsTopic() {
        CMainFrame* frame = StartOn("* amp\r\n.model QGEN NPN(BF=150)\r\n  .tran 1n 1u\r\n");
        QVERIFY(frame != nullptr);
        CKelvoView* view = frame->ActiveView();
        view->SetCaretPosition({1, 3});
        frame->UpdateCommandStates();
        QVERIFY(frame->Action(ID_HELP)->isEnabled());
        frame->Action(ID_HELP)->trigger();
        view->SetCaretPosition({2, 0});
        frame->Action(ID_HELP)->trigger();
        frame->Action(ID_HELP_INDEX)->trigger();
        frame->Action(ID_HELP_USING)->trigger();
        QCOMPARE(platform.helpShown,
                 (Shown{{HELP_CONTEXT, 19}, kMainTopic, {HELP_INDEX, 0}, {HELP_HELPONHELP, 0}}));
        // With no document at all the menu still answers.
        app->DocManager()->CloseAllDocuments();
        platform.helpShown.clear();
        frame->UpdateCommandStates();
        QVERIFY(frame->Action(ID_HELP)->isEnabled());
        QVERIFY(frame->Action(ID_CONTEXT_HELP)->isEnabled());
        frame->Action(ID_HELP)->trigger();
        QCOMPARE(platform.helpShown, Shown{kMainTopic});
    }

    // While another window is the active one, the document window does not answer F1 from
    // its caret's line: the active window's own topic is shown instead.
    void f1InAnotherWindowLeavesTheDocumentAlone() {
        CMainFrame* frame = StartOn(".model QGEN NPN\r\n");
        QVERIFY(frame != nullptr);
        QDialog dialog; // no owner: one would count as active while its owner is
        dialog.show();
        dialog.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        frame->RouteCommand(ID_HELP);
        dialog.hide();
        QWidget helpWindow;
        platform.helpWindow = &helpWindow;
        helpWindow.show();
        helpWindow.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&helpWindow));
        frame->RouteCommand(ID_HELP);
        QCOMPARE(platform.helpShown, (Shown{kMainTopic, {HELP_HELPONHELP, 0}}));
    }

    // Shift+F1: the next click asks for the topic of what it lands on and does nothing
    // else; keys do nothing meanwhile; Escape leaves without a topic.
    void contextHelpAsksTheClickedLine() {
        CMainFrame* frame = StartOn("* amp\r\n.tran 10u 5m\r\n  foo bar\r\n");
        QVERIFY(frame != nullptr);
        CKelvoView* view = frame->ActiveView();
        const int documents = int(frame->MdiArea()->subWindowList().size());
        frame->RouteCommand(ID_CONTEXT_HELP);
        QVERIFY(frame->IsInHelpMode());
        QCOMPARE(frame->StatusBar()->currentMessage(), QString(ContextHelpMode::kPrompt));
        QVERIFY(QApplication::overrideCursor() != nullptr);
        QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WhatsThisCursor);
        QTest::keyClick(view, Qt::Key_N, Qt::ControlModifier); // File > New's key
        QTest::keyClick(view, Qt::Key_X);
        QCOMPARE(int(frame->MdiArea()->subWindowList().size()), documents);
        QCOMPARE(view->GetStore()->LineAt(0)->length, 5);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, LinePoint(view, 1));
        QVERIFY(!frame->IsInHelpMode());
        QCOMPARE(view->CaretPos().line, 0); // the click only asked
        QCOMPARE(QApplication::overrideCursor(), nullptr);
        QCOMPARE(frame->StatusBar()->currentMessage(), QString(CMainFrame::kIdlePrompt));

        // A line with no keyword, or anything but a line: the main window's topic.
        frame->RouteCommand(ID_CONTEXT_HELP);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, LinePoint(view, 2));
        frame->RouteCommand(ID_CONTEXT_HELP);
        QTest::mouseClick(frame->ToolBar(), Qt::LeftButton, {}, {3, 3});
        // Escape leaves with no topic, and the keys work again.
        frame->RouteCommand(ID_CONTEXT_HELP);
        QTest::keyClick(view, Qt::Key_Escape);
        QVERIFY(!frame->IsInHelpMode());
        QCOMPARE(QApplication::overrideCursor(), nullptr);
        QTest::keyClick(view, Qt::Key_X);
        QCOMPARE(view->GetStore()->LineAt(0)->length, 6);
        QCOMPARE(platform.helpShown, (Shown{{HELP_CONTEXT, 27}, kMainTopic, kMainTopic}));
    }
};

QTEST_MAIN(HelpTest)
#include "tst_help.moc"
