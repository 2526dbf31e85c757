// The application's side of the simulation suite: the shared block's registration and
// polling, the circuit's family commands and the Actions menu.

#include "CKelvoApp.h"

#include <QPointer>
#include <QScopedValueRollback>
#include <QStandardPaths>
#include <chrono>
#include <cstdio>

#include <unistd.h>

#include "CommandIds.h"
#include "CommandLine.h"
#include "PathSearch.h"
#include "SimulationPrompts.h"

namespace {

// How long a second start waits for the running editor to take its command line. An editor
// takes it at its next idle pass, which comes at least once a second, but one that is still
// reading a large file at its own start comes to it later.
constexpr std::chrono::seconds kHandOffPatience(10);

constexpr char kShareLostMessage[] =
    "The shared memory was cut short by another program!\n"
    "Kelvo no longer talks to the suite; your documents stay open. Start Kelvo again to "
    "work with the suite.\n";

constexpr char kNoSimulatorMessage[] = "Simulate runs ngspice, which is not installed.\n\n"
                                       "Install it with:\n"
                                       "sudo apt install ngspice\n";

// Whether the block's holder is a running editor. A block stamped without a start time (by
// an editor from before it was stamped) is believed only while its process runs a program
// of this one's name: the id may have gone to another program since.
bool HeldByEditor(const ShareBlock& block) {
    if (!block.HeldByLiveEditor())
        return false;
    if (block.EditorStart() != 0)
        return true;
    const QByteArray holder = ShareBlock::Process(block.EditorPid()).program;
    const QByteArray own = ShareBlock::Process(std::uint32_t(::getpid())).program;
    return holder.isEmpty() || own.isEmpty() || holder == own;
}

} // namespace

bool CKelvoApp::OpenShareBlock() {
    m_pShare.reset();
    m_bShareLost = false;
    unsigned char* bytes = m_platform->OpenShareMapping(ShareBlock::kSize);
    if (bytes == nullptr) {
        m_platform->MessageBox("Can't open shared memory!", MB_OK | MB_ICONHAND);
        m_nStartExitCode = 1;
        return false;
    }
    const ShareBlock block(bytes);
    m_platform->LockShareMapping();
    const bool ends = HeldByEditor(block) && HandOffCommandLine(block);
    if (!ends)
        block.Register(std::uint32_t(::getpid()));
    m_platform->UnlockShareMapping();
    if (ends) {
        m_platform->CloseShareMapping();
        return false;
    }
    m_pShare = std::make_unique<ShareBlock>(bytes);
    return true;
}

bool CKelvoApp::HandOffCommandLine(const ShareBlock& block) {
    // The file goes over made absolute: the running editor looks names up in its own folder.
    const QByteArray line = CommandLine::Build(m_arguments, CurrentDirectory());
    const ShareBlock::HandOffResult result = block.WriteHandOff(line);
    if (result == ShareBlock::HandOffResult::TooLong) {
        std::fprintf(stderr,
                     "kelvo: the command line is %lld bytes long; the running editor takes "
                     "at most %zu\n",
                     static_cast<long long>(line.size()), ShareBlock::kHandOffSize - 1);
        m_nStartExitCode = 2;
        return true;
    }
    const bool written = result == ShareBlock::HandOffResult::Written;
    if (written && block.WaitForHandOffTaken(kHandOffPatience)) {
        // A block cut short meanwhile reads as zero: as if taken, but no editor took it.
        const bool lost = m_platform->ShareMappingLost();
        if (lost)
            std::fprintf(stderr, "kelvo: the shared memory was cut short before the running "
                                 "editor took this command line; start again\n");
        m_nStartExitCode = lost ? 1 : 0;
        return true;
    }
    // Withdrawn: a start that ends with a failure leaves nothing to be opened later.
    if (written)
        block.ClearHandOff();
    // The holder may have ended meanwhile, or been no editor after all: the block is free.
    if (!HeldByEditor(block))
        return false;
    const std::uint32_t pid = block.EditorPid();
    if (written)
        std::fprintf(stderr,
                     "kelvo: the editor running as process %u did not take this command line "
                     "within %lld seconds: it is busy or stuck. Wait for it, or end it "
                     "(kill %u), then start again\n",
                     pid, static_cast<long long>(kHandOffPatience.count()), pid);
    else
        std::fprintf(stderr,
                     "kelvo: the editor running as process %u did not take the command "
                     "line handed to it before; this one was not handed over\n",
                     pid);
    m_nStartExitCode = written ? 4 : 3;
    return true;
}

