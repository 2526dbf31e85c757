#include <QAbstractButton>
#include <QScrollBar>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QStyleOptionTitleBar>
#include <QTemporaryDir>
#include <QtTest>

#include "AppTestKit.h"
#include "QtPlatform.h"

namespace {

QMenu* MenuNamed(QMainWindow* window, const QString& title) {
    for (QAction* action : window->menuBar()->actions())
        if (action->text() == title)
            return action->menu();
    return nullptr;
}

// The Window menu's list of document windows, as the user sees it when the menu opens.
QList<QAction*> WindowList(CMainFrame* frame) {
    QMenu* menu = MenuNamed(frame, "&Window");
    if (menu == nullptr)
        return {};
    emit menu->aboutToShow();
    QList<QAction*> entries;
    for (QAction* action : menu->actions())
        if (action->property("windowEntry").toBool() && !action->isSeparator())
            entries << action;
    return entries;
}

int TitleBarHeight(const QMdiSubWindow* window) {
    QStyleOptionTitleBar option;
    option.initFrom(window);
    option.titleBarFlags = window->windowFlags();
    option.titleBarState = int(window->windowState());
    return window->style()->pixelMetric(QStyle::PM_TitleBarHeight, &option, window);
}

// How far a pixel of an icon, laid over the background, stands out from it.
int Contrast(QRgb pixel, const QColor& background) {
    const int alpha = qAlpha(pixel);
    const int shown = (qGray(pixel) * alpha + qGray(background.rgb()) * (255 - alpha)) / 255;
    return std::abs(shown - qGray(background.rgb()));
}

int MaxContrast(const QImage& image, const QColor& background) {
    int most = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            most = std::max(most, Contrast(image.pixel(x, y), background));
    return most;
}

// Answers No where the box offers it, and closes it otherwise.
void AnswerNo(QMessageBox* box) {
    if (QAbstractButton* no = box->button(QMessageBox::No))
        no->click();
    else
        box->close();
}

QMessageBox* OpenMessageBox() {
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<QMessageBox*>(widget); box && box->isVisible())
            return box;
    return nullptr;
}

} // namespace

// The document windows in the main window's area: where they go, which one is active,
// the keys and the Window menu that move between them.
class WindowsTest : public AppTestKit {
    Q_OBJECT

    CChildFrame* ChildOf(const QString& title) const {
        for (CKelvoDoc* doc : app->DocManager()->Documents())
            if (doc->GetTitle() == title)
                return app->MainFrame()->FindChild(doc);
        return nullptr;
    }
    QRect Area() const { return app->MainFrame()->MdiArea()->viewport()->rect(); }

private slots:
    void init() {
        SetUp();
        Write("a.cir", "* a\r\nR1 1 2 1k\r\n");
        Write("b.cir", "* b\r\nR1 1 2 1k\r\n");
    }
    void cleanup() { TearDown(); }

    void newWindowsStayInsideTheArea() {
        CKelvoApp& kelvo = Start({"a.cir"});
        CMainFrame* frame = kelvo.MainFrame();
        QVERIFY(QTest::qWaitForWindowExposed(frame));
        const QRect area = Area();
        std::vector<QRect> places;
        for (int i = 0; i < 40; ++i) {
            kelvo.OnFileNew();
            const QRect placed = frame->ActiveChild()->geometry();
            QVERIFY2(area.contains(placed), qPrintable(QString("Untitled%1 at %2,%3 %4x%5")
                                                           .arg(i + 1)
                                                           .arg(placed.x())
                                                           .arg(placed.y())
                                                           .arg(placed.width())
                                                           .arg(placed.height())));
            places.push_back(placed);
        }
        // One title bar further down and right each time, and back to the top left once the
        // next place would leave the area.
        const int step = TitleBarHeight(frame->ActiveChild());
        QCOMPARE(places[1].topLeft() - places[0].topLeft(), QPoint(step, step));
        const auto restart = std::find_if(places.begin() + 1, places.end(),
                                          [](const QRect& r) { return r.topLeft() == QPoint(); });
        QVERIFY(restart != places.end());
        const QRect before = *(restart - 1);
        QVERIFY(!area.contains(before.translated(step, step)));
    }

    void startingWithoutAFilePlacesUntitled1InsideTheArea() {
        CKelvoApp& kelvo = Start({});
        QVERIFY(QTest::qWaitForWindowExposed(kelvo.MainFrame()));
        // The first place of the cascade, measured on the area the window shows with.
        const QRect area = Area();
        QCOMPARE(kelvo.MainFrame()->ActiveChild()->geometry(),
                 QRect(0, 0, area.width() * 2 / 3, area.height() * 2 / 3));
    }

