#pragma once

#include <memory>

#include <QByteArrayList>
#include <QObject>
#include <QSettings>

#include "CDocManager.h"
#include "CMainFrame.h"
#include "CircuitFamily.h"
#include "ShareBlock.h"
#include "ViewDefaults.h"

// The application object: starts the program in its fixed order, keeps what documents
// and views share, opens files by name and runs the idle pass.
class CKelvoApp : public QObject, public ViewDefaults, public FrameOwner {
    Q_OBJECT
public:
    // arguments: the process's, as the system gave them, program name first. The profile
    // keeps the recent-file list and is where the window-text colour is read.
    CKelvoApp(Platform* platform, QSettings* profile, QByteArrayList arguments,
              QObject* parent = nullptr);
    ~CKelvoApp() override;

    bool InitInstance();
    int ExitInstance();
    // What the process ends with when InitInstance returned false: 0 after handing the
    // command line to the editor that already runs, non-zero on a failure.
    int StartExitCode() const { return m_nStartExitCode; }

    // --- The suite's shared block.
    // Registers this editor in the block, or hands the command line to the editor that
    // holds it (false then, as when the block cannot be opened).
    bool OpenShareBlock();
    // Clears the editor's bytes and lets the block go.
    void ReleaseShareBlock();
    // The mapped block, or null.
    const ShareBlock* GetShareBlock() const { return m_pShare.get(); }

    // --- The circuit's family: Window > .CIR File ... .TMP File, enabled once a file has
    // been opened. The circuit's base name with the member's extension is opened or
    // activated and marked; "Unable to open file:" when it cannot be.
    void OnFamilyFile(const CircuitFamily::Member& member);
    void OnWindowCir();
    void OnWindowCkt();
    void OnWindowErr();
    void OnWindowOut();
    void OnWindowTmp();
    void OnUpdateFamilyFile(CommandUpdate& update);

    // --- Actions: each writes its code into the block for the suite's front end; enabled
    // while the block is mapped and the suite is ready. Simulate asks about unsaved
    // documents first.
    void OnActionOrvas();
    void OnActionSimulate();
    void OnActionSchematic();
    void OnActionScope();
    void OnUpdateAction(CommandUpdate& update);

    bool OpenCommandLine(const QByteArray& text);
    // Opens or activates the document for a full, home-relative or bare name.
    CKelvoDoc* OpenByName(const FileName& name) override;
    // The netlist beside an output, with the line its message names selected and the
    // message in the status bar.
    bool ShowNetlistPlace(CKelvoDoc& output, const NetlistPlace& place) override;
    // Opens or activates; a lone document is tiled to fill the area.
    CKelvoDoc* OpenDocumentFile(const FileName& path);

    // --- Go To Definition's way to other files (CKelvoApp_definitions.cpp).
    FileNameList SearchDirectories() const override;
    const TextStore* OpenText(const FileName& path) const override;
    // Drawn when first shown: its picture is the first image Kelvo reads, and reading one
    // loads every image-format plug-in, which the start-up need not wait for.
    const QCursor& MarginCursor() override;
    bool ShowDefinition(const FileName& file, int line, const QString& status) override;
    void ShowStatus(const QString& text) override;
    // The active view's line `line` (0-based) selected, and `status` in the status bar.
    void SelectLineInActiveView(int line, const QString& status);
    int CountDocuments() const { return m_docManager->CountDocuments(); }

    // The application's commands: File > New, Open, the recent files and Exit.
    bool OnCommand(int id) override;
    bool OnUpdateCommand(CommandUpdate& update) override;
    void OnFileNew();
    void OnFileOpen();
    // The recent file at `index` (0 the newest); one that no longer opens leaves the list.
    void OnOpenRecentFile(int index);
    void OnAppExit();
    // File > Print Setup, with or without a document: the one printer every print uses.
    void OnFilePrintSetup();
    // Help > About Kelvo; closed without Done, the next drag step in a view is ignored.
    void OnAppAbout();
    // Options > Save Preferences: the window's place, the bars and the active view's font.
    void OnSavePreferences();
    // Options > Syntax Colours: colours on or off in every view, kept by Save Preferences.
    void OnOptionsSyntaxColours();
    void OnUpdateOptionsSyntaxColours(CommandUpdate& update);
    bool CanCloseMainFrame() override;