void CKelvoApp::ReleaseShareBlock() {
    if (!m_pShare)
        return;
    // A lost block is no longer this editor's to clear.
    if (!m_bShareLost)
        m_pShare->Release();
    m_pShare.reset();
    m_platform->CloseShareMapping();
}

void CKelvoApp::DropShareBlock() {
    m_pShare.reset();
    m_bShareLost = false;
    m_platform->CloseShareMapping();
    m_platform->MessageBox(kShareLostMessage, MB_OK | MB_ICONEXCLAMATION);
}

void CKelvoApp::ShowAndArrange() {
    m_pMainWnd->setAttribute(Qt::WA_ShowWithoutActivating, true);
    if (m_pMainWnd->isMinimized())
        m_pMainWnd->setWindowState(m_pMainWnd->windowState() & ~Qt::WindowMinimized);
    m_pMainWnd->show();
    m_pMainWnd->setAttribute(Qt::WA_ShowWithoutActivating, false);
    if (CountDocuments() > 1)
        m_pMainWnd->CascadeWindows();
    else
        m_pMainWnd->TileVertically();
}

void CKelvoApp::ServeHandOff() {
    if (m_bInHandOff || !m_pShare->HandOffPending())
        return;
    const QScopedValueRollback inHandOff(m_bInHandOff, true);
    OpenCommandLine(m_pShare->HandOff());
    m_pShare->ClearHandOff();
    ShowAndArrange();
    m_pShare->Set(ShareBlock::kEditorFlags, 1);
}

void CKelvoApp::ServeSuiteRequest() {
    if (m_bInSuiteRequest)
        return;
    const QScopedValueRollback inRequest(m_bInSuiteRequest, true);
    const ShareBlock& block = *m_pShare;
    const CircuitFamily::Member* member = nullptr;
    if (block.Get(ShareBlock::kAction) == ShareBlock::kActionRaise) {
        block.Set(ShareBlock::kAction, 0);
        if (m_pMainWnd->isMinimized())
            m_pMainWnd->setWindowState(m_pMainWnd->windowState() & ~Qt::WindowMinimized);
        m_pMainWnd->show();
        m_pMainWnd->raise();
        m_pMainWnd->activateWindow();
    } else if ((member = CircuitFamily::MemberForRequest(block.Get(ShareBlock::kFamilyRequest)))) {
        block.Set(ShareBlock::kFamilyRequest, 0);
        OnFamilyFile(*member);
    } else {
        ServeCommandRequest(block.Get(ShareBlock::kRequest));
    }
    // The block may be gone: a quit request ends with the program's exit.
    if (m_pShare)
        m_pShare->Set(ShareBlock::kRequestBusy, m_pShare->Get(ShareBlock::kRequestBusy) & ~1);
}

void CKelvoApp::ServeCommandRequest(unsigned char request) {
    const ShareBlock& block = *m_pShare;
    switch (request) {
    case 'q':
        block.Set(ShareBlock::kRequest, 0);
        block.Set(ShareBlock::kRequestBusy, 1);
        OnAppExit();
        break;
    case 'r':
        block.Set(ShareBlock::kRequest, 0);
        m_pMainWnd->raise();
        m_pMainWnd->activateWindow();
        break;
    case 'c':
        block.Set(ShareBlock::kRequest, 0);
        block.Set(ShareBlock::kRequestBusy, 1);
        CircuitFamily::CloseSuiteDocuments(*m_docManager, nullptr, false);
        SimulationPrompts::PromptSaveForSimulation(m_pShare.get(), *m_docManager, *m_platform);
        break;
    case 'i': {
        // Quoted as the editor's own command lines are, so that a folder with a space or a
        // double quote in its name still names the circuit, exactly.
        // A circuit not found yet is looked for again at every pass: the windows are
        // arranged once, when it is.
        const QByteArray circuit = block.CircuitDirectory() + block.CircuitName();
        if (OpenCommandLine(CommandLine::Build({"x", circuit + ".cir"}, CurrentDirectory()), true))
            ShowAndArrange();
        break;
    }
    default:
        break;
    }
}