    void cascadeKeepsTheWindowsLarge() {
        CKelvoApp& kelvo = Start({"a.cir"});
        CMainFrame* frame = kelvo.MainFrame();
        QVERIFY(QTest::qWaitForWindowExposed(frame));
        kelvo.OpenDocumentFile(Path("b.cir"));
        kelvo.OnFileNew();
        CChildFrame* active = frame->ActiveChild();
        frame->Action(ID_WINDOW_CASCADE)->trigger();
        const QRect area = Area();
        const int step = TitleBarHeight(active);
        // The least recently used window goes first, so the active one ends on top.
        const QList<QMdiSubWindow*> order =
            frame->MdiArea()->subWindowList(QMdiArea::ActivationHistoryOrder);
        QCOMPARE(order.size(), 3);
        for (int i = 0; i < order.size(); ++i)
            QCOMPARE(order[i]->geometry(),
                     QRect(i * step, i * step, area.width() * 2 / 3, area.height() * 2 / 3));
        QCOMPARE(frame->ActiveChild(), active);
    }

    // A window that reaches past the area once the main window shrinks is reached with
    // the area's scroll bars, which go again when the main window grows back.
    void aWindowPastTheShrunkenAreaIsReachedByScrolling() {
        CKelvoApp& kelvo = Start({"a.cir"});
        CMainFrame* frame = kelvo.MainFrame();
        QVERIFY(QTest::qWaitForWindowExposed(frame));
        frame->resize(1000, 800);
        QMdiSubWindow* child = frame->ActiveChild();
        child->setGeometry(QRect(QPoint(0, 0), Area().size() * 9 / 10));
        QMdiArea* area = frame->MdiArea();
        QTRY_VERIFY(!area->horizontalScrollBar()->isVisible());
        frame->resize(640, 420);
        QTRY_VERIFY(area->horizontalScrollBar()->isVisible());
        QTRY_VERIFY(area->verticalScrollBar()->isVisible());
        area->horizontalScrollBar()->setValue(area->horizontalScrollBar()->maximum());
        area->verticalScrollBar()->setValue(area->verticalScrollBar()->maximum());
        QTRY_VERIFY(Area().contains(child->geometry().bottomRight()));
        frame->resize(1000, 800);
        QTRY_VERIFY(!area->horizontalScrollBar()->isVisible());
        QVERIFY(Area().contains(child->geometry()));
    }

    void closingActivatesTheWindowUsedBefore() {
        CKelvoApp& kelvo = Start({"a.cir"});
        CMainFrame* frame = kelvo.MainFrame();
        QVERIFY(QTest::qWaitForWindowActive(frame));
        kelvo.OpenDocumentFile(Path("b.cir"));
        kelvo.OnFileNew();
        frame->Action(ID_FILE_CLOSE)->trigger();
        QTRY_COMPARE(kelvo.CountDocuments(), 2);
        QTest::qWait(0);
        QCOMPARE(frame->ActiveDocument()->GetTitle(), QString("b.cir"));
        QCOMPARE(frame->windowTitle(), QString("Kelvo - b.cir"));

        // The order is that of use, not of opening.
        frame->Activate(ChildOf("a.cir"));
        kelvo.OnFileNew();
        ChildOf("Untitled2")->close();
        QTRY_COMPARE(kelvo.CountDocuments(), 2);
        QTest::qWait(0);
        QCOMPARE(frame->ActiveDocument()->GetTitle(), QString("a.cir"));
        frame->Action(ID_FILE_CLOSE)->trigger();
        QTRY_COMPARE(kelvo.CountDocuments(), 1);
        QTest::qWait(0);
        QCOMPARE(frame->ActiveDocument()->GetTitle(), QString("b.cir"));
    }

    // The windows go with the main window; while they go, nothing asks the area being
    // destroyed which window is active (the caption would be set from what is left of it).
    void mainWindowGoesWithItsWindows() {
        CKelvoApp& kelvo = Start({"a.cir"});
        CMainFrame* frame = kelvo.MainFrame();
        QVERIFY(QTest::qWaitForWindowExposed(frame));
        kelvo.OpenDocumentFile(Path("b.cir"));
        kelvo.OnFileNew();
        ChildOf("a.cir")->showMinimized();
        frame->Activate(ChildOf("b.cir"));
        QCOMPARE(frame->windowTitle(), QString("Kelvo - b.cir"));
        QStringList captions;
        connect(frame, &QWidget::windowTitleChanged, frame,
                [&captions](const QString& caption) { captions << caption; });
        app->MainFrame()->SetOwner(nullptr);
        app.reset();
        QCOMPARE(captions, QStringList());
    }

