#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
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
        CMainFrame* frame = StartOn("* amp\r\n.model QGEN NPN(BF=150)\r\n  1n 1u\r\n");
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
        CMainFrame* frame = StartOn("* amp\r\n.tran 10u 5m\r\n  12 34\r\n");
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

    // A question that comes up while the mode is on (before the program ends, say) ends
    // the mode: its buttons take their clicks.
    void aBoxComingUpEndsTheMode() {
        CMainFrame* frame = StartOn("* amp\r\n");
        QVERIFY(frame != nullptr);
        frame->RouteCommand(ID_CONTEXT_HELP);
        QMessageBox box(QMessageBox::Question, "Kelvo", "Save changes?",
                        QMessageBox::Yes | QMessageBox::No, frame);
        bool modeWhileAsked = true;
        QTimer::singleShot(0, &box, [&] {
            modeWhileAsked = frame->IsInHelpMode();
            QTest::mouseClick(box.button(QMessageBox::No), Qt::LeftButton);
        });
        QTimer::singleShot(5000, &box, &QDialog::reject); // a click swallowed ends the wait
        QCOMPARE(box.exec(), int(QMessageBox::No));
        QVERIFY(!modeWhileAsked);
        QCOMPARE(QApplication::overrideCursor(), nullptr);
        QVERIFY(platform.helpShown.empty());
    }

    // Only the left button asks; another ends the mode with nothing else: no topic, no
    // context menu. Whatever the release of a help click does not reach, the next click is
    // the user's own.
    void otherButtonsAndLostReleasesLeaveTheNextClickAlone() {
        CMainFrame* frame = StartOn("* amp\r\n");
        QVERIFY(frame != nullptr);
        frame->RouteCommand(ID_CONTEXT_HELP);
        QTest::mousePress(frame->ToolBar(), Qt::RightButton, {}, {3, 3});
        QContextMenuEvent menu(QContextMenuEvent::Mouse, {3, 3},
                               frame->ToolBar()->mapToGlobal(QPoint(3, 3)));
        QApplication::sendEvent(frame->ToolBar(), &menu);
        QCOMPARE(QApplication::activePopupWidget(), nullptr);
        QTest::mouseRelease(frame->ToolBar(), Qt::RightButton, {}, {3, 3});
        QVERIFY(!frame->IsInHelpMode());
        QVERIFY(platform.helpShown.empty());

        frame->RouteCommand(ID_CONTEXT_HELP);
        QTest::mousePress(frame->ActiveView()->viewport(), Qt::LeftButton, {}, {30, 5});
        QCOMPARE(platform.helpShown, (Shown{{HELP_CONTEXT, 41}}));
        QPushButton button("OK", frame);
        button.show();
        QSignalSpy clicked(&button, &QPushButton::clicked);
        QTest::mouseClick(&button, Qt::LeftButton);
        QCOMPARE(clicked.count(), 1);
        QTest::mouseClick(&button, Qt::LeftButton);
        QCOMPARE(clicked.count(), 2);
    }

    // A menu left open would take the click that asks.
    void enteringTheModeClosesAnOpenMenu() {
        CMainFrame* frame = StartOn("* amp\r\n");
        QVERIFY(frame != nullptr);
        QMenu* file = frame->menuBar()->actions().front()->menu();
        file->popup(frame->mapToGlobal(QPoint(10, 10)));
        QVERIFY(QTest::qWaitForWindowExposed(file));
        QCOMPARE(QApplication::activePopupWidget(), file);
        frame->RouteCommand(ID_CONTEXT_HELP);
        QCOMPARE(QApplication::activePopupWidget(), nullptr);
        QVERIFY(frame->IsInHelpMode());
        QTest::keyClick(frame->ActiveView(), Qt::Key_Escape);
    }
};

QTEST_MAIN(HelpTest)
#include "tst_help.moc"
