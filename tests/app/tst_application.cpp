#include <QDialog>
#include <QDir>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "AppTestKit.h"
#include "CMainFrame.h"
#include "CommandIds.h"

namespace {

QStringList MenuTitles(QMainWindow* window) {
    QStringList titles;
    for (QAction* action : window->menuBar()->actions())
        titles << action->text();
    return titles;
}

} // namespace

// The program as a user starts it: the command line, the windows, menus and bars.
class ApplicationTest : public AppTestKit {
    Q_OBJECT
    QList<QByteArray> rawNames; // made by the test; Qt could not remove them

private slots:
    void init() {
        SetUp();
        Write("amp.cir", "* amp\r\nR1 1 2 1k\r\n");
        Write("amp.out", "result\r\n");
    }
    void cleanup() {
        TearDown();
        while (!rawNames.isEmpty()) {
            const QByteArray name = rawNames.takeLast();
            if (::unlink(name.constData()) != 0)
                ::rmdir(name.constData());
        }
    }

    void startingWithoutAFileMakesUntitled1() {
        CKelvoApp& kelvo = Start({});
        QCOMPARE(kelvo.CountDocuments(), 1);
        QCOMPARE(kelvo.MainFrame()->ActiveDocument()->GetTitle(), QString("Untitled1"));
        QCOMPARE(kelvo.MainFrame()->windowTitle(), QString("Kelvo - Untitled1"));
        QVERIFY(kelvo.FileLists().OpenedFiles().isEmpty());
        QVERIFY(!kelvo.CheckFilesPending());
    }

    void startingWithABareNameOpensIt() {
        CKelvoApp& kelvo = Start({"amp.cir", "/p" + dir.path() + "/lib"});
        QCOMPARE(kelvo.CountDocuments(), 1);
        QCOMPARE(kelvo.FileLists().OpenedFiles().value(0), Path("amp.cir"));
        QVERIFY(kelvo.FileLists().Directories().contains(FileName::FromText(dir.path() + "/")));
        QVERIFY(kelvo.FileLists().Directories().contains(Path("lib/")));
        QCOMPARE(kelvo.FileLists().Directories().value(0), ProgramDirectoryForTest());
        // A lone document fills the area.
        CChildFrame* child = kelvo.MainFrame()->ActiveChild();
        QCOMPARE(child->geometry(), kelvo.MainFrame()->MdiArea()->viewport()->rect());
        QVERIFY(platform.shown.empty());
    }

    void startingWithAMissingNameMakesUntitled1() {
        CKelvoApp& kelvo = Start({"missing.cir"});
        QCOMPARE(kelvo.MainFrame()->ActiveDocument()->GetTitle(), QString("Untitled1"));
        QVERIFY(platform.shown.empty());
    }

    void directoryOptionBeforeTheFileOpensNothing() {
        CKelvoApp& kelvo = Start({"/p" + dir.path() + "/lib", "amp.cir"});
        QCOMPARE(kelvo.MainFrame()->ActiveDocument()->GetTitle(), QString("Untitled1"));
        QVERIFY(!kelvo.FileLists().Directories().contains(Path("lib/")));
    }

    void menusFollowTheDocuments() {
        CKelvoApp& kelvo = Start({"amp.cir"});
        CMainFrame* frame = kelvo.MainFrame();
        QCOMPARE(MenuTitles(frame), (QStringList{"&File", "&Edit", "&Search", "&Options",
                                                 "&Actions", "&Window", "&Help"}));
        QCOMPARE(frame->windowTitle(), QString("Kelvo - amp.cir"));
        kelvo.DocManager()->CloseDocument(frame->ActiveDocument());
        QTRY_COMPARE(kelvo.CountDocuments(), 0);
        QTRY_COMPARE(MenuTitles(frame), (QStringList{"&File", "&Options", "&Window", "&Help"}));
        QCOMPARE(frame->windowTitle(), QString("Kelvo"));
        frame->UpdateCommandStates();
        QCOMPARE(frame->LinePane()->text(), QString());
        // Application commands work with no document; a document's do not.
        QVERIFY(frame->Action(ID_FILE_NEW)->isEnabled());
        QVERIFY(!frame->Action(ID_FILE_SAVE)->isEnabled());
        QVERIFY(!frame->Action(ID_FILE_CLOSE)->isEnabled());
    }