    // Closing a window closes its document first; until the window itself has gone, the
    // document it held is no longer reachable through it.
    void closedDocumentIsNotReachedThroughItsWindow() {
        CKelvoApp& kelvo = Start({"a.cir"});
        CMainFrame* frame = kelvo.MainFrame();
        QVERIFY(QTest::qWaitForWindowExposed(frame));
        kelvo.OpenDocumentFile(Path("b.cir"))->GetStore()->Edit({0, 0}, kInsertChar, "x");
        CChildFrame* closing = frame->ActiveChild();
        bool reached = true;
        connect(closing, &CChildFrame::aboutToClose, frame, [&] {
            reached = closing->Document() != nullptr || frame->ActiveDocument() != nullptr ||
                      frame->ActiveView() != nullptr;
        });
        platform.answers = {IDNO};
        closing->close();
        QCOMPARE(kelvo.CountDocuments(), 1);
        QVERIFY(!reached);
        QTest::qWait(0);
        QCOMPARE(frame->ActiveDocument()->GetTitle(), QString("a.cir"));
        QCOMPARE(frame->windowTitle(), QString("Kelvo - a.cir"));
    }

    void windowListRestoresAMinimizedWindow() {
        CKelvoApp& kelvo = Start({"a.cir"});
        CMainFrame* frame = kelvo.MainFrame();
        QVERIFY(QTest::qWaitForWindowExposed(frame));
        kelvo.OpenDocumentFile(Path("b.cir"));
        CChildFrame* first = ChildOf("a.cir");
        first->showMinimized();
        frame->Activate(ChildOf("b.cir"));
        const QList<QAction*> entries = WindowList(frame);
        QCOMPARE(entries.size(), 2);
        QCOMPARE(entries[0]->text(), QString("&1 a.cir"));
        entries[0]->trigger();
        QCOMPARE(frame->ActiveChild(), first);
        QVERIFY(!first->isMinimized());
    }

    void windowListChecksOnlyTheActiveWindow() {
        CKelvoApp& kelvo = Start({"a.cir"});
        CMainFrame* frame = kelvo.MainFrame();
        kelvo.OpenDocumentFile(Path("b.cir"));
        kelvo.OnFileNew();
        const QList<QAction*> entries = WindowList(frame);
        QCOMPARE(entries.size(), 3);
        // An entry that can be checked draws a box even when unchecked.
        for (QAction* entry : entries) {
            const bool active = entry->text().endsWith("Untitled1");
            QCOMPARE(entry->isCheckable(), active);
            QCOMPARE(entry->isChecked(), active);
        }
    }

