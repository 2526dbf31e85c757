#include <QDialog>
#include <QProcess>
#include <QRandomGenerator>
#include <QtTest>

#include <thread>

#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "AppTestKit.h"
#include "CommandIds.h"
#include "FileName.h"
#include "FrameworkMessages.h"
#include "SharedMemory.h"
#include "suite/SuiteTestKit.h"

namespace {

// The block in real shared memory under a name of the test's own, where a second process
// can reach it; every question is still answered by the script.
class SharedBlockPlatform : public ScriptedPlatform {
public:
    explicit SharedBlockPlatform(std::string blockName) : name(std::move(blockName)) {
        SharedMemory::Unlink(name);
    }
    ~SharedBlockPlatform() override { SharedMemory::Unlink(name); }
    unsigned char* OpenShareMapping(std::size_t size) override {
        return memory.Open(name, size) ? memory.Data() : nullptr;
    }
    void CloseShareMapping() override { memory.Close(); }
    bool ShareMappingLost() override { return memory.Lost(); }
    void LockShareMapping() override { memory.Lock(); }
    void UnlockShareMapping() override { memory.Unlock(); }

    // Cuts the object short under the mapping, as anyone who may write it can.
    void CutShort() const {
        const int fd = ::shm_open(name.c_str(), O_RDWR, 0);
        QVERIFY(fd >= 0);
        QCOMPARE(::ftruncate(fd, 0), 0);
        ::close(fd);
    }

    const std::string name;
    SharedMemory memory;
};

// Plays the running editor's part on a thread: takes the first hand-off written into the
// block within five seconds, as its idle pass does, and keeps the text.
class HandOffTaker {
public:
    explicit HandOffTaker(unsigned char* bytes) : m_thread([this, bytes] { Take(bytes); }) {}
    ~HandOffTaker() { Taken(); }
    QByteArray Taken() {
        if (m_thread.joinable())
            m_thread.join();
        return m_taken;
    }

private:
    void Take(unsigned char* bytes) {
        const ShareBlock block(bytes);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (!block.HandOffPending() && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        m_taken = block.HandOff();
        block.ClearHandOff();
    }

    QByteArray m_taken;
    std::thread m_thread;
};

} // namespace

// The editor's side of the suite: registration, a second start's hand-off, the requests
// the idle pass serves, the circuit's family of files and the Actions menu.
class SuiteTest : public AppTestKit {
    Q_OBJECT
    // Lives until the program has ended: the program's block is mapped through it.
    std::unique_ptr<SharedBlockPlatform> shared;
    QByteArray previousPath;

    ShareBlock Block() { return ShareBlock(platform.shareBlock.data()); }
    unsigned char Byte(std::size_t offset) { return platform.shareBlock.at(offset); }
    void SetByte(std::size_t offset, unsigned char value) {
        platform.shareBlock.at(offset) = value;
    }
    // The block as an editor that still runs left it: this process is alive.
    void PrepareBlock(std::uint32_t pid, unsigned char flags) {
        platform.shareBlock.assign(ShareBlock::kSize, 0);
        Block().SetEditorPid(pid);
        SetByte(ShareBlock::kEditorFlags, flags);
    }
    void NameCircuit(const QString& folder, const QString& name) {
        Block().SetText(ShareBlock::kCircuitDirectory, ShareBlock::kCircuitDirectorySize,
                        folder.toUtf8());
        Block().SetText(ShareBlock::kCircuitName, ShareBlock::kCircuitNameSize, name.toUtf8());
    }
    CKelvoDoc* Modify(CKelvoDoc* document) {
        document->GetStore()->Edit({0, 0}, kInsertChar, "x");
        return document;
    }
    QStringList ShownTexts() const {
        QStringList texts;
        for (const ScriptedPlatform::Shown& shown : platform.shown)
            texts << shown.text;
        return texts;
    }

private slots:
    void init() {
        SetUp();
        QDir(dir.path()).mkdir("sim");
        Write("sim/amp.cir", "* amp\r\nR1 1 2 1k\r\n");
        Write("sim/amp.out", "result\r\n");
        Write("sim/amp.ckt", "expanded\r\n");
        Write("b.cir", "* b\r\n");
        // Simulate asks only when ngspice can be found: one stands in, whatever the machine.
        QDir(dir.path()).mkdir("bin");
        Write("bin/ngspice", "#!/bin/sh\n");
        QFile::setPermissions(TextPath("bin/ngspice"), QFile::ReadOwner | QFile::ExeOwner);
        previousPath = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(TextPath("bin")) + ':' + previousPath);
    }
    void cleanup() {
        TearDown();
        shared.reset();
        qputenv("PATH", previousPath);
    }

    void registersAndReleasesItsBytes() {
        CKelvoApp& kelvo = Start({"sim/amp.cir"});
        QCOMPARE(Byte(ShareBlock::kEditorFlags), 1);
        QCOMPARE(Byte(ShareBlock::kEditorId), 4);
        QCOMPARE(Block().EditorPid(), std::uint32_t(::getpid()));
        kelvo.OnIdle();
        QCOMPARE(Byte(ShareBlock::kEditorFlags), 3); // bit value 2 after every pass
        Modify(kelvo.MainFrame()->ActiveDocument());
        SetByte(ShareBlock::kRequestBusy, 1);
        kelvo.OnIdle();
        QCOMPARE(Byte(ShareBlock::kEditState), ShareBlock::kModified);
        kelvo.ExitInstance();
        QCOMPARE(Byte(ShareBlock::kEditorFlags), 0);
        QCOMPARE(Byte(ShareBlock::kEditState), 0);
        QCOMPARE(Byte(ShareBlock::kRequestBusy), 0);
        QCOMPARE(Byte(ShareBlock::kEditorId), 4);
    }

    void noBlockNoStart() {
        platform.shareFails = true;
        CKelvoApp& kelvo = Start({"sim/amp.cir"});
        QCOMPARE(platform.shown.size(), std::size_t(1));
        QCOMPARE(platform.shown[0].text, QString("Can't open shared memory!"));
        QCOMPARE(platform.shown[0].style, MB_OK | MB_ICONHAND);
        QVERIFY(kelvo.StartExitCode() != 0);
        QVERIFY(!kelvo.MainFrame()->isVisible());
        QCOMPARE(platform.waitDepth, 0);
    }

