#include "CKelvoApp.h"

#include "CommandIds.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QKeyEvent>
#include <QPalette>
#include <QPointer>
#include <QScopedValueRollback>
#include <QWindow>
#include <cstdio>
#include <utility>

#include "CAboutDlg.h"
#include "ClipboardWatch.h"
#include "CommandLine.h"
#include "FileStatus.h"
#include "FrameworkMessages.h"
#include "PathSearch.h"
#include "SimulationPrompts.h"

namespace {

constexpr char kNameNotCarried[] =
    "%1\nThis name was handed over in a form that does not show where it ends, so it may "
    "name another file.\nNothing was opened.";

} // namespace

CKelvoApp::CKelvoApp(Platform* platform, QSettings* profile, QByteArrayList arguments,
                     QObject* parent)
    : QObject(parent), m_platform(platform), m_profile(profile), m_arguments(std::move(arguments)) {
}

CKelvoApp::~CKelvoApp() {
    if (qApp != nullptr)
        qApp->removeEventFilter(this);
}

QColor CKelvoApp::ParseWindowText(const QString& value, bool* ok) {
    int red = 0;
    int green = 0;
    int blue = 0;
    const QByteArray bytes = value.toLatin1();
    const bool parsed = std::sscanf(bytes.constData(), "%d %d %d", &red, &green, &blue) == 3;
    if (ok)
        *ok = parsed;
    if (!parsed)
        return Qt::black;
    return QColor(red & 0xff, green & 0xff, blue & 0xff);
}

bool CKelvoApp::InitInstance() {
    m_platform->BeginWaitCursor();
    LoadRecentFiles();

    m_docManager = std::make_unique<CDocManager>(m_platform, &m_lists);
    m_pMainWnd = std::make_unique<CMainFrame>();
    m_pMainWnd->SetOwner(this);
    m_platform->SetMainWindow(m_pMainWnd.get());
    m_pMainWnd->SetRecentFiles(m_recentFiles);
    connect(m_docManager.get(), &CDocManager::documentOpened, this, [this](CKelvoDoc* document) {
        m_pMainWnd->AddChild(document, this);
        connect(document, &CKelvoDoc::savedByUser, this, &CKelvoApp::AddRecentFile);
    });
    connect(m_docManager.get(), &CDocManager::documentClosing, this, [this](CKelvoDoc* document) {
        if (CChildFrame* child = m_pMainWnd->FindChild(document))
            child->CloseForDocument();
    });

    // A value that is there is parsed as designed (black when it does not parse); with no
    // value at all the platform's own text colour stands in.
    const QVariant windowText = m_profile->value("Control Panel/Colors/WindowText");
    m_crWindowText = windowText.isValid() ? ParseWindowText(windowText.toString())
                                          : QApplication::palette().color(QPalette::Text);
    m_lfDefault = LogFont::Default();

    if (!OpenShareBlock()) {
        m_platform->EndWaitCursor();
        return false;
    }
    LoadPreferences();

    qApp->installEventFilter(this);
    connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, this,
            &CKelvoApp::OnIdle);
    connect(qApp, &QGuiApplication::applicationStateChanged, this,
            [this](Qt::ApplicationState state) {
                // The first activation is the start-up's own, which checks nothing.
                if (state == Qt::ApplicationActive && std::exchange(m_bSeenActive, true))
                    RequestFileCheck();
            });

    DeferClipboardLook();
    if (!OpenCommandLine(CommandLine::Build(m_arguments, CurrentDirectory())))
        OnFileNew();
    // The wait is over before the window shows: a wait cursor given to the new window and
    // taken back before it is drawn is never seen, only read from the cursor theme.
    m_platform->EndWaitCursor();
    m_pMainWnd->show();
    if (CountDocuments() == 1 && !m_lists.OpenedFiles().isEmpty())
        m_pMainWnd->TileVertically(); // now that the area has its size
    m_pMainWnd->UpdateCommandStates();
    m_bCheckFiles = false;
    return true;
}

const QCursor& CKelvoApp::MarginCursor() {
    if (!std::exchange(m_bMarginCursorMade, true))
        m_hMarginCursor = QCursor(QPixmap(":/margin-cursor.svg"), 27, 2); // the tip, up and right
    return m_hMarginCursor;
}

int CKelvoApp::ExitInstance() {
    ReleaseShareBlock();
    SaveRecentFiles();
    return 0;
}