void CKelvoApp::OnFamilyFile(const CircuitFamily::Member& member) {
    const FileName base = CircuitFamily::FamilyBaseName(m_pShare.get(), m_lists.OpenedFiles());
    if (base.isEmpty())
        return;
    const FileName path = base + member.extension;
    const FileName found = CircuitFamily::FindFamilyFile(path);
    CKelvoDoc* document = found.isEmpty() ? nullptr : OpenByName(found);
    if (document == nullptr) {
        m_platform->MessageBox("Unable to open file:\n" + path.Display(), MB_OK | MB_ICONNONE);
        return;
    }
    if (member.circuit)
        document->MarkSuiteCircuit();
    else
        document->MarkSuiteDerived();
}

void CKelvoApp::OnWindowCir() {
    OnFamilyFile(CircuitFamily::kFamily[0]);
}

void CKelvoApp::OnWindowCkt() {
    OnFamilyFile(CircuitFamily::kFamily[1]);
}

void CKelvoApp::OnWindowErr() {
    OnFamilyFile(CircuitFamily::kFamily[2]);
}

void CKelvoApp::OnWindowOut() {
    OnFamilyFile(CircuitFamily::kFamily[3]);
}

void CKelvoApp::OnWindowTmp() {
    OnFamilyFile(CircuitFamily::kFamily[4]);
}

void CKelvoApp::OnUpdateFamilyFile(CommandUpdate& update) {
    update.Enable(!m_lists.OpenedFiles().isEmpty());
}

void CKelvoApp::OnUpdateAction(CommandUpdate& update) {
    update.Enable(m_pShare && m_pShare->Get(ShareBlock::kSuiteReady) != 0);
}

void CKelvoApp::WriteAction(ShareBlock::Action action) {
    if (m_pShare)
        m_pShare->Set(ShareBlock::kAction, action);
}

void CKelvoApp::OnActionOrvas() {
    WriteAction(ShareBlock::kActionOrvas);
}

void CKelvoApp::OnActionSchematic() {
    WriteAction(ShareBlock::kActionSchematic);
}

void CKelvoApp::OnActionScope() {
    WriteAction(ShareBlock::kActionScope);
}

void CKelvoApp::OnActionSimulate() {
    if (!m_pShare)
        return;
    // The suite's side runs ngspice: without it the request would go unanswered, silently.
    if (QStandardPaths::findExecutable("ngspice").isEmpty()) {
        m_platform->MessageBox(kNoSimulatorMessage, MB_OK | MB_ICONHAND);
        return;
    }
    // The state as the documents have it now: an edit made since the last idle pass must
    // be asked about too, or the simulator would read the file without it.
    SimulationPrompts::ReportModifiedState(*m_pShare, *m_docManager);
    if (m_pShare->Get(ShareBlock::kEditState) != ShareBlock::kClean) {
        m_pShare->Set(ShareBlock::kEditState, ShareBlock::kAskingToSave);
        SimulationPrompts::PromptSaveForSimulation(m_pShare.get(), *m_docManager, *m_platform);
        if (!m_pShare)
            return;
        if (m_pShare->Get(ShareBlock::kEditState) == ShareBlock::kSaveCancelled) {
            m_pShare->Set(ShareBlock::kEditState, ShareBlock::kModified);
            return;
        }
    }
    WriteAction(ShareBlock::kActionSimulate);
}