    // The file goes over as an absolute path: the running editor looks names up in its own
    // folder, not in the one this start was made in.
    void secondStartHandsOverAnAbsolutePath() {
        PrepareBlock(std::uint32_t(::getpid()), 3);
        QDir::setCurrent(TextPath("sim"));
        HandOffTaker editor(platform.shareBlock.data());
        CKelvoApp& kelvo = Start({"amp.cir"});
        QCOMPARE(kelvo.StartExitCode(), 0);
        QVERIFY(!kelvo.MainFrame()->isVisible());
        QCOMPARE(editor.Taken(), "kelvo " + TextPath("sim/amp.cir").toUtf8());
        QVERIFY(platform.shown.empty());
        kelvo.ExitInstance(); // leaves the running editor's bytes alone
        QCOMPARE(Byte(ShareBlock::kEditorFlags), 3);
        QCOMPARE(Block().EditorPid(), std::uint32_t(::getpid()));
    }

    void commandLineOf256IsNotHandedOver() {
        PrepareBlock(std::uint32_t(::getpid()), 1);
        const QString name = TextPath(QString(256, 'n') + ".cir");
        CKelvoApp& kelvo = Start({name});
        QVERIFY(kelvo.StartExitCode() != 0);
        QCOMPARE(Byte(ShareBlock::kHandOff), 0);
    }

    void staleBlockDoesNotStopAStart() {
        PrepareBlock(EndedProcess(), 3);
        SetByte(ShareBlock::kRequest, 'q');
        CKelvoApp& kelvo = Start({"sim/amp.cir"});
        QVERIFY(kelvo.MainFrame()->isVisible());
        QCOMPARE(Byte(ShareBlock::kHandOff), 0);
        QCOMPARE(Byte(ShareBlock::kRequest), 0); // the dead editor's quit is not ours
        QCOMPARE(Block().EditorPid(), std::uint32_t(::getpid()));
        kelvo.OnIdle();
        QVERIFY(kelvo.MainFrame()->isVisible());
        QCOMPARE(kelvo.CountDocuments(), 1);
    }

    // A start tells a running editor from a process that merely has its id: one that got the
    // id after the editor ended (told by the start time stamped beside it, or for a block
    // stamped without one, by the program's name), or the editor itself ending while the
    // start waits for it. Past such a holder the start registers and shows its window, where
    // it ended with status 0 and no window; a running editor takes the command line.
    void startTellsARunningEditorFromAReusedId_data() {
        QTest::addColumn<bool>("sleepHolds"); // else this process, as a running editor
        QTest::addColumn<int>("stamp");       // 0 none, 1 the holder's start time, 2 another
        QTest::addColumn<bool>("holderEnds");
        QTest::addColumn<bool>("handedOver");
        QTest::newRow("id reused since") << true << 2 << false << false;
        QTest::newRow("id reused, stamped without a start time") << true << 0 << false << false;
        QTest::newRow("the holder ends while the start waits") << true << 1 << true << false;
        QTest::newRow("a running editor") << false << 1 << false << true;
        QTest::newRow("a running editor, stamped without a start time")
            << false << 0 << false << true;
    }
    void startTellsARunningEditorFromAReusedId() {
        QFETCH(bool, sleepHolds);
        QFETCH(int, stamp);
        QFETCH(bool, holderEnds);
        QFETCH(bool, handedOver);
        QProcess sleeper;
        auto holder = std::uint32_t(::getpid());
        if (sleepHolds) {
            sleeper.start("sleep", {"30"});
            QVERIFY(sleeper.waitForStarted());
            holder = std::uint32_t(sleeper.processId());
        }
        PrepareBlock(holder, 3);
        const std::uint64_t started = ShareBlock::Process(holder).started;
        QVERIFY(started != 0);
        Block().SetEditorStart(stamp == 0 ? 0 : stamp == 1 ? started : started + 100);
        std::unique_ptr<HandOffTaker> editor;
        if (handedOver)
            editor = std::make_unique<HandOffTaker>(platform.shareBlock.data());
        std::thread ending([&] {
            if (holderEnds) {
                std::this_thread::sleep_for(std::chrono::milliseconds(300));
                ::kill(pid_t(holder), SIGKILL);
            }
        });
        CKelvoApp& kelvo = Start({"b.cir"});
        ending.join();
        if (handedOver) {
            QCOMPARE(kelvo.StartExitCode(), 0);
            QVERIFY(!kelvo.MainFrame()->isVisible());
            QCOMPARE(editor->Taken(), "kelvo " + TextPath("b.cir").toUtf8());
            QCOMPARE(Block().EditorPid(), holder);
        } else {
            QVERIFY(kelvo.MainFrame()->isVisible());
            QCOMPARE(kelvo.MainFrame()->ActiveDocument()->GetPathName(), Path("b.cir"));
            QCOMPARE(Block().EditorPid(), std::uint32_t(::getpid()));
            QCOMPARE(Block().EditorStart(), ShareBlock::Process(std::uint32_t(::getpid())).started);
            QCOMPARE(Byte(ShareBlock::kHandOff), 0); // withdrawn: nothing opens it later
        }
        sleeper.kill();
        sleeper.waitForFinished();
    }