void CKelvoApp::SetUpDirectories() {
    m_lists.AddDirectory(ProgramDirectory());
    m_lists.AddDirectory(CurrentDirectory());
    for (const FileName& directory : CommandLine::DirectoryOptions(m_arguments))
        m_lists.AddDirectory(directory);
}

bool CKelvoApp::OpenCommandLine(const QByteArray& text) {
    return OpenCommandLine(text, false);
}

bool CKelvoApp::OpenCommandLine(const QByteArray& text, bool suiteCircuit) {
    SetUpDirectories();
    qsizetype at = 0;
    bool programExact = true;
    CommandLine::NextToken(text, at, &programExact);
    const qsizetype start = at;
    bool argumentExact = true;
    const FileName argument = FileName::FromBytes(CommandLine::NextToken(text, at, &argumentExact));
    // Text that does not show where the name ends may name another file: nothing opens.
    if (!programExact || !argumentExact) {
        const QByteArray given = text.mid(start).trimmed();
        m_platform->MessageBox(QString(kNameNotCarried).arg(FileName::DisplayOf(given)),
                               MB_OK | MB_ICONHAND);
        return false;
    }
    // A folder, a FIFO or a device is found too: naming one is a failed open, with the
    // framework's message, not a missing name.
    FileName found = SearchEntry(CurrentDirectory(), argument);
    if (found.isEmpty() && suiteCircuit && !argument.isEmpty())
        found = CircuitFamily::FindFamilyFile(AbsolutePath(argument));
    if (found.isEmpty())
        return false;
    m_lists.PrefixPath(found);
    CKelvoDoc* document = OpenByName(found);
    if (document == nullptr)
        if (const int error = QueryFileStatus(found).readError; error != 0)
            m_platform->MessageBox(OpenFailureMessage(error, found), MB_OK | MB_ICONEXCLAMATION);
    if (suiteCircuit && m_pShare && m_pShare->Get(ShareBlock::kRequest) == 'i') {
        m_pShare->Set(ShareBlock::kRequest, 0);
        // The question for a modified circuit runs a loop, in which the new one may close.
        const QPointer<CKelvoDoc> circuit = document;
        CircuitFamily::CloseSuiteDocuments(*m_docManager, circuit, true);
        if (circuit)
            circuit->MarkSuiteCircuit();
    }
    m_lists.AddDirectoryOf(found);
    return true;
}

CKelvoDoc* CKelvoApp::OpenByName(const FileName& name) {
    if (name.StartsWith("/") || name.StartsWith("~/")) {
        const FileName path = SearchFile({}, name);
        // Proved readable first, without ever blocking on what is not a regular file.
        if (!QueryFileStatus(path).Readable())
            return nullptr;
        m_lists.AddDirectoryOf(path);
        return OpenDocumentFile(path);
    }
    for (const FileName& directory : m_lists.Directories())
        if (const FileName found = SearchFile(directory, name); !found.isEmpty())
            return OpenDocumentFile(found);
    const FileName found = SearchFile({}, name);
    return found.isEmpty() ? nullptr : OpenDocumentFile(found);
}

CKelvoDoc* CKelvoApp::OpenDocumentFile(const FileName& path) {
    CKelvoDoc* document = m_docManager->OpenDocumentFile(path);
    if (document == nullptr)
        return nullptr;
    m_pMainWnd->Activate(m_pMainWnd->FindChild(document));
    if (CountDocuments() == 1)
        m_pMainWnd->TileVertically(); // a lone document fills the area
    AddRecentFile(document->GetPathName());
    return document;
}

void CKelvoApp::OnFileNew() {
    m_docManager->OpenNewDocument();
}

void CKelvoApp::LoadRecentFiles() {
    m_recentFiles.clear();
    for (int i = 1; i <= kRecentFiles; ++i) {
        // A name that is not valid UTF-8 is kept as its bytes (see SaveRecentFiles).
        const QVariant value = m_profile->value(QString("Recent File List/File%1").arg(i));
        const FileName file = value.typeId() == QMetaType::QByteArray
                                  ? FileName::FromBytes(value.toByteArray())
                                  : FileName::FromText(value.toString());
        if (!file.isEmpty())
            m_recentFiles << file;
    }
}

void CKelvoApp::SaveRecentFiles() {
    m_profile->remove("Recent File List");
    for (int i = 0; i < m_recentFiles.size(); ++i) {
        const FileName& file = m_recentFiles[i];
        // What a profile keeps exactly as text is a name that is valid UTF-8.
        const bool text = FileName::FromText(file.Display()) == file;
        m_profile->setValue(QString("Recent File List/File%1").arg(i + 1),
                            text ? QVariant(file.Display()) : QVariant(file.Bytes()));
    }
    m_profile->sync();
}