    // The "WindowText" colour value: "%d %d %d" as red, green, blue (low 8 bits each);
    // black when fewer than three numbers parse.
    static QColor ParseWindowText(const QString& value, bool* ok = nullptr);
    // The next idle pass: command states, status panes, and (with the suite's block) the
    // suite's polling.
    void OnIdle();
    // File > Exit at the next moment no question is open (a signal asks for it).
    void RequestExit();

    CDocManager* DocManager() const { return m_docManager.get(); }
    CMainFrame* MainFrame() const { return m_pMainWnd.get(); }
    Platform* GetPlatform() const override { return m_platform; }
    const FileNameList& RecentFiles() const { return m_recentFiles; }
    // The files opened so far and the directories bare names are looked for in.
    const CFileLists& FileLists() const { return m_lists; }
    // Set when the program comes back to the front: the next idle pass outside every modal
    // loop checks the files.
    bool CheckFilesPending() const { return m_bCheckFiles; }
    void RequestFileCheck() { m_bCheckFiles = true; }

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Every document's file against what was last read or written.
    void CheckFiles();
    // With `suiteCircuit`, the file is the suite's circuit (its 'i' request): found also
    // when its ".cir" differs in letter case, and opened as the circuit, in place of the
    // documents opened for the suite before.
    bool OpenCommandLine(const QByteArray& text, bool suiteCircuit);
    // The idle pass's steps with the block: a second start's command line, and one of the
    // suite's requests.
    void ServeHandOff();
    // A start's command line handed to the editor that holds the block, waiting (bounded)
    // for it to be taken. True when this start ends here: handed over, or failed with its
    // exit code set and said why; false when the holder proved to be no editor, so that this
    // start takes the block.
    bool HandOffCommandLine(const ShareBlock& block);
    // Lets a block that was cut short go, says so once, and talks to the suite no more; every
    // document stays.
    void DropShareBlock();
    void ServeSuiteRequest();
    void ServeCommandRequest(unsigned char request);
    // The main window shown without taking the focus, its windows cascaded (several) or
    // tiled (one).
    void ShowAndArrange();
    void WriteAction(ShareBlock::Action action);
    void SetUpDirectories();
    // The preference file, read once at start-up: applied to the main window, its bars
    // and the default font as far as it is whole and sound.
    void LoadPreferences();
    void AddRecentFile(const FileName& path);
    void LoadRecentFiles();
    void SaveRecentFiles();
    bool BeepIfNothingToUndo(const QKeyEvent* key);

    Platform* m_platform;
    QSettings* m_profile;
    CFileLists m_lists;
    bool m_bCheckFiles = false;
    QByteArrayList m_arguments;
    std::unique_ptr<CDocManager> m_docManager;
    std::unique_ptr<CMainFrame> m_pMainWnd;
    FileNameList m_recentFiles;
    // A step that shows questions runs their loops, and idle passes come in them: these keep
    // such a pass from starting the same step again.
    bool m_bInFileCheck = false;
    bool m_bMarginCursorMade = false;
    bool m_bInHandOff = false;
    // Set while the idle pass serves one of the suite's requests: the questions that request
    // asks run loops of their own, whose idle passes must not serve another.
    bool m_bInSuiteRequest = false;
    std::unique_ptr<ShareBlock> m_pShare;
    // Set when the block was found cut short: from then on nothing talks to the suite, and
    // the block goes at the next pass outside every question and request, so that nothing
    // that still holds it is left pointing nowhere.
    bool m_bShareLost = false;
    int m_nStartExitCode = 0;
    bool m_bExitRequested = false;
    bool m_bClosing = false;
    bool m_bSeenActive = false;
};