    // A block cut short under the editor is let go at the next pass that may: said once, with
    // every document as it was, and nothing goes to the suite any more. A loss seen while a
    // request's question is open waits until the request is done, so that nothing that still
    // works with the block is left pointing nowhere.
    void blockCutShortIsLetGoKeepingEveryDocument_data() {
        QTest::addColumn<bool>("duringRequest");
        QTest::newRow("at an idle pass") << false;
        QTest::newRow("while a request asks") << true;
    }
    void blockCutShortIsLetGoKeepingEveryDocument() {
        QFETCH(bool, duringRequest);
        shared =
            std::make_unique<SharedBlockPlatform>("/kelvo-test-cut-" + std::to_string(::getpid()));
        CKelvoApp& kelvo = Start({"sim/amp.cir"}, shared.get());
        CKelvoDoc* document = Modify(kelvo.MainFrame()->ActiveDocument());
        const ShareBlock block(shared->memory.Data());
        block.Set(ShareBlock::kSuiteReady, 1);
        kelvo.OnIdle();
        QAction* simulate = kelvo.MainFrame()->Action(ID_ACTIONS_SIMULATE);
        QVERIFY(simulate->isEnabled());
        if (duringRequest) {
            shared->answers = {IDNO};
            shared->whileAsking = [&] {
                shared->whileAsking = nullptr;
                shared->CutShort();
                kelvo.OnIdle();
                QVERIFY(kelvo.GetShareBlock() != nullptr); // the request still works with it
            };
            block.Set(ShareBlock::kRequest, 'c');
        } else {
            shared->CutShort();
        }
        kelvo.OnIdle();
        kelvo.OnIdle();
        QCOMPARE(kelvo.GetShareBlock(), nullptr);
        const QString lost = "The shared memory was cut short by another program!\n"
                             "Kelvo no longer talks to the suite; your documents stay open. "
                             "Start Kelvo again to work with the suite.\n";
        QCOMPARE(shared->shown.back().text, lost);
        QCOMPARE(shared->shown.back().style, MB_OK | MB_ICONEXCLAMATION);
        QCOMPARE(shared->shown.size(), std::size_t(duringRequest ? 2 : 1));
        QCOMPARE(kelvo.CountDocuments(), 1);
        QCOMPARE(kelvo.MainFrame()->ActiveDocument(), document);
        QVERIFY(document->IsModified());
        const LineRecord* first = document->GetStore()->LineAt(0);
        QCOMPARE(QByteArray(first->text, first->length), QByteArray("x* amp"));
        QVERIFY(!simulate->isEnabled());
        kelvo.OnIdle();
        QCOMPARE(shared->shown.size(), std::size_t(duringRequest ? 2 : 1));
    }

    void handOffOpensTheFileAndArranges() {
        CKelvoApp& kelvo = Start({});
        QVERIFY(Block().WriteHandOff("kelvo " + TextPath("b.cir").toUtf8()) ==
                ShareBlock::HandOffResult::Written);
        SetByte(ShareBlock::kEditorFlags, 0);
        kelvo.OnIdle();
        QCOMPARE(kelvo.CountDocuments(), 2); // Untitled1 and b.cir
        QCOMPARE(kelvo.MainFrame()->ActiveDocument()->GetPathName(), Path("b.cir"));
        QCOMPARE(Byte(ShareBlock::kHandOff), 0);
        QCOMPARE(Byte(ShareBlock::kEditorFlags), 3);
        // Two windows are cascaded, no longer filling the area as a lone one does.
        const QRect area = kelvo.MainFrame()->MdiArea()->viewport()->rect();
        QVERIFY(kelvo.MainFrame()->ActiveChild()->width() < area.width());

        // A lone window is tiled: it fills the area.
        kelvo.DocManager()->CloseAllDocuments();
        Block().WriteHandOff("kelvo " + TextPath("b.cir").toUtf8());
        kelvo.OnIdle();
        QCOMPARE(kelvo.CountDocuments(), 1);
        QCOMPARE(kelvo.MainFrame()->ActiveChild()->geometry(), area);

        // A name that is found nowhere clears the byte and opens nothing.
        QVERIFY(Block().WriteHandOff("kelvo /nowhere/x.cir") == ShareBlock::HandOffResult::Written);
        kelvo.OnIdle();
        QCOMPARE(kelvo.CountDocuments(), 1);
        QCOMPARE(Byte(ShareBlock::kHandOff), 0);
        QVERIFY(platform.shown.empty());
    }

    // A second real start, from another folder, hands its file over and ends with status 0
    // once the running editor has taken it at an idle pass. A command line of 256 characters
    // is refused on the error stream with a failing status, not dropped in silence.
    void secondProcessHandsOverItsFile() {
        const std::string name = "/kelvo-test-handoff-" + std::to_string(::getpid());
        shared = std::make_unique<SharedBlockPlatform>(name);
        CKelvoApp& kelvo = Start({}, shared.get());
        QCOMPARE(kelvo.CountDocuments(), 1);

        QProcess second;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("KELVO_SHARE_BLOCK", QString::fromStdString(name));
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        second.setProcessEnvironment(environment);
        second.setWorkingDirectory(TextPath("sim"));
        second.start(KELVO_BINARY, {"amp.cir"});
        // It ends once this editor has taken its command line, at an idle pass.
        QTRY_VERIFY_WITH_TIMEOUT((kelvo.OnIdle(), second.state() == QProcess::NotRunning), 15000);
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QCOMPARE(kelvo.CountDocuments(), 2);
        QCOMPARE(kelvo.MainFrame()->ActiveDocument()->GetPathName(), Path("sim/amp.cir"));

        second.start(KELVO_BINARY, {QString(260, 'a') + ".cir"});
        QVERIFY(second.waitForFinished(15000));
        QVERIFY(second.exitCode() != 0);
        const QByteArray said = second.readAllStandardError();
        QVERIFY2(said.contains("at most 255"), said.constData());
        kelvo.OnIdle();
        QCOMPARE(kelvo.CountDocuments(), 2);
    }

    // A double quote is part of a name: a second start hands the name over whole, and the
    // suite's circuit is opened by its own name, never by the one without the quotes.
    void namesWithQuotesOpenThemselves_data() {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("base");
        QTest::newRow("inside") << "" << "q\"x";
        QTest::newRow("around") << "" << "\"q\"";
        QTest::newRow("with blanks") << "" << "a \"b\" c";
        QTest::newRow("folder") << "say \"hi\"" << "amp";
        QTest::newRow("doubled") << "x\"\"" << "\"\"\"";
    }