void CKelvoApp::AddRecentFile(const FileName& path) {
    if (path.isEmpty())
        return;
    m_recentFiles.removeAll(path);
    m_recentFiles.prepend(path);
    while (m_recentFiles.size() > kRecentFiles)
        m_recentFiles.removeLast();
    m_pMainWnd->SetRecentFiles(m_recentFiles);
}

void CKelvoApp::RequestExit() {
    m_bExitRequested = true;
    OnIdle();
}

void CKelvoApp::OnIdle() {
    if (!m_pMainWnd)
        return;
    const bool outsideModalLoops = QApplication::activeModalWidget() == nullptr;
    // An exit asked for by a signal cancels the dialogs that ask nothing, and waits until no
    // question is open and no close runs. A cancelled dialog's caller goes on first: the
    // exit comes at a later pass, once its loop has unwound.
    if (m_bExitRequested && !m_platform->CancelDialogs() && outsideModalLoops && !m_bClosing) {
        m_bExitRequested = false;
        m_pMainWnd->close();
    }
    // Only outside every modal loop, and never while either of them runs, so that no
    // document is reloaded or closed under a command that is still working on it.
    const auto quiet = [&] {
        return outsideModalLoops && !m_bClosing && !m_bInFileCheck && !m_bInSuiteRequest;
    };
    // The block's size is checked before every pass that reads it.
    if (m_pShare && !m_bShareLost)
        m_bShareLost = m_platform->ShareMappingLost();
    if (m_pShare && m_bShareLost && quiet())
        DropShareBlock();
    const auto talking = [&] { return m_pShare && !m_bShareLost; };
    // What only reports or registers runs in every pass, in the loop of a question too.
    if (talking()) {
        SimulationPrompts::ReportModifiedState(*m_pShare, *m_docManager);
        ServeHandOff();
    }
    if (m_bCheckFiles && quiet())
        CheckFiles();
    if (talking() && quiet())
        ServeSuiteRequest();
    if (talking())
        m_pShare->Set(ShareBlock::kEditorFlags,
                      m_pShare->Get(ShareBlock::kEditorFlags) | ShareBlock::kPolledFlag);
    // A window shown is painted while its exposure is handled, before this pass.
    if (const QWindow* window = m_pMainWnd->windowHandle(); window && window->isExposed())
        EndClipboardDeferral();
    m_pMainWnd->UpdateCommandStates();
}

void CKelvoApp::CheckFiles() {
    // The questions run loops of their own; returns to the front meanwhile are answered by
    // this same pass, and the flag is cleared after it.
    const QScopedValueRollback inFileCheck(m_bInFileCheck, true);
    const std::vector<CKelvoDoc*> documents = m_docManager->Documents();
    std::vector<QPointer<CKelvoDoc>> alive(documents.begin(), documents.end());
    for (const QPointer<CKelvoDoc>& document : alive)
        if (document)
            document->CheckExternalChange();
    m_bCheckFiles = false;
}

bool CKelvoApp::BeepIfNothingToUndo(const QKeyEvent* key) {
    if (key->key() != Qt::Key_Z || !(key->modifiers() & Qt::ControlModifier))
        return false;
    const CKelvoView* view = m_pMainWnd->ActiveView();
    const TextStore* store = view != nullptr ? view->GetStore() : nullptr;
    const bool shift = key->modifiers() & Qt::ShiftModifier;
    const bool possible = store == nullptr || (shift ? store->CanRedo() : store->CanUndo());
    if (!possible)
        m_platform->Beep();
    return true;
}

bool CKelvoApp::eventFilter(QObject* watched, QEvent* event) {
    // The shortcut check travels up the parents: only its first stop counts.
    if (event->type() == QEvent::ShortcutOverride && watched == QGuiApplication::focusObject()) {
        // States are fresh before a shortcut is matched; the undo key beeps when it can't.
        if (m_pMainWnd)
            m_pMainWnd->UpdateCommandStates();
        BeepIfNothingToUndo(static_cast<QKeyEvent*>(event));
    } else if (event->type() == QEvent::KeyPress && m_pMainWnd &&
               qobject_cast<CKelvoView*>(watched) != nullptr) {
        // A key of the accelerator table never reaches a view as typing, even when its
        // command is disabled. Dialogs keep their keys.
        const auto* key = static_cast<QKeyEvent*>(event);
        const Qt::KeyboardModifiers modifiers =
            key->modifiers() & ~(Qt::KeypadModifier | Qt::GroupSwitchModifier);
        const QKeySequence pressed(QKeyCombination(modifiers, Qt::Key(key->key())));
        for (const CommandInfo& command : Commands())
            for (const QKeySequence& sequence : command.keys)
                if (sequence == pressed)
                    return true;
    }
    return QObject::eventFilter(watched, event);
}

