#include <QtTest>

#include <set>

#include "AppTestKit.h"

namespace {

// An application that claims every command it is offered, and remembers which reached it.
class ClaimingOwner : public FrameOwner, public ViewDefaults {
public:
    std::vector<int> commands;
    std::vector<int> updates;

    bool OnCommand(int id) override {
        commands.push_back(id);
        return true;
    }
    bool OnUpdateCommand(CommandUpdate& update) override {
        updates.push_back(update.id);
        return true;
    }
    bool CanCloseMainFrame() override { return true; }
    Platform* GetPlatform() const override { return nullptr; }
};

} // namespace

class CommandRoutingTest : public AppTestKit {
    Q_OBJECT
private slots:
    void init() { SetUp(); }
    void cleanup() { TearDown(); }

    // A command goes to the first target that holds it, from the active view down to the
    // application; the application sees only what no one before it holds.
    void firstTargetThatHoldsACommandRunsIt_data() {
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("target");
        QTest::newRow("font") << int(ID_OPTIONS_FONT) << "view";
        QTest::newRow("save as") << int(ID_FILE_SAVE_AS) << "document";
        QTest::newRow("split") << int(ID_WINDOW_SPLIT) << "child frame";
        QTest::newRow("status bar") << int(ID_VIEW_STATUS_BAR) << "main frame";
        QTest::newRow("new") << int(ID_FILE_NEW) << "application";
    }
    void firstTargetThatHoldsACommandRunsIt() {
        QFETCH(int, id);
        QFETCH(QString, target);
        CFileLists lists;
        CDocManager manager(&platform, &lists);
        CMainFrame frame;
        ClaimingOwner owner;
        frame.SetOwner(&owner);
        connect(&manager, &CDocManager::documentOpened, &frame,
                [&](CKelvoDoc* document) { frame.AddChild(document, &owner); });
        frame.show();
        QVERIFY(manager.OpenNewDocument() != nullptr);
        CChildFrame* child = frame.ActiveChild();
        QVERIFY(child != nullptr);
        platform.fontAnswers.push_back(std::nullopt); // the font dialog is cancelled

        QVERIFY(frame.RouteCommand(id));

        const std::map<QString, bool> ran = {
            {"view", platform.fontAnswers.empty()},
            {"document", platform.saveSuggestions.size() == 1},
            {"child frame", child->Panes().size() == 2},
            {"main frame", frame.StatusBar()->isHidden()},
            {"application", owner.commands == std::vector<int>{id}},
        };
        for (const auto& [name, done] : ran)
            QVERIFY2(done == (name == target), qPrintable(name));

        // The state is asked of the same targets in the same order.
        CommandUpdate update{id};
        QVERIFY(frame.RouteUpdate(update));
        QCOMPARE(owner.updates,
                 target == "application" ? std::vector<int>{id} : std::vector<int>{});
        frame.SetOwner(nullptr);
    }

    // With no document open the frame's and the application's commands work; the view's,
    // the document's and the child frame's are disabled and their keys do nothing.
    void noDocumentLeavesFrameAndApplicationCommands_data() {
        QTest::addColumn<int>("id");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("new") << int(ID_FILE_NEW) << true;
        QTest::newRow("open") << int(ID_FILE_OPEN) << true;
        QTest::newRow("exit") << int(ID_APP_EXIT) << true;
        QTest::newRow("toolbar") << int(ID_VIEW_TOOLBAR) << true;
        QTest::newRow("status bar") << int(ID_VIEW_STATUS_BAR) << true;
        QTest::newRow("font") << int(ID_OPTIONS_FONT) << false;
        QTest::newRow("save") << int(ID_FILE_SAVE) << false;
        QTest::newRow("save as") << int(ID_FILE_SAVE_AS) << false;
        QTest::newRow("close") << int(ID_FILE_CLOSE) << false;
        QTest::newRow("split") << int(ID_WINDOW_SPLIT) << false;
        QTest::newRow("next pane") << int(ID_NEXT_PANE) << false;
        QTest::newRow("cascade") << int(ID_WINDOW_CASCADE) << false;
        QTest::newRow("tile") << int(ID_WINDOW_TILE_VERT) << false;
    }
    void noDocumentLeavesFrameAndApplicationCommands() {
        QFETCH(int, id);
        QFETCH(bool, enabled);
        CKelvoApp& kelvo = Start({});
        CMainFrame* frame = kelvo.MainFrame();
        QVERIFY(kelvo.DocManager()->CloseDocument(frame->ActiveDocument()));
        QTRY_COMPARE(kelvo.CountDocuments(), 0);
        frame->UpdateCommandStates();
        QCOMPARE(frame->Action(id)->isEnabled(), enabled);
        CommandUpdate update{id};
        frame->RouteUpdate(update);
        QCOMPARE(update.enabled, enabled);
    }

    // The frame's and the application's commands run with no document: the toolbar
    // toggles, and New opens a document.
    void noDocumentCommandsRun() {
        CKelvoApp& kelvo = Start({});
        CMainFrame* frame = kelvo.MainFrame();
        frame->show();
        QVERIFY(kelvo.DocManager()->CloseDocument(frame->ActiveDocument()));
        QTRY_COMPARE(kelvo.CountDocuments(), 0);
        frame->UpdateCommandStates();
        QVERIFY(frame->ToolBar()->isVisible());
        frame->Action(ID_VIEW_TOOLBAR)->trigger();
        QVERIFY(!frame->ToolBar()->isVisible());
        QVERIFY(!frame->Action(ID_VIEW_TOOLBAR)->isChecked());
        frame->Action(ID_FILE_NEW)->trigger();
        QCOMPARE(kelvo.CountDocuments(), 1);
        QCOMPARE(frame->ActiveDocument()->GetTitle(), QString("Untitled2"));
        QVERIFY(frame->Action(ID_OPTIONS_FONT)->isEnabled());
        QVERIFY(!frame->Action(ID_FILE_SAVE)->isEnabled()); // a clean document
    }

    // A recent file is the application's command: the entry opens the file it shows, and
    // an entry whose file has gone leaves the list.
    void recentFileEntryOpensItsFile() {
        Write("a.cir", "* a\n");
        Write("b.cir", "* b\n");
        CKelvoApp& kelvo = Start({"a.cir"});
        kelvo.OpenDocumentFile(Path("b.cir"));
        CMainFrame* frame = kelvo.MainFrame();
        QCOMPARE(kelvo.RecentFiles(), (FileNameList{Path("b.cir"), Path("a.cir")}));
        kelvo.DocManager()->CloseDocument(frame->ActiveDocument()); // b.cir
        QVERIFY(frame->RouteCommand(ID_FILE_MRU_FILE1));
        QCOMPARE(frame->ActiveDocument()->GetPathName(), Path("b.cir"));
        QFile::remove(TextPath("a.cir"));
        kelvo.DocManager()->CloseDocument(kelvo.DocManager()->FindOpenDocument(Path("a.cir")));
        QVERIFY(frame->RouteCommand(ID_FILE_MRU_FILE1 + 1));
        QCOMPARE(kelvo.RecentFiles(), FileNameList{Path("b.cir")});
    }
};

QTEST_MAIN(CommandRoutingTest)
#include "tst_commandrouting.moc"