    void namesWithQuotesOpenThemselves() {
        QFETCH(QString, folder);
        QFETCH(QString, base);
        const QString inner = folder.isEmpty() ? QString() : folder + "/";
        QVERIFY(QDir(dir.path()).mkpath(inner + "."));
        QVERIFY(QDir(dir.path()).mkpath(QString(inner).remove('"') + "."));
        Write(inner + base + ".cir", "* quoted\r\n");
        // What the name without its quotes names.
        Write(QString(inner + base + ".cir").remove('"'), "* decoy\r\n");
        const QString place = dir.path() + "/" + inner;
        const QString name = place + base + ".cir";
        QDir::setCurrent(place);

        PrepareBlock(std::uint32_t(::getpid()), 3);
        HandOffTaker running(platform.shareBlock.data());
        CKelvoApp& second = Start({base + ".cir"});
        QCOMPARE(second.StartExitCode(), 0);
        const QByteArray handOff = running.Taken();
        second.ExitInstance();
        app.reset();

        platform.shareBlock.assign(ShareBlock::kSize, 0);
        CKelvoApp& kelvo = Start({});
        QVERIFY(Block().WriteHandOff(handOff) == ShareBlock::HandOffResult::Written);
        kelvo.OnIdle();
        QCOMPARE(kelvo.MainFrame()->ActiveDocument()->GetPathName(), FileName::FromText(name));
        kelvo.DocManager()->CloseAllDocuments();

        NameCircuit(place, base);
        SetByte(ShareBlock::kRequest, 'i');
        kelvo.OnIdle();
        QCOMPARE(Byte(ShareBlock::kRequest), 0);
        QCOMPARE(kelvo.CountDocuments(), 1);
        QCOMPARE(kelvo.MainFrame()->ActiveDocument()->GetPathName(), FileName::FromText(name));
        QVERIFY(kelvo.MainFrame()->ActiveDocument()->IsSuiteCircuit());
        QVERIFY(platform.shown.empty());
    }