namespace {

const CommandEntry<CKelvoApp> kAppCommands[] = {
    {ID_FILE_NEW, &CKelvoApp::OnFileNew, nullptr},
    {ID_FILE_OPEN, &CKelvoApp::OnFileOpen, nullptr},
    {ID_APP_EXIT, &CKelvoApp::OnAppExit, nullptr},
    {ID_OPTIONS_SAVE_PREFERENCES, &CKelvoApp::OnSavePreferences, nullptr},
    {ID_OPTIONS_SYNTAX_COLOURS, &CKelvoApp::OnOptionsSyntaxColours,
     &CKelvoApp::OnUpdateOptionsSyntaxColours},
    {ID_APP_ABOUT, &CKelvoApp::OnAppAbout, nullptr},
    {ID_FILE_PRINT_SETUP, &CKelvoApp::OnFilePrintSetup, nullptr},
    {ID_ACTIONS_ORVAS, &CKelvoApp::OnActionOrvas, &CKelvoApp::OnUpdateAction},
    {ID_ACTIONS_SIMULATE, &CKelvoApp::OnActionSimulate, &CKelvoApp::OnUpdateAction},
    {ID_ACTIONS_SCHEMATIC, &CKelvoApp::OnActionSchematic, &CKelvoApp::OnUpdateAction},
    {ID_ACTIONS_SCOPE, &CKelvoApp::OnActionScope, &CKelvoApp::OnUpdateAction},
    {ID_WINDOW_CIR, &CKelvoApp::OnWindowCir, &CKelvoApp::OnUpdateFamilyFile},
    {ID_WINDOW_CKT, &CKelvoApp::OnWindowCkt, &CKelvoApp::OnUpdateFamilyFile},
    {ID_WINDOW_ERR, &CKelvoApp::OnWindowErr, &CKelvoApp::OnUpdateFamilyFile},
    {ID_WINDOW_OUT, &CKelvoApp::OnWindowOut, &CKelvoApp::OnUpdateFamilyFile},
    {ID_WINDOW_TMP, &CKelvoApp::OnWindowTmp, &CKelvoApp::OnUpdateFamilyFile},
};

// The recent-file entries are one range of ids, one per place in the list.
bool IsRecentFile(int id) {
    return id >= ID_FILE_MRU_FILE1 && id < ID_FILE_MRU_FILE1 + kRecentFiles;
}

} // namespace

void CKelvoApp::OnFilePrintSetup() {
    m_platform->PrintSetup(Printer());
}

void CKelvoApp::OnAppAbout() {
    CAboutDlg about(m_pMainWnd.get());
    if (m_platform->RunDialog(about) != QDialog::Accepted)
        g_bIgnoreNextDrag = true;
}

bool CKelvoApp::OnCommand(int id) {
    if (IsRecentFile(id)) {
        OnOpenRecentFile(id - ID_FILE_MRU_FILE1);
        return true;
    }
    return DispatchCommand(this, kAppCommands, id);
}

bool CKelvoApp::OnUpdateCommand(CommandUpdate& update) {
    return IsRecentFile(update.id) || DispatchUpdate(this, kAppCommands, update);
}

void CKelvoApp::OnFileOpen() {
    const FileName path = m_docManager->AskOpenFileName(CurrentDirectory());
    if (!path.isEmpty())
        OpenDocumentFile(path);
}

void CKelvoApp::OnOpenRecentFile(int index) {
    if (index >= m_recentFiles.size())
        return;
    const FileName path = m_recentFiles[index];
    if (OpenDocumentFile(path) == nullptr) {
        m_recentFiles.removeAll(path);
        m_pMainWnd->SetRecentFiles(m_recentFiles);
    }
}

void CKelvoApp::OnAppExit() {
    m_pMainWnd->close();
}

bool CKelvoApp::CanCloseMainFrame() {
    if (m_bClosing)
        return false;
    const QScopedValueRollback closing(m_bClosing, true);
    const bool saved = m_docManager->SaveAllModified();
    if (saved)
        m_docManager->CloseAllDocuments();
    return saved;
}