    void windowKeysMoveBetweenAndCloseWindows() {
        QTest::failOnWarning(QRegularExpression("Ambiguous shortcut"));
        CKelvoApp& kelvo = Start({"a.cir"});
        CMainFrame* frame = kelvo.MainFrame();
        QVERIFY(QTest::qWaitForWindowActive(frame));
        kelvo.OpenDocumentFile(Path("b.cir"));
        kelvo.OnFileNew();
        auto press = [frame](int key, Qt::KeyboardModifiers modifiers) {
            CKelvoView* view = frame->ActiveView();
            view->setFocus();
            QTest::keyClick(view, Qt::Key(key), modifiers);
        };
        auto active = [frame] { return frame->ActiveDocument()->GetTitle(); };
        // Next goes to the window behind, and the one left goes to the back; previous
        // brings the back one forward.
        press(Qt::Key_F6, Qt::ControlModifier);
        QCOMPARE(active(), QString("b.cir"));
        press(Qt::Key_F6, Qt::ControlModifier);
        QCOMPARE(active(), QString("a.cir"));
        press(Qt::Key_F6, Qt::ControlModifier);
        QCOMPARE(active(), QString("Untitled1"));
        press(Qt::Key_F6, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(active(), QString("a.cir"));
        press(Qt::Key_F6, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(active(), QString("b.cir"));

        // Ctrl+F4 closes as File > Close does, asking first when there are changes.
        frame->ActiveDocument()->GetStore()->Edit({0, 0}, kInsertChar, "x");
        platform.answers = {IDCANCEL};
        press(Qt::Key_F4, Qt::ControlModifier);
        QCOMPARE(platform.shown.size(), std::size_t(1));
        QCOMPARE(platform.shown.back().text, QString("Save changes to b.cir?"));
        QCOMPARE(kelvo.CountDocuments(), 3);
        platform.answers = {IDNO};
        press(Qt::Key_F4, Qt::ControlModifier);
        QTRY_COMPARE(kelvo.CountDocuments(), 2);
        QVERIFY(kelvo.DocManager()->FindOpenDocument(Path("b.cir")) == nullptr);
    }

    void disabledToolbarIconsLookDisabled() {
        CKelvoApp& kelvo = Start({});
        QToolBar* toolbar = kelvo.MainFrame()->ToolBar();
        const QColor background = toolbar->palette().color(QPalette::Disabled, QPalette::Window);
        const QSize size = toolbar->iconSize();
        QStringList tooStrong;
        for (QAction* action : toolbar->actions()) {
            if (action->isSeparator())
                continue;
            const QIcon icon = action->icon();
            const int normal = MaxContrast(icon.pixmap(size).toImage(), background);
            const int disabled =
                MaxContrast(icon.pixmap(size, QIcon::Disabled).toImage(), background);
            // Still there, but faint beside what the enabled icon shows.
            QVERIFY2(disabled > 0, qPrintable(action->toolTip()));
            if (disabled > 80)
                tooStrong << QString("%1 (%2 against %3)")
                                 .arg(action->toolTip())
                                 .arg(disabled)
                                 .arg(normal);
        }
        QVERIFY2(tooStrong.isEmpty(), qPrintable(tooStrong.join(", ")));
    }

    // What a signal's exit does to dialogs that are open, with the real dialogs.
    void signalCancelsDialogsThatAskNothing() {
        CKelvoApp& kelvo = Start({"a.cir"}, &RealPlatform());
        CMainFrame* frame = kelvo.MainFrame();
        QVERIFY(QTest::qWaitForWindowExposed(frame));
        bool dialogShown = false;
        QObject guard; // no timer outlives this test
        QTimer::singleShot(0, &guard, [&] {
            dialogShown = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            kelvo.RequestExit();
        });
        // Should the dialog stay, it is closed here, so that the test fails instead of hanging.
        bool stayed = false;
        QTimer::singleShot(5000, &guard, [&] {
            if (QWidget* modal = QApplication::activeModalWidget())
                stayed = modal->close();
        });
        frame->Action(ID_FILE_OPEN)->trigger();
        QVERIFY(dialogShown);
        QVERIFY(!stayed);
        // Test waits do not block, so the idle pass is run here.
        QTRY_VERIFY((kelvo.OnIdle(), !frame->isVisible()));
        QCOMPARE(kelvo.CountDocuments(), 0);
    }

    void signalWaitsForTheSaveQuestion() {
        CKelvoApp& kelvo = Start({"a.cir"}, &RealPlatform());
        CMainFrame* frame = kelvo.MainFrame();
        QVERIFY(QTest::qWaitForWindowExposed(frame));
        frame->ActiveDocument()->GetStore()->Edit({0, 0}, kInsertChar, "x");
        bool askingAfterSignal = false;
        QObject guard; // no timer outlives this test
        QTimer::singleShot(0, &guard, [&] {
            kelvo.RequestExit();
            QTimer::singleShot(100, &guard, [&] {
                QMessageBox* box = OpenMessageBox();
                askingAfterSignal = box != nullptr && box->text() == "Save changes to a.cir?";
                if (box != nullptr)
                    AnswerNo(box);
            });
        });
        frame->Action(ID_FILE_CLOSE)->trigger();
        QVERIFY(askingAfterSignal);
        QTRY_VERIFY((kelvo.OnIdle(), !frame->isVisible())); // the exit goes on once answered
        QCOMPARE(QFile(TextPath("a.cir")).size(), qint64(16)); // answered No: not saved
    }

    void signalCancelsOnlyMessagesThatAskNothing_data() {
        QTest::addColumn<int>("style");
        QTest::addColumn<bool>("cancelled");
        QTest::addColumn<int>("answer");
        QTest::newRow("OK only") << (MB_OK | MB_ICONEXCLAMATION) << true << IDOK;
        QTest::newRow("Yes or No") << (MB_YESNO | MB_ICONQUESTION) << false << IDNO;
        QTest::newRow("Yes, No or Cancel") << (MB_YESNOCANCEL | MB_ICONQUESTION) << false << IDNO;
    }
    void signalCancelsOnlyMessagesThatAskNothing() {
        QFETCH(int, style);
        QFETCH(bool, cancelled);
        QFETCH(int, answer);
        QtPlatform qt;
        bool stillShown = false;
        QObject guard; // no timer outlives this test
        QTimer::singleShot(0, &guard, [&] {
            qt.CancelDialogs();
            QTimer::singleShot(50, &guard, [&] {
                QMessageBox* box = OpenMessageBox();
                stillShown = box != nullptr;
                if (box != nullptr)
                    AnswerNo(box);
            });
        });
        QCOMPARE(qt.MessageBox("Something happened.\n", style), answer);
        QCOMPARE(stillShown, !cancelled);
    }
};

QTEST_MAIN(WindowsTest)
#include "tst_windows.moc"
