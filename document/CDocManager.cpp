#include "CDocManager.h"

#include <sys/stat.h>

#include "FileStatus.h"
#include "FrameworkMessages.h"
#include "PathSearch.h"

CDocManager::CDocManager(Platform* platform, CFileLists* lists, QObject* parent)
    : QObject(parent), m_platform(platform), m_lists(lists) {}

CDocManager::~CDocManager() = default;

CKelvoDoc* CDocManager::Adopt(std::unique_ptr<CKelvoDoc> document) {
    CKelvoDoc* adopted = document.get();
    adopted->m_pManager = this;
    m_documents.push_back(std::move(document));
    emit documentOpened(adopted);
    return adopted;
}

CKelvoDoc* CDocManager::OpenNewDocument() {
    auto document = std::make_unique<CKelvoDoc>(m_platform, m_lists);
    if (!document->OnNewDocument())
        return nullptr;
    document->SetTitle(QString("Untitled%1").arg(++m_nUntitledCount));
    return Adopt(std::move(document));
}

CKelvoDoc* CDocManager::OpenDocumentFile(const FileName& path) {
    if (CKelvoDoc* open = FindOpenDocument(path))
        return open;
    const FileName absolute = AbsolutePath(path);
    auto document = std::make_unique<CKelvoDoc>(m_platform, m_lists);
    if (!document->OnOpenDocument(absolute))
        return nullptr;
    document->SetPathName(absolute);
    m_strLastDirectory = absolute.Folder();
    return Adopt(std::move(document));
}

FileName CDocManager::AskOpenFileName(const FileName& directory) {
    return UsableDialogName(m_platform->GetOpenFileName(directory));
}

FileName CDocManager::UsableDialogName(const QString& answer) {
    if (answer.isEmpty())
        return {};
    // The dialog reads names through Qt, which turns bytes that are not valid UTF-8 into
    // U+FFFD: unless a file has exactly that name, the one chosen is another.
    const FileName name = FileName::FromText(answer);
    struct stat info {};
    const bool lost =
        answer.contains(QChar::ReplacementCharacter) && ::lstat(name.Path(), &info) != 0;
    if (!lost && !name.isEmpty())
        return name;
    m_platform->MessageBox(QString(kNameNotExact).arg(answer), MB_OK | MB_ICONEXCLAMATION);
    return {};
}

bool CDocManager::DoFileSave(CKelvoDoc* document) {
    // The file's state now decides, not the state it had when it was opened.
    const FileStatus status = QueryFileStatus(document->GetPathName());
    if (document->GetPathName().isEmpty() || (status.exists && status.readOnly))
        return DoSave(document);
    return DoSave(document, document->GetPathName());
}

bool CDocManager::DoSave(CKelvoDoc* document, const FileName& path) {
    FileName target = path;
    if (target.isEmpty()) {
        const FileName folder =
            m_strLastDirectory.isEmpty() ? CurrentDirectory() : m_strLastDirectory;
        // An untitled document's title is the program's own text, Untitled<n>.
        const FileName suggested =
            document->GetPathName().isEmpty()
                ? AbsolutePath(folder + FileName::FromText(document->GetTitle()))
                : document->GetPathName();
        target = UsableDialogName(m_platform->GetSaveFileName(suggested));
        if (target.isEmpty())
            return false;
        target = AbsolutePath(target);
    }
    if (!document->OnSaveDocument(target))
        return false;
    document->SetPathName(target);
    m_strLastDirectory = target.Folder();
    return true;
}

bool CDocManager::SaveModified(CKelvoDoc* document) {
    if (!document->IsModified())
        return true;
    const QString name = document->GetTitle(); // Untitled<n>, or the file's name, readable
    switch (
        m_platform->MessageBox(QString(kSaveChanges).arg(name), MB_YESNOCANCEL | MB_ICONQUESTION)) {
    case IDYES:
        return DoFileSave(document);
    case IDNO:
        return true;
    default:
        return false;
    }
}

bool CDocManager::CloseDocument(CKelvoDoc* document) {
    if (!SaveModified(document))
        return false;
    OnCloseDocument(document);
    return true;
}

void CDocManager::OnCloseDocument(CKelvoDoc* document) {
    for (auto it = m_documents.begin(); it != m_documents.end(); ++it) {
        if (it->get() == document) {
            // Out of the list before anyone hears of it: a listener may open or close others.
            std::unique_ptr<CKelvoDoc> closing = std::move(*it);
            m_documents.erase(it);
            emit documentClosing(closing.get());
            return;
        }
    }
}

bool CDocManager::SaveAllModified() {
    for (CKelvoDoc* document : Documents())
        if (!SaveModified(document))
            return false;
    return true;
}

void CDocManager::CloseAllDocuments() {
    while (!m_documents.empty())
        OnCloseDocument(m_documents.back().get());
}

CKelvoDoc* CDocManager::FindOpenDocument(const FileName& path) const {
    if (path.isEmpty())
        return nullptr;
    const FileName wanted = CanonicalPath(path);
    for (const auto& document : m_documents)
        if (!document->GetPathName().isEmpty() && CanonicalPath(document->GetPathName()) == wanted)
            return document.get();
    return nullptr;
}

std::vector<CKelvoDoc*> CDocManager::Documents() const {
    std::vector<CKelvoDoc*> documents;
    for (const auto& document : m_documents)
        documents.push_back(document.get());
    return documents;
}