    void statusBarShowsTheCaret() {
        CKelvoApp& kelvo = Start({"amp.cir"});
        CMainFrame* frame = kelvo.MainFrame();
        const int width = frame->LinePane()->width();
        frame->UpdateCommandStates();
        QCOMPARE(frame->LinePane()->text(), QString(" Ln 1, Col 1 "));
        frame->ActiveView()->SetCaretPosition({1233, 77});
        frame->UpdateStatusPanes();
        QCOMPARE(frame->LinePane()->text(), QString(" Ln 1234, Col 78 "));
        QCOMPARE(frame->LinePane()->width(), width);
        QCOMPARE(frame->ReadOnlyPane()->text(), QString());

        CKelvoDoc* netlist = frame->ActiveDocument();
        kelvo.OpenDocumentFile(Path("amp.out"));
        frame->UpdateCommandStates();
        QCOMPARE(frame->ReadOnlyPane()->text(), QString(" READ "));
        QVERIFY(frame->Action(ID_OPTIONS_READ_ONLY)->isChecked());
        // The mark and the pane follow the active window.
        frame->Activate(frame->FindChild(netlist));
        frame->UpdateCommandStates();
        QCOMPARE(frame->ReadOnlyPane()->text(), QString());
        QVERIFY(!frame->Action(ID_OPTIONS_READ_ONLY)->isChecked());

        QVERIFY(frame->StatusBar()->isVisible());
        frame->Action(ID_VIEW_STATUS_BAR)->trigger();
        QVERIFY(!frame->StatusBar()->isVisible());
        QVERIFY(!frame->Action(ID_VIEW_STATUS_BAR)->isChecked());
        frame->Action(ID_VIEW_STATUS_BAR)->trigger();
        QVERIFY(frame->StatusBar()->isVisible());
        QVERIFY(frame->Action(ID_VIEW_STATUS_BAR)->isChecked());
    }

    void toolbarHasItsSlots() {
        CKelvoApp& kelvo = Start({});
        const QList<QAction*> slotActions = kelvo.MainFrame()->ToolBar()->actions();
        QCOMPARE(slotActions.size(), 25);
        QVERIFY(slotActions[3]->isSeparator());
        QCOMPARE(slotActions[0]->toolTip(), QString("New"));
        QCOMPARE(slotActions[20]->toolTip(), QString("Run Simulation"));
        QCOMPARE(slotActions[20]->statusTip(), QString("Go to the Spice application"));
        for (QAction* action : slotActions)
            QVERIFY(action->isSeparator() || !action->icon().isNull());
    }