    // A hand-off that does not show where its name ends (another program wrote it) opens
    // nothing, with a message, though a file by one reading of it exists.
    void unclearHandOffOpensNothing_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shown");
        QTest::newRow("quote inside") << "kelvo %1/q\"x.cir" << "%1/q\"x.cir";
        QTest::newRow("quote left open") << "kelvo \"%1/q.cir" << "\"%1/q.cir";
        QTest::newRow("text after the quote") << "kelvo \"%1/q\".cir" << "\"%1/q\".cir";
        QTest::newRow("program name") << "ke\"lvo %1/q.cir" << "\"lvo %1/q.cir";
    }

    void unclearHandOffOpensNothing() {
        QFETCH(QString, text);
        QFETCH(QString, shown);
        Write("q", "* one reading\r\n");
        Write("q.cir", "* another\r\n");
        Write("x.cir", "* a third\r\n");
        CKelvoApp& kelvo = Start({});
        Block().WriteHandOff(text.arg(dir.path()).toUtf8());
        kelvo.OnIdle();
        QCOMPARE(kelvo.CountDocuments(), 1);
        QCOMPARE(kelvo.MainFrame()->ActiveDocument()->GetTitle(), QString("Untitled1"));
        QCOMPARE(Byte(ShareBlock::kHandOff), 0);
        QCOMPARE(platform.shown.size(), std::size_t(1));
        QVERIFY2(platform.shown[0].text.startsWith(shown.arg(dir.path()) + "\n"),
                 qPrintable(platform.shown[0].text));
        QCOMPARE(platform.shown[0].style, MB_OK | MB_ICONHAND);
    }

    // One request per pass, in the order raise, family request, command request; each
    // served once.
    void requestsAreServedOnceInPriorityOrder() {
        CKelvoApp& kelvo = Start({"sim/amp.cir"});
        kelvo.MainFrame()->showMinimized();
        SetByte(ShareBlock::kAction, ShareBlock::kActionRaise);
        SetByte(ShareBlock::kFamilyRequest, 'o');
        SetByte(ShareBlock::kRequest, 'r');
        kelvo.OnIdle();
        QCOMPARE(Byte(ShareBlock::kAction), 0);
        QVERIFY(!kelvo.MainFrame()->isMinimized());
        QCOMPARE(Byte(ShareBlock::kFamilyRequest), 'o');
        QCOMPARE(Byte(ShareBlock::kRequest), 'r');
        kelvo.OnIdle();
        QCOMPARE(Byte(ShareBlock::kFamilyRequest), 0);
        QCOMPARE(kelvo.CountDocuments(), 2);
        QCOMPARE(Byte(ShareBlock::kRequest), 'r');
        kelvo.OnIdle();
        QCOMPARE(Byte(ShareBlock::kRequest), 0);
        kelvo.OnIdle();
        QCOMPARE(kelvo.CountDocuments(), 2);
        QVERIFY(platform.shown.empty());
    }

    // The questions of a request run loops of their own: the idle passes in them still
    // report the modified state and mark the block, but serve no other request, which
    // could close a document the first one is still asking about.
    void nestedPassServesNoRequest() {
        CKelvoApp& kelvo = Start({"sim/amp.cir"});
        Modify(kelvo.MainFrame()->ActiveDocument());
        bool nested = false;
        platform.whileAsking = [&] {
            if (std::exchange(nested, true))
                return;
            SetByte(ShareBlock::kFamilyRequest, 'o');
            kelvo.RequestFileCheck();
            SetByte(ShareBlock::kEditorFlags, 1);
            SetByte(ShareBlock::kEditState, ShareBlock::kClean);
            kelvo.OnIdle();
        };
        SetByte(ShareBlock::kRequest, 'c');
        platform.answers = {IDNO};
        kelvo.OnIdle();
        QVERIFY(nested);
        QCOMPARE(platform.shown.size(), std::size_t(1));
        QCOMPARE(kelvo.CountDocuments(), 1); // the .OUT request waited
        QCOMPARE(Byte(ShareBlock::kFamilyRequest), 'o');
        QCOMPARE(Byte(ShareBlock::kEditorFlags), 3); // marked in the nested pass
        QCOMPARE(Byte(ShareBlock::kEditState), ShareBlock::kLeftUnsaved); // 0 -> 1 -> 4
        QCOMPARE(Byte(ShareBlock::kRequestBusy), 0);
        QVERIFY(kelvo.CheckFilesPending()); // nor the file check
        kelvo.OnIdle();
        QCOMPARE(kelvo.CountDocuments(), 2);
        QVERIFY(!kelvo.CheckFilesPending());
    }

    void noRequestWhileADialogIsOpen() {
        CKelvoApp& kelvo = Start({"sim/amp.cir"});
        QDialog dialog(kelvo.MainFrame());
        dialog.setModal(true);
        dialog.show();
        SetByte(ShareBlock::kFamilyRequest, 'o');
        kelvo.OnIdle();
        QCOMPARE(Byte(ShareBlock::kFamilyRequest), 'o');
        QCOMPARE(kelvo.CountDocuments(), 1);
        dialog.hide();
        kelvo.OnIdle();
        QCOMPARE(kelvo.CountDocuments(), 2);
    }

    void modifiedStateFollowsTheDocuments() {
        CKelvoApp& kelvo = Start({"sim/amp.cir"});
        CKelvoDoc* doc = kelvo.MainFrame()->ActiveDocument();
        kelvo.OnIdle();
        QCOMPARE(Byte(ShareBlock::kEditState), ShareBlock::kClean);
        Modify(doc);
        kelvo.OnIdle();
        QCOMPARE(Byte(ShareBlock::kEditState), ShareBlock::kModified);
        QVERIFY(kelvo.DocManager()->DoFileSave(doc));
        kelvo.OnIdle();
        QCOMPARE(Byte(ShareBlock::kEditState), ShareBlock::kClean);
        // The values a simulation leaves stay until the suite or the next Simulate.
        SetByte(ShareBlock::kEditState, ShareBlock::kLeftUnsaved);
        Modify(doc);
        kelvo.OnIdle();
        QCOMPARE(Byte(ShareBlock::kEditState), ShareBlock::kLeftUnsaved);
    }

    // Quit asks about unsaved work as File > Exit does; Cancel keeps the editor.
    void quitRequestCanBeCancelled() {
        CKelvoApp& kelvo = Start({"sim/amp.cir"});
        Modify(kelvo.MainFrame()->ActiveDocument());
        SetByte(ShareBlock::kRequest, 'q');
        platform.answers = {IDCANCEL};
        kelvo.OnIdle();
        QCOMPARE(ShownTexts(), QStringList{QString(kSaveChanges).arg("amp.cir")});
        QVERIFY(kelvo.MainFrame()->isVisible());
        QCOMPARE(Byte(ShareBlock::kRequest), 0);
        QCOMPARE(Byte(ShareBlock::kRequestBusy), 0);
    }

    // The editState walk of Simulate, with the questions asked and the code written.
    void simulateAsksAboutUnsavedWork_data() {
        QTest::addColumn<QStringList>("modified"); // "Untitled1" for a new document
        QTest::addColumn<bool>("running");
        QTest::addColumn<QList<int>>("answers");
        QTest::addColumn<QString>("wording");
        QTest::addColumn<QStringList>("asked");
        QTest::addColumn<int>("editState");
        QTest::addColumn<int>("action");
        const QString before = "Save changes before running Corvane?\n\n";
        const QString restart = "Save changes and restart Corvane?\nCorvaneData may be lost!\n\n";
        const QStringList both{"sim/amp.cir", "b.cir"};
        const QStringList amp{"sim/amp.cir"};
        QTest::newRow("nothing modified")
            << QStringList{} << false << QList<int>{} << before << QStringList{} << 0 << 3;
        QTest::newRow("Cancel at the first of two")
            << both << false << QList<int>{IDCANCEL} << before << amp << 1 << 0;
        QTest::newRow("No while the simulator runs")
            << amp << true << QList<int>{IDNO} << restart << amp << 1 << 3;
        QTest::newRow("No") << amp << false << QList<int>{IDNO} << before << amp << 4 << 3;
        QTest::newRow("Yes to both")
            << both << false << QList<int>{IDYES, IDYES} << before << both << 2 << 3;
        QTest::newRow("Yes, then No")
            << both << false << QList<int>{IDYES, IDNO} << before << both << 4 << 3;
        // Yes opens Save As, which the script cancels: the document stays unsaved.
        QTest::newRow("untitled, Save As cancelled")
            << QStringList{"Untitled1"} << false << QList<int>{IDYES} << before
            << QStringList{"Untitled1"} << 4 << 3;
    }
    void simulateAsksAboutUnsavedWork() {
        QFETCH(QStringList, modified);
        QFETCH(bool, running);
        QFETCH(QList<int>, answers);
        QFETCH(QString, wording);
        QFETCH(QStringList, asked);
        QFETCH(int, editState);
        QFETCH(int, action);
        CKelvoApp& kelvo = Start({"sim/amp.cir"});
        kelvo.OpenDocumentFile(Path("b.cir"));
        for (const QString& name : modified)
            Modify(name == "Untitled1" ? kelvo.DocManager()->OpenNewDocument()
                                       : kelvo.DocManager()->FindOpenDocument(Path(name)));
        kelvo.OnIdle();
        SetByte(ShareBlock::kSimulatorRunning, running ? 1 : 0);
        platform.answers.assign(answers.begin(), answers.end());
        kelvo.OnActionSimulate();
        QStringList expected;
        for (const QString& name : asked)
            expected << wording + (name == "Untitled1" ? name : TextPath(name));
        QCOMPARE(ShownTexts(), expected);
        for (const ScriptedPlatform::Shown& shown : platform.shown)
            QCOMPARE(shown.style, MB_YESNOCANCEL | MB_ICONQUESTION);
        QCOMPARE(int(Byte(ShareBlock::kEditState)), editState);
        QCOMPARE(int(Byte(ShareBlock::kAction)), action);
    }

    // Without ngspice the request would go unanswered: Simulate says so, and how to install
    // it, before any question about unsaved work, and writes nothing.
    void simulateWithoutNgspiceSaysHowToInstallIt() {
        CKelvoApp& kelvo = Start({"sim/amp.cir"});
        Modify(kelvo.MainFrame()->ActiveDocument());
        kelvo.OnIdle();
        QDir(dir.path()).mkdir("empty");
        qputenv("PATH", QFile::encodeName(TextPath("empty")));
        kelvo.OnActionSimulate();
        QCOMPARE(platform.shown.size(), std::size_t(1));
        QVERIFY(platform.shown[0].text.startsWith("Simulate runs ngspice, which is not installed"));
        QVERIFY(platform.shown[0].text.contains("sudo apt install ngspice"));
        QCOMPARE(platform.shown[0].style, MB_OK | MB_ICONHAND);
        QCOMPARE(Byte(ShareBlock::kAction), 0);
        QCOMPARE(int(Byte(ShareBlock::kEditState)), int(ShareBlock::kModified));
    }

    // A save that fails leaves the document unsaved: the suite must not hear that all was
    // saved while the simulator reads the old file.
    void failedSaveCountsAsUnsaved() {
        QDir(dir.path()).mkdir("gone");
        Write("gone/c.cir", "* c\r\n");
        CKelvoApp& kelvo = Start({"gone/c.cir"});
        Modify(kelvo.MainFrame()->ActiveDocument());
        kelvo.OnIdle();
        // The folder replaced by a plain file: not even root can write the file now.
        QVERIFY(QDir(dir.path()).rename("gone", "moved"));
        Write("gone", "a file\n");
        platform.answers = {IDYES};
        kelvo.OnActionSimulate();
        QVERIFY(platform.shown.size() >= 2); // the question, then the failure
        QCOMPARE(int(Byte(ShareBlock::kEditState)), int(ShareBlock::kLeftUnsaved));
        QCOMPARE(int(Byte(ShareBlock::kAction)), int(ShareBlock::kActionSimulate));
    }

    // An edit made just before Ctrl+G, with no idle pass between, is asked about too.
    void simulateRightAfterAnEditAsks() {
        CKelvoApp& kelvo = Start({"sim/amp.cir"});
        kelvo.OnIdle();
        Modify(kelvo.MainFrame()->ActiveDocument());
        platform.answers = {IDNO};
        kelvo.OnActionSimulate();
        QCOMPARE(platform.shown.size(), std::size_t(1));
        QCOMPARE(int(Byte(ShareBlock::kEditState)), int(ShareBlock::kLeftUnsaved));
    }

    // The suite's close request: derived documents close without a question, then the
    // prompts with the suite's wording, where Cancel saves too; after a Simulate that
    // saved everything (editState 2), the Simulate wording, where Cancel stops.
    void closeRequestClosesDerivedThenAsks() {
        CKelvoApp& kelvo = Start({"sim/amp.cir"});
        CKelvoDoc* circuit = Modify(kelvo.MainFrame()->ActiveDocument());
        kelvo.OnWindowCkt();
        CKelvoDoc* expanded = Modify(kelvo.MainFrame()->ActiveDocument());
        QVERIFY(expanded->IsSuiteDerived());
        platform.shown.clear();
        SetByte(ShareBlock::kRequest, 'c');
        platform.answers = {IDCANCEL};
        kelvo.OnIdle();
        QCOMPARE(kelvo.CountDocuments(), 1);
        QCOMPARE(ShownTexts(),
                 QStringList{"Save changes before simulation?\n\n" + TextPath("sim/amp.cir")});
        QVERIFY(!circuit->IsModified()); // Cancel saved it
        QCOMPARE(Byte(ShareBlock::kRequest), 0);
        QCOMPARE(Byte(ShareBlock::kRequestBusy), 0);

        Modify(circuit);
        SetByte(ShareBlock::kEditState, ShareBlock::kAskingToSave);
        SetByte(ShareBlock::kRequest, 'c');
        platform.shown.clear();
        platform.answers = {IDCANCEL};
        kelvo.OnIdle();
        QCOMPARE(ShownTexts(),
                 QStringList{"Save changes before running Corvane?\n\n" + TextPath("sim/amp.cir")});
        QVERIFY(circuit->IsModified());
        QCOMPARE(int(Byte(ShareBlock::kEditState)), int(ShareBlock::kSaveCancelled));
    }

    void actionsFollowTheSuite_data() {
        QTest::addColumn<int>("command");
        QTest::addColumn<int>("code");
        QTest::newRow("ORVAS") << int(ID_ACTIONS_ORVAS) << 1;
        QTest::newRow("Simulate") << int(ID_ACTIONS_SIMULATE) << 3;
        QTest::newRow("Schematic") << int(ID_ACTIONS_SCHEMATIC) << 5;
        QTest::newRow("Scope") << int(ID_ACTIONS_SCOPE) << 4;
    }
    void actionsFollowTheSuite() {
        QFETCH(int, command);
        QFETCH(int, code);
        CKelvoApp& kelvo = Start({"sim/amp.cir"});
        QAction* action = kelvo.MainFrame()->Action(command);
        kelvo.OnIdle();
        QVERIFY(!action->isEnabled());
        action->trigger(); // a disabled command does nothing
        QCOMPARE(Byte(ShareBlock::kAction), 0);
        SetByte(ShareBlock::kSuiteReady, 1);
        kelvo.OnIdle();
        QVERIFY(action->isEnabled());
        action->trigger();
        QCOMPARE(int(Byte(ShareBlock::kAction)), code);
        QVERIFY(platform.shown.empty());
    }

    // Window > .OUT File: the output opens read-only and marked, and a second time is
    // activated, not opened again. The extension is asked for in capitals and found in
    // whatever case the file has.
    void familyCommandOpensOnceReadOnly() {
        CKelvoApp& kelvo = Start({"sim/amp.cir"});
        kelvo.OnIdle();
        QVERIFY(kelvo.MainFrame()->Action(ID_WINDOW_OUT)->isEnabled());
        kelvo.MainFrame()->Action(ID_WINDOW_OUT)->trigger();
        QCOMPARE(kelvo.CountDocuments(), 2);
        CKelvoDoc* output = kelvo.MainFrame()->ActiveDocument();
        QCOMPARE(output->GetPathName(), Path("sim/amp.out"));
        QVERIFY(output->IsOutputReadOnly());
        QVERIFY(output->IsSuiteDerived());
        QVERIFY(!output->IsSuiteCircuit());
        kelvo.OnFamilyFile(CircuitFamily::kFamily[0]); // .CIR: back to the circuit
        QVERIFY(kelvo.MainFrame()->ActiveDocument()->IsSuiteCircuit());
        kelvo.OnWindowOut();
        QCOMPARE(kelvo.CountDocuments(), 2);
        QCOMPARE(kelvo.MainFrame()->ActiveDocument(), output);
        QVERIFY(platform.shown.empty());
    }

    void familyFileMissingIsReported() {
        CKelvoApp& kelvo = Start({"sim/amp.cir"});
        kelvo.OnWindowErr();
        QCOMPARE(platform.shown.size(), std::size_t(1));
        QCOMPARE(platform.shown[0].text, "Unable to open file:\n" + TextPath("sim/amp.ERR"));
        QCOMPARE(platform.shown[0].style, MB_OK | MB_ICONNONE);
        QCOMPARE(kelvo.CountDocuments(), 1);
    }

    void familyBaseName_data() {
        QTest::addColumn<QStringList>("openedText");
        QTest::addColumn<QString>("base");
        QTest::newRow("lower case") << QStringList{"/s/amp.cir"} << "/s/amp";
        QTest::newRow("upper case") << QStringList{"/s/AMP.CIR"} << "/s/AMP";
        QTest::newRow("mixed case is no circuit") << QStringList{"/s/AMP.Cir"} << "";
        QTest::newRow("first circuit wins")
            << QStringList{"/s/a.out", "/s/b.cir", "/s/c.cir"} << "/s/b";
        QTest::newRow("an ending that is no extension") << QStringList{"/s/x.pcir"} << "";
        QTest::newRow("a folder's dot") << QStringList{"/s.d/cir"} << "";
        QTest::newRow("none") << QStringList{} << "";
    }
    void familyBaseName() {
        QFETCH(QStringList, openedText);
        QFETCH(QString, base);
        FileNameList opened;
        for (const QString& file : openedText)
            opened << FileName::FromText(file);
        QCOMPARE(CircuitFamily::FamilyBaseName(nullptr, opened), FileName::FromText(base));
        // The suite's circuit comes first, whatever was opened.
        std::vector<unsigned char> bytes(ShareBlock::kSize);
        ShareBlock block(bytes.data());
        block.SetText(ShareBlock::kCircuitDirectory, ShareBlock::kCircuitDirectorySize, "/w/");
        QCOMPARE(CircuitFamily::FamilyBaseName(&block, opened),
                 FileName::FromText(base)); // name missing
        block.SetText(ShareBlock::kCircuitName, ShareBlock::kCircuitNameSize, "osc");
        QCOMPARE(CircuitFamily::FamilyBaseName(&block, opened), FileName::FromText("/w/osc"));
    }

    void familyFileIgnoresLetterCase() {
        Write("sim/Amp.tmp", "t\r\n");
        QCOMPARE(CircuitFamily::FindFamilyFile(Path("sim/amp.OUT")), Path("sim/amp.out"));
        QCOMPARE(CircuitFamily::FindFamilyFile(Path("sim/amp.out")), Path("sim/amp.out"));
        QCOMPARE(CircuitFamily::FindFamilyFile(Path("sim/amp.TMP")), Path("sim/Amp.tmp"));
        QCOMPARE(CircuitFamily::FindFamilyFile(Path("sim/amp.ERR")), FileName());
        QCOMPARE(CircuitFamily::FindFamilyFile(Path("nowhere/amp.OUT")), FileName());
    }

    // The folder was listed through Qt, which cannot name a folder that is not UTF-8.
    void familyFileFoundInAFolderNotValidUtf8() {
        const FileName folder = Path("").WithSlash() + "r\xFFn/";
        const FileName out = folder + "amp.out";
        QCOMPARE(::mkdir(folder.Path(), 0755), 0);
        const int fd = ::open(out.Path(), O_WRONLY | O_CREAT, 0644);
        QVERIFY(fd >= 0);
        ::close(fd);
        QCOMPARE(CircuitFamily::FindFamilyFile(folder + "amp.OUT"), out);
        QCOMPARE(::unlink(out.Path()) + ::rmdir(folder.Path()), 0);
    }

    void familyRequestOpensItsMember_data() {
        QTest::addColumn<char>("request");
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("circuit");
        QTest::newRow("t") << 't' << "sim/amp.cir" << true;
        QTest::newRow("k") << 'k' << "sim/amp.ckt" << false;
        QTest::newRow("e") << 'e' << "sim/amp.err" << false;
        QTest::newRow("o") << 'o' << "sim/amp.out" << false;
        QTest::newRow("x") << 'x' << "sim/amp.tmp" << false;
    }
    void familyRequestOpensItsMember() {
        QFETCH(char, request);
        QFETCH(QString, file);
        QFETCH(bool, circuit);
        Write("sim/amp.err", "error\r\n");
        Write("sim/amp.tmp", "scratch\r\n");
        CKelvoApp& kelvo = Start({"b.cir"});
        NameCircuit(TextPath("sim/"), "amp");
        SetByte(ShareBlock::kFamilyRequest, static_cast<unsigned char>(request));
        kelvo.OnIdle();
        QCOMPARE(Byte(ShareBlock::kFamilyRequest), 0);
        CKelvoDoc* document = kelvo.MainFrame()->ActiveDocument();
        QCOMPARE(document->GetPathName(), Path(file));
        QCOMPARE(document->IsSuiteCircuit(), circuit);
        QCOMPARE(document->IsSuiteDerived(), !circuit);
        kelvo.OnIdle(); // served once
        QCOMPARE(kelvo.CountDocuments(), 2);
        QVERIFY(platform.shown.empty());
    }

    // Before any file is opened the commands are disabled, yet the suite's family request
    // is served, with the circuit the block names.
    void familyRequestServedBeforeAnyFile() {
        CKelvoApp& kelvo = Start({});
        kelvo.OnIdle();
        QVERIFY(!kelvo.MainFrame()->Action(ID_WINDOW_OUT)->isEnabled());
        SetByte(ShareBlock::kFamilyRequest, 'o');
        kelvo.OnIdle();
        QCOMPARE(kelvo.CountDocuments(), 1); // no circuit: nothing, no message
        QVERIFY(platform.shown.empty());
        NameCircuit(TextPath("sim/"), "amp");
        SetByte(ShareBlock::kFamilyRequest, 'o');
        kelvo.OnIdle();
        QCOMPARE(kelvo.MainFrame()->ActiveDocument()->GetPathName(), Path("sim/amp.out"));
        QVERIFY(kelvo.MainFrame()->ActiveDocument()->IsSuiteDerived());
    }

    // The suite opens its circuit: the circuits it had opened before are offered for
    // saving (Cancel keeps one open and marked), the derived documents close without a
    // question, and the new circuit is marked.
    void openCircuitRequestReplacesTheSuitesDocuments() {
        CKelvoApp& kelvo = Start({"b.cir"});
        kelvo.OnWindowCir();
        CKelvoDoc* old = Modify(kelvo.MainFrame()->ActiveDocument());
        QVERIFY(old->IsSuiteCircuit());
        NameCircuit(TextPath("sim/"), "amp");
        SetByte(ShareBlock::kFamilyRequest, 'o');
        kelvo.OnIdle();
        CKelvoDoc* output = kelvo.MainFrame()->ActiveDocument();
        QVERIFY(output->IsSuiteDerived());
        Modify(output);
        platform.shown.clear();

        SetByte(ShareBlock::kRequest, 'i');
        platform.answers = {IDCANCEL};
        kelvo.OnIdle();
        QCOMPARE(Byte(ShareBlock::kRequest), 0);
        QCOMPARE(ShownTexts(), QStringList{QString(kSaveChanges).arg("b.cir")});
        QVERIFY(kelvo.DocManager()->FindOpenDocument(Path("b.cir")) == old);
        QVERIFY(old->IsSuiteCircuit());
        QVERIFY(kelvo.DocManager()->FindOpenDocument(Path("sim/amp.out")) == nullptr);
        CKelvoDoc* circuit = kelvo.DocManager()->FindOpenDocument(Path("sim/amp.cir"));
        QVERIFY(circuit != nullptr);
        QVERIFY(circuit->IsSuiteCircuit());
        QCOMPARE(kelvo.FileLists().OpenedFiles().value(0), Path("sim/amp.cir"));

        // The same circuit again: activated, left open and marked.
        SetByte(ShareBlock::kRequest, 'i');
        platform.answers = {IDNO};
        kelvo.OnIdle();
        QCOMPARE(kelvo.DocManager()->FindOpenDocument(Path("sim/amp.cir")), circuit);
        QVERIFY(circuit->IsSuiteCircuit());
        QCOMPARE(kelvo.DocManager()->FindOpenDocument(Path("b.cir")), nullptr); // No: closed
    }

    void openCircuitRequestRetriesUntilFound() {
        CKelvoApp& kelvo = Start({});
        NameCircuit(TextPath("later/"), "osc");
        SetByte(ShareBlock::kRequest, 'i');
        kelvo.OnIdle();
        kelvo.OnIdle();
        QCOMPARE(Byte(ShareBlock::kRequest), 'i');
        QCOMPARE(kelvo.CountDocuments(), 1);
        QVERIFY(platform.shown.empty());
        // The circuit appears, its extension in capitals, in a folder with a space.
        QDir(dir.path()).mkdir("later on");
        Write("later on/osc.CIR", "* osc\r\n");
        NameCircuit(TextPath("later on/"), "osc");
        kelvo.OnIdle();
        QCOMPARE(Byte(ShareBlock::kRequest), 0);
        QCOMPARE(kelvo.MainFrame()->ActiveDocument()->GetPathName(), Path("later on/osc.CIR"));
        QVERIFY(kelvo.MainFrame()->ActiveDocument()->IsSuiteCircuit());
    }

    // A hand-off is not the suite's circuit, even when an open-circuit request waits.
    void handOffIsNotTakenForTheSuitesCircuit() {
        CKelvoApp& kelvo = Start({});
        NameCircuit(TextPath("sim/"), "amp");
        SetByte(ShareBlock::kRequest, 'i');
        Block().WriteHandOff("kelvo " + TextPath("b.cir").toUtf8());
        kelvo.OnIdle();
        CKelvoDoc* handed = kelvo.DocManager()->FindOpenDocument(Path("b.cir"));
        QVERIFY(handed != nullptr);
        QVERIFY(!handed->IsSuiteCircuit());
        CKelvoDoc* circuit = kelvo.DocManager()->FindOpenDocument(Path("sim/amp.cir"));
        QVERIFY(circuit != nullptr);
        QVERIFY(circuit->IsSuiteCircuit());
    }

    // Whatever another program leaves in the block, the poll neither crashes nor reads
    // outside it (the block is exactly its size on the heap: the sanitizers see a read
    // past its end).
    void randomBlocksNeverBreakThePoll() {
        CKelvoApp& kelvo = Start({"sim/amp.cir"});
        platform.answers.clear();
        for (quint32 seed = 1; seed <= 400; ++seed) {
            QRandomGenerator random(seed);
            for (unsigned char& byte : platform.shareBlock)
                byte = static_cast<unsigned char>(random.bounded(256));
            // Every request in turn, more often than chance would give it.
            static const char kRequests[] = "qrci";
            if (seed % 5 == 0)
                SetByte(ShareBlock::kRequest, kRequests[(seed / 5) % 4]);
            if (seed % 7 == 0)
                SetByte(ShareBlock::kFamilyRequest, "tkeox"[(seed / 7) % 5]);
            kelvo.OnIdle();
            kelvo.OnIdle();
            if (kelvo.CountDocuments() > 20)
                kelvo.DocManager()->CloseAllDocuments();
        }
        QCOMPARE(Byte(ShareBlock::kEditorFlags) & ShareBlock::kPolledFlag, ShareBlock::kPolledFlag);
    }
};

QTEST_MAIN(SuiteTest)
#include "tst_suite.moc"
