#include "CKelvoDoc.h"

#include <cerrno>
#include <utility>

#include "AtomicSaveFile.h"
#include "CDocManager.h"
#include "CommandIds.h"
#include "FileStatus.h"
#include "FrameworkMessages.h"
#include "PosixFile.h"

CKelvoDoc::CKelvoDoc(Platform* platform, CFileLists* lists, QObject* parent)
    : QObject(parent), m_platform(platform), m_lists(lists) {}

CKelvoDoc::~CKelvoDoc() {
    if (m_pStore != nullptr)
        emit textChanging(); // the text goes with the document
}

void CKelvoDoc::ReplaceStore(std::unique_ptr<TextStore> store) {
    if (m_pStore != nullptr)
        emit textChanging();
    std::unique_ptr<TextStore> old = std::exchange(m_pStore, std::move(store));
    emit storeReplaced(m_pStore.get());
    // A store's first filling is no change: nothing showed a text before it.
    if (old != nullptr && old->LineCount() > 0 && m_pStore->LineCount() > 0)
        emit textChanged({{0, 0}, old->LineCount() - 1, m_pStore->LineCount() - 1});
}

bool CKelvoDoc::OnNewDocument() {
    std::unique_ptr<TextStore> store;
    try {
        store = std::make_unique<TextStore>(this);
        store->AppendEmptyLine();
    } catch (const std::bad_alloc&) {
        return false;
    }
    if (store->LineCount() != 1)
        return false;
    ReplaceStore(std::move(store));
    m_bDiskReadOnly = false;
    SetModifiedFlag(false);
    return true;
}

void CKelvoDoc::TakeFileStatus(const FileStatus& status) {
    if (!status.exists)
        return;
    m_bDiskReadOnly = status.readOnly;
    m_strFileTime = status.fileTime;
    m_fileStamp = {status.modifiedNs, status.size};
}

bool CKelvoDoc::OnOpenDocument(const FileName& path) {
    if (!ReadFile(path))
        return false;
    m_lists->AddOpenedFile(path);
    if (IsOutputFile(path))
        m_bOutputReadOnly = true;
    m_lists->AddDirectoryOf(path);
    return true;
}

bool CKelvoDoc::ReadFile(const FileName& path) {
    // Looked at before reading: a file changed while it is read counts as changed later.
    const FileStatus status = QueryFileStatus(path);
    // A device or a folder is never opened at all: opening some devices does something.
    if (status.exists && !status.regular) {
        m_platform->MessageBox(kFailedToOpen, MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    // The file is read into a store of its own, which takes the present one's place only
    // once it holds the whole file.
    auto store = std::make_unique<TextStore>(this);
    try {
        CPosixFile file(path.ToStdString(), CPosixFile::modeRead);
        CArchive archive(&file, CArchive::load);
        if (!store->Serialize(archive))
            return false; // the store has said why
    } catch (const CFileException& error) {
        m_platform->MessageBox(OpenFailureMessage(error.Error(), path), MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    TakeFileStatus(status);
    ReplaceStore(std::move(store));
    SetModifiedFlag(false);
    return true;
}

bool CKelvoDoc::OnSaveDocument(const FileName& path) {
    if (!MayOverwrite(path))
        return false;
    std::string keptBackup; // where the old bytes are when they could not be put back
    try {
        CAtomicSaveFile file(path.ToStdString());
        try {
            {
                CArchive archive(&file, CArchive::store);
                m_pStore->Serialize(archive);
                archive.Close();
            }
            file.Commit();
        } catch (const CFileException&) {
            keptBackup = file.Abandon();
            throw;
        }
    } catch (const CFileException& error) {
        QString message = SaveFailureMessage(error.Error(), path);
        if (!keptBackup.empty())
            message +=
                QString(kOldBytesKept)
                    .arg(FileName::FromBytes(QByteArray::fromStdString(keptBackup)).Display());
        m_platform->MessageBox(message, MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    m_pStore->ClearHistory();
    // The file just written decides: a read-only file saved under a new name is writable.
    TakeFileStatus(QueryFileStatus(path));
    m_lists->AddDirectoryOf(path);
    return true;
}

void CKelvoDoc::SetPathName(const FileName& path) {
    m_strPathName = path;
    SetTitle(path.Leaf().Display());
}

void CKelvoDoc::SetTitle(const QString& title) {
    if (title == m_strTitle)
        return;
    m_strTitle = title;
    emit titleChanged(title);
}

bool CKelvoDoc::IsOutputFile(const FileName& path) {
    return path.Extension().compare(".out", Qt::CaseInsensitive) == 0;
}

void CKelvoDoc::SetModifiedFlag(bool modified) {
    if (modified == m_bModified)
        return;
    m_bModified = modified;
    emit modifiedChanged(modified);
}

void CKelvoDoc::TextChanging() {
    emit textChanging();
}

void CKelvoDoc::TextChanged(const TextChange& change) {
    emit textChanged(change);
}

void CKelvoDoc::ShowMessage(std::string_view text, StoreIcon icon) {
    const int style = icon == StoreIcon::Stop          ? MB_ICONHAND
                      : icon == StoreIcon::Exclamation ? MB_ICONEXCLAMATION
                                                       : MB_ICONNONE;
    m_platform->MessageBox(QString::fromLatin1(text.data(), qsizetype(text.size())), MB_OK | style);
}

void CKelvoDoc::Beep() {
    m_platform->Beep();
}

void CKelvoDoc::BeginWaitCursor() {
    m_platform->BeginWaitCursor();
}

void CKelvoDoc::EndWaitCursor() {
    m_platform->EndWaitCursor();
}

namespace {

const CommandEntry<CKelvoDoc> kDocumentCommands[] = {
    {ID_FILE_SAVE, &CKelvoDoc::OnFileSave, &CKelvoDoc::OnUpdateFileSave},
    {ID_FILE_SAVE_AS, &CKelvoDoc::OnFileSaveAs, nullptr},
    {ID_FILE_CLOSE, &CKelvoDoc::OnFileClose, nullptr},
    {ID_OPTIONS_READ_ONLY, &CKelvoDoc::OnReadOnlyStatus, &CKelvoDoc::OnUpdateReadOnlyStatus},
};

} // namespace

bool CKelvoDoc::OnCommand(int id) {
    return DispatchCommand(this, kDocumentCommands, id);
}

bool CKelvoDoc::OnUpdateCommand(CommandUpdate& update) {
    return DispatchUpdate(this, kDocumentCommands, update);
}

void CKelvoDoc::OnFileSave() {
    if (m_pManager != nullptr && m_pManager->DoFileSave(this))
        emit savedByUser(m_strPathName);
}

void CKelvoDoc::OnUpdateFileSave(CommandUpdate& update) {
    update.Enable(CanSave());
}

void CKelvoDoc::OnFileSaveAs() {
    if (m_pManager != nullptr && m_pManager->DoSave(this))
        emit savedByUser(m_strPathName);
}

void CKelvoDoc::OnFileClose() {
    CloseWithPrompt(); // the document is gone when it returns true
}

bool CKelvoDoc::CloseWithPrompt() {
    return m_pManager == nullptr || m_pManager->CloseDocument(this);
}