    void windowsTileAndSplit() {
        CKelvoApp& kelvo = Start({"amp.cir"});
        CMainFrame* frame = kelvo.MainFrame();
        kelvo.OpenDocumentFile(Path("amp.out"));
        QCOMPARE(kelvo.CountDocuments(), 2);
        const QRect area = frame->MdiArea()->viewport()->rect();
        // Only a lone document is tiled: the second keeps its own size, the cascade's.
        const QRect placed = frame->FindChild(kelvo.DocManager()->Documents()[1])->geometry();
        QVERIFY(placed != area);
        QCOMPARE(placed.size(), QSize(area.width() * 2 / 3, area.height() * 2 / 3));
        frame->Action(ID_WINDOW_TILE_HORZ)->trigger();
        CChildFrame* first = frame->FindChild(kelvo.DocManager()->Documents()[0]);
        CChildFrame* second = frame->FindChild(kelvo.DocManager()->Documents()[1]);
        QCOMPARE(first->geometry(), QRect(0, 0, area.width(), area.height() / 2));
        QCOMPARE(second->geometry().top(), area.height() / 2);
        frame->Action(ID_WINDOW_TILE_VERT)->trigger();
        QCOMPARE(first->geometry(), QRect(0, 0, area.width() / 2, area.height()));

        frame->Activate(first);
        frame->Action(ID_WINDOW_SPLIT)->trigger();
        QCOMPARE(first->Panes().size(), std::size_t(2));
        CKelvoView* top = first->Panes()[0];
        CKelvoView* bottom = first->Panes()[1];
        QCOMPARE(bottom->Sibling(), top);
        top->setFocus();
        frame->Action(ID_NEXT_PANE)->trigger();
        QCOMPARE(first->ActiveView(), bottom);
        // Dragging the top pane down to nothing leaves the bottom one, font and all.
        first->Splitter()->setSizes({0, 300});
        first->DropCollapsedPane();
        QCOMPARE(first->Panes().size(), std::size_t(1));
        QTRY_COMPARE(bottom->Sibling(), nullptr);
        QVERIFY(bottom->SharedFont() != nullptr);

        // The pane dragged away had the keyboard: the one that stays takes it, so the keys
        // typed next are not lost.
        frame->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(frame));
        frame->Action(ID_WINDOW_SPLIT)->trigger();
        CKelvoView* lower = first->Panes()[1];
        lower->setFocus();
        QTRY_VERIFY(lower->hasFocus());
        first->Splitter()->setSizes({300, 0});
        first->DropCollapsedPane();
        QTRY_VERIFY(bottom->hasFocus());
        QTest::keyClicks(QApplication::focusWidget(), "Z");
        QCOMPARE(bottom->GetStore()->LineAt(bottom->CaretPos().line)->text[0], 'Z');
    }

    void closingAModifiedDocumentAsks() {
        CKelvoApp& kelvo = Start({"amp.cir"});
        CMainFrame* frame = kelvo.MainFrame();
        QTest::keyClicks(frame->ActiveView(), "x"); // typed, as a user changes it
        QVERIFY(frame->ActiveDocument()->IsModified());
        frame->UpdateCommandStates();
        QVERIFY(frame->Action(ID_FILE_SAVE)->isEnabled());
        platform.answers = {IDCANCEL};
        QVERIFY(frame->RouteCommand(ID_FILE_CLOSE));
        QCOMPARE(kelvo.CountDocuments(), 1);
        QCOMPARE(platform.shown.back().text, QString("Save changes to amp.cir?"));
        platform.answers = {IDCANCEL};
        QVERIFY(!frame->close()); // Cancel keeps the program running
        platform.answers = {IDNO};
        frame->ActiveChild()->close();
        QTRY_COMPARE(kelvo.CountDocuments(), 0);

        // Exit answered Yes saves before the program ends.
        kelvo.OpenDocumentFile(Path("amp.cir"));
        QTest::keyClicks(frame->ActiveView(), "y");
        platform.answers = {IDYES};
        QVERIFY(frame->close());
        QFile saved(TextPath("amp.cir"));
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(saved.readAll(), QByteArray("y* amp\r\nR1 1 2 1k\r\n"));
        QCOMPARE(kelvo.CountDocuments(), 0);
    }

    void idlePassRefreshesCommandStates() {
        CKelvoApp& kelvo = Start({"amp.cir"});
        CMainFrame* frame = kelvo.MainFrame();
        kelvo.OnIdle();
        QVERIFY(!frame->Action(ID_FILE_SAVE)->isEnabled()); // the document is clean
        frame->ActiveDocument()->GetStore()->Edit({0, 0}, kInsertChar, "z");
        kelvo.OnIdle();
        QVERIFY(frame->Action(ID_FILE_SAVE)->isEnabled());
    }

    // Back at the front, the next idle pass outside every modal loop asks about a file
    // changed on disk; inside a dialog's loop it waits.
    void idlePassChecksChangedFilesOutsideDialogs() {
        CKelvoApp& kelvo = Start({"amp.cir"});
        CKelvoDoc* doc = kelvo.MainFrame()->ActiveDocument();
        QFile file(TextPath("amp.cir"));
        QVERIFY(file.open(QIODevice::Append));
        file.write("R9 9 0 9k\r\n");
        file.close();
        kelvo.OnIdle();
        QVERIFY(platform.shown.empty()); // not asked for: the program never left the front

        kelvo.RequestFileCheck();
        QDialog dialog(kelvo.MainFrame());
        dialog.setModal(true);
        dialog.show();
        QVERIFY(QApplication::activeModalWidget() != nullptr);
        kelvo.OnIdle();
        QVERIFY(platform.shown.empty());
        QVERIFY(kelvo.CheckFilesPending());
        dialog.hide();

        const int lines = doc->GetStore()->LineCount();
        kelvo.OnIdle(); // answered Yes: read again
        QCOMPARE(platform.shown.size(), std::size_t(1));
        QVERIFY(
            platform.shown[0].text.startsWith("This file has been changed by another process."));
        QCOMPARE(doc->GetStore()->LineCount(), lines + 1);
        QCOMPARE(kelvo.MainFrame()->ActiveView()->GetStore(), doc->GetStore());
        QVERIFY(!kelvo.CheckFilesPending());
    }

    void acceleratorsNeverReachTheView() {
        CKelvoApp& kelvo = Start({"amp.cir"});
        CKelvoView* view = kelvo.MainFrame()->ActiveView();
        QKeyEvent save(QEvent::KeyPress, Qt::Key_S, Qt::ControlModifier, "\x13");
        QVERIFY(kelvo.eventFilter(view, &save)); // taken before the view sees it
        QKeyEvent typed(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, "a");
        QVERIFY(!kelvo.eventFilter(view, &typed));

        // Keypad Shift+Delete is the same key of the table.
        QKeyEvent keypad(QEvent::KeyPress, Qt::Key_Delete, Qt::ShiftModifier | Qt::KeypadModifier);
        QVERIFY(kelvo.eventFilter(view, &keypad));
    }

    // Keys as a user presses them, through Qt's shortcut machinery.
    void keysReachTheirCommands() {
        QTest::failOnWarning(QRegularExpression("Ambiguous shortcut"));
        CKelvoApp& kelvo = Start({"amp.cir"});
        kelvo.OpenDocumentFile(Path("amp.out"));
        CMainFrame* frame = kelvo.MainFrame();
        QVERIFY(QTest::qWaitForWindowActive(frame));
        CKelvoView* view = frame->ActiveView();
        view->setFocus();
        QTRY_VERIFY(view->hasFocus());

        // Ctrl+Z with nothing to undo beeps once per press.
        QTest::keyClick(view, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(platform.beeps, 1);
        // Now there is history: the output file's question beeps once (Yes).
        const QByteArray first(view->GetStore()->FirstLine()->text,
                               view->GetStore()->FirstLine()->length);
        view->GetStore()->Edit({0, 0}, kInsertChar, "q");
        QCOMPARE(platform.beeps, 2);
        QTest::keyClick(view, Qt::Key_Z, Qt::ControlModifier); // takes the q back
        QCOMPARE(platform.beeps, 2);
        QCOMPARE(
            QByteArray(view->GetStore()->FirstLine()->text, view->GetStore()->FirstLine()->length),
            first);
        QTest::keyClick(view, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier); // the q again
        QCOMPARE(platform.beeps, 2);
        QCOMPARE(view->GetStore()->FirstLine()->text[0], 'q');
        QTest::keyClick(view, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(platform.beeps, 3); // nothing left to redo
        view->GetStore()->ClearHistory();
        // Ctrl+S on a clean document writes nothing; Ctrl+W closes it.
        const QDateTime written = QFileInfo(TextPath("amp.out")).lastModified();
        QTest::keyClick(view, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(QFileInfo(TextPath("amp.out")).lastModified(), written);
        QTest::keyClick(view, Qt::Key_W, Qt::ControlModifier);
        QTRY_COMPARE(kelvo.CountDocuments(), 1);

        // A dialog's text field keeps its editing keys.
        QDialog dialog(frame);
        QLineEdit field(&dialog);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        field.setFocus();
        field.setText("amp.cir");
        QTest::keyClick(&field, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(field.selectedText(), QString("amp.cir"));
    }

    // F12 on a model's name opens the library that defines it, the definition's line
    // selected; a name defined nowhere beeps and says so.
    void goToDefinitionOpensTheFileThatDefinesIt() {
        Write("defs.cir", "* defs\n.include lib/parts.lib\nD1 a 0 dfast\nD2 a 0 dnone\n");
        QDir(dir.path()).mkpath("lib");
        Write("lib/parts.lib", "* parts\n.model dslow d\n\n.model DFAST d is=1n\n* end\n");
        CKelvoApp& kelvo = Start({"defs.cir"});
        CMainFrame* frame = kelvo.MainFrame();
        QVERIFY(QTest::qWaitForWindowActive(frame));
        CKelvoView* netlist = frame->ActiveView();
        netlist->setFocus();
        QTRY_VERIFY(netlist->hasFocus());
        netlist->SetCaretPosition({2, 9});
        QTest::keyClick(netlist, Qt::Key_F12);

        QCOMPARE(kelvo.CountDocuments(), 2);
        CKelvoView* library = frame->ActiveView();
        QCOMPARE(library->GetDocument()->GetPathName(), Path("lib/parts.lib"));
        QVERIFY(library->HasSelection());
        QCOMPARE(library->CaretPos(), TextPos(3, 0));
        QCOMPARE(library->SelEnd(), TextPos(4, 0));
        QCOMPARE(frame->StatusBar()->currentMessage(),
                 "Definition of dfast: " + TextPath("lib/parts.lib") + ", line 4");
        QCOMPARE(platform.beeps, 0);

        frame->Activate(frame->FindChild(netlist->GetDocument()));
        netlist->SetCaretPosition({3, 9});
        QVERIFY(frame->RouteCommand(ID_SEARCH_GO_TO_DEFINITION));
        QCOMPARE(platform.beeps, 1);
        QCOMPARE(frame->StatusBar()->currentMessage(), QString("No definition of dnone found"));
        QCOMPARE(kelvo.CountDocuments(), 2);
    }

    void windowTextColourComesFromTheProfile() {
        profile->setValue("Control Panel/Colors/WindowText", "0 0 128");
        QCOMPARE(Start({}).m_crWindowText, QColor(0, 0, 128));
        cleanup();
        init();
        profile->setValue("Control Panel/Colors/WindowText", "10 20");
        QCOMPARE(Start({}).m_crWindowText, QColor(Qt::black));
        profile->remove("Control Panel");
    }

    void disabledMenuItemsShowTheirPrompts() {
        CKelvoApp& kelvo = Start({"amp.cir"});
        CMainFrame* frame = kelvo.MainFrame();
        QMenu* file = nullptr;
        for (QAction* title : frame->menuBar()->actions())
            if (title->text() == "&File")
                file = title->menu();
        QVERIFY(file != nullptr);
        frame->UpdateCommandStates();
        QAction* save = frame->Action(ID_FILE_SAVE); // disabled: the document is clean
        QVERIFY(!save->isEnabled());
        file->popup(QPoint(10, 10));
        QVERIFY(QTest::qWaitForWindowExposed(file));
        QTest::mouseMove(file, file->actionGeometry(save).center());
        QTRY_COMPARE(frame->StatusBar()->currentMessage(), QString("Save the active document"));
        file->close();
    }

    void maximizedWindowLeavesTheTitleToTheArea() {
        CKelvoApp& kelvo = Start({"amp.cir"});
        CMainFrame* frame = kelvo.MainFrame();
        frame->ActiveChild()->showMaximized();
        // The area adds the document's title to the frame's own, once.
        QTRY_COMPARE(frame->windowTitle(), QString("Kelvo - [amp.cir]"));
        QVERIFY(!frame->windowTitle().contains("amp.cir - ["));
        QVERIFY(!frame->windowTitle().startsWith("Kelvo - amp.cir"));
        frame->ActiveChild()->showNormal();
        QTRY_COMPARE(frame->windowTitle(), QString("Kelvo - amp.cir"));
    }

    void recentFilesLiveInTheProfile() {
        {
            CKelvoApp& kelvo = Start({"amp.cir"});
            kelvo.OpenDocumentFile(Path("amp.out"));
            QCOMPARE(kelvo.RecentFiles(), (FileNameList{Path("amp.out"), Path("amp.cir")}));
            kelvo.ExitInstance();
        }
        QCOMPARE(profile->value("Recent File List/File1").toString(), TextPath("amp.out"));
        app.reset();
        CKelvoApp& again = Start({});
        QCOMPARE(again.RecentFiles(), (FileNameList{Path("amp.out"), Path("amp.cir")}));
    }

    // What cannot be read as a file is refused at once, with the framework's message and
    // no Untitled1; a FIFO without a writer must not hold the start.
    void namedFifoDeviceOrFolderIsRefused_data() {
        QTest::addColumn<QString>("argument");
        QTest::newRow("fifo") << "pipe.cir";
        QTest::newRow("device") << "/dev/zero";
        QTest::newRow("folder") << "folder";
        QTest::newRow("folder by full path") << dir.filePath("folder");
    }

    void namedFifoDeviceOrFolderIsRefused() {
        QFETCH(QString, argument);
        QVERIFY(::mkfifo(Path("pipe.cir").Path(), 0600) == 0 || errno == EEXIST);
        QDir(dir.path()).mkpath("folder");
        ::alarm(20); // a blocked open ends the test instead of hanging it
        CKelvoApp& kelvo = Start({argument});
        ::alarm(0);
        QCOMPARE(platform.shown.size(), std::size_t(1));
        QCOMPARE(platform.shown[0].text, QString("Failed to open document."));
        QCOMPARE(platform.shown[0].style, MB_OK | MB_ICONEXCLAMATION);
        QCOMPARE(kelvo.CountDocuments(), 0);
    }

    // A name whose bytes are not valid UTF-8 opens, shows readably and saves to itself.
    void nameNotValidUtf8OpensFromTheCommandLine() {
        const QByteArray bytes = "caf\xE9.cir";
        rawNames << QFile::encodeName(dir.path()) + '/' + bytes;
        const int fd = ::open(bytes.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        QVERIFY(fd >= 0);
        QCOMPARE(::write(fd, "x\r\n", 3), ssize_t(3));
        ::close(fd);
        const FileName name = FileName::FromBytes(bytes);
        CKelvoApp& kelvo = StartWithBytes({bytes});
        QVERIFY(platform.shown.empty());
        QCOMPARE(kelvo.CountDocuments(), 1);
        CKelvoDoc* doc = kelvo.MainFrame()->ActiveDocument();
        QCOMPARE(doc->GetPathName(), FileName::FromText(dir.path() + "/") + name);
        QCOMPARE(kelvo.MainFrame()->windowTitle(), QString("Kelvo - caf\uFFFD.cir"));
        doc->GetStore()->Edit({0, 0}, kInsertChar, "y");
        kelvo.MainFrame()->UpdateCommandStates();
        kelvo.MainFrame()->Action(ID_FILE_SAVE)->trigger();
        QVERIFY(platform.shown.empty());
        QVERIFY(!doc->IsModified());
        QFile saved;
        QVERIFY(saved.open(::open(bytes.constData(), O_RDONLY), QIODevice::ReadOnly,
                           QFileDevice::AutoCloseHandle));
        QCOMPARE(saved.readAll(), QByteArray("yx\r\n"));
        QVERIFY(!QFile::exists(QFile::decodeName(bytes)));

        // The recent-file list keeps the bytes too.
        kelvo.ExitInstance();
        app.reset();
        CKelvoApp& again = Start({});
        QCOMPARE(again.RecentFiles().value(0), FileName::FromText(dir.path() + "/") + name);
        QVERIFY(again.OpenDocumentFile(again.RecentFiles().value(0)) != nullptr);
    }

    void currentFolderNotValidUtf8FindsBareNames() {
        const QByteArray folder = QFile::encodeName(dir.path()) + "/run\xFF";
        QCOMPARE(::mkdir(folder.constData(), 0755), 0);
        const QByteArray file = folder + "/amp.cir";
        rawNames << folder << file;
        const int fd = ::open(file.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        QVERIFY(fd >= 0);
        ::close(fd);
        QCOMPARE(::chdir(folder.constData()), 0);
        CKelvoApp& kelvo = Start({"amp.cir"});
        QVERIFY(platform.shown.empty());
        QCOMPARE(kelvo.CountDocuments(), 1);
        const FileName expected = FileName::FromBytes(file);
        QCOMPARE(kelvo.MainFrame()->ActiveDocument()->GetPathName(), expected);
        QCOMPARE(kelvo.FileLists().OpenedFiles().value(0), expected);
    }

    // Go To Error from an output: each message in turn selects the netlist line it names,
    // an element inside a subcircuit the instance's line, with the message in the status
    // bar; past the last one, a beep. An output with no netlist beside it says so.
    void errorsLeadToTheirNetlistLines() {
        Write("run.cir", "* run\r\nR1 1 0 1k\r\n.subckt amp a b\r\nQ7 a b b q\r\n.ends\r\n"
                         "X1 1 0 amp\r\n.end\r\n");
        Write("run.out", "Circuit: run\r\nError on line 2 or its substitute:\r\n  r1 1 0 1k\r\n"
                         "bad value\r\nError on line:\r\n  q.x1.q7 1 0 0 q\r\nno model\r\n");
        CKelvoApp& kelvo = Start({"run.out"});
        CMainFrame* frame = kelvo.MainFrame();
        const struct {
            TextPos selected;
            QString status;
        } steps[] = {
            {{1, 0}, "Error on line 2 or its substitute: bad value"},
            {{5, 0}, "Error on line: no model (q7 inside X1)"},
        };
        for (const auto& step : steps) {
            QVERIFY(kelvo.OpenByName(Path("run.out")) != nullptr);
            QVERIFY(frame->ActiveView()->OnCommand(ID_SEARCH_GO_TO_ERROR));
            const CKelvoView* netlist = frame->ActiveView();
            QCOMPARE(netlist->GetDocument()->GetTitle(), QString("run.cir"));
            QCOMPARE(netlist->CaretPos(), step.selected);
            QCOMPARE(netlist->SelEnd(), (TextPos{step.selected.line + 1, 0}));
            QCOMPARE(frame->StatusBar()->currentMessage(), step.status);
        }
        QVERIFY(kelvo.OpenByName(Path("run.out")) != nullptr);
        QVERIFY(frame->ActiveView()->OnCommand(ID_SEARCH_GO_TO_ERROR));
        QCOMPARE(platform.beeps, 1);
        // Back from the message gone to last: the one before it.
        QVERIFY(frame->ActiveView()->OnCommand(ID_SEARCH_GO_TO_PREVIOUS_ERROR));
        QCOMPARE(frame->ActiveView()->GetDocument()->GetTitle(), QString("run.cir"));
        QCOMPARE(frame->ActiveView()->CaretPos(), (TextPos{1, 0}));

        Write("lone.err", "Netlist line no. 3:\r\n");
        QVERIFY(kelvo.OpenByName(Path("lone.err")) != nullptr);
        QVERIFY(frame->ActiveView()->OnCommand(ID_SEARCH_GO_TO_ERROR));
        QCOMPARE(platform.shown.back().text, "Unable to open file:\n" + TextPath("lone.cir"));
    }
private:
    static FileName ProgramDirectoryForTest() {
        return FileName::FromText(QCoreApplication::applicationDirPath() + "/");
    }
};

QTEST_MAIN(ApplicationTest)
#include "tst_application.moc"
