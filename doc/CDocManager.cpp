#include "CDocManager.h"

#include <QDir>
#include <QFileInfo>

#include "FileStatus.h"
#include "FrameworkMessages.h"

namespace {

// Two documents are the same file when their canonical paths are equal, byte for byte.
QString CanonicalPath(const QString& path) {
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
}

} // namespace

CDocManager::CDocManager(Platform* platform, CFileLists* lists, QObject* parent)
    : QObject(parent), m_platform(platform), m_lists(lists) {}

CDocManager::~CDocManager() = default;

CKelvoDoc* CDocManager::Adopt(std::unique_ptr<CKelvoDoc> document) {
    CKelvoDoc* adopted = document.get();
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

CKelvoDoc* CDocManager::OpenDocumentFile(const QString& path) {
    if (CKelvoDoc* open = FindOpenDocument(path))
        return open;
    const QString absolute = QFileInfo(path).absoluteFilePath();
    auto document = std::make_unique<CKelvoDoc>(m_platform, m_lists);
    if (!document->OnOpenDocument(absolute))
        return nullptr;
    document->SetPathName(absolute);
    m_strLastDirectory = QFileInfo(absolute).absolutePath();
    CKelvoDoc* opened = Adopt(std::move(document));
    if (opened->m_bOutputReadOnly)
        emit outputReadOnlyMarked(opened);
    return opened;
}

CKelvoDoc* CDocManager::OnFileOpen() {
    const QString path = m_platform->GetOpenFileName(m_strLastDirectory);
    return path.isEmpty() ? nullptr : OpenDocumentFile(path);
}

bool CDocManager::DoFileSave(CKelvoDoc* document) {
    // The file's state now decides, not the state it had when it was opened.
    const FileStatus status = QueryFileStatus(document->GetPathName());
    if (document->GetPathName().isEmpty() || (status.exists && status.readOnly))
        return DoSave(document);
    return DoSave(document, document->GetPathName());
}

bool CDocManager::DoSave(CKelvoDoc* document, const QString& path) {
    QString target = path;
    if (target.isEmpty()) {
        const QString suggested =
            document->GetPathName().isEmpty()
                ? QDir(m_strLastDirectory.isEmpty() ? QDir::currentPath() : m_strLastDirectory)
                      .filePath(document->GetTitle())
                : document->GetPathName();
        target = m_platform->GetSaveFileName(suggested);
        if (target.isEmpty())
            return false;
        target = QFileInfo(target).absoluteFilePath();
    }
    if (!document->OnSaveDocument(target))
        return false;
    document->SetPathName(target);
    m_strLastDirectory = QFileInfo(target).absolutePath();
    return true;
}

bool CDocManager::SaveModified(CKelvoDoc* document) {
    if (!document->IsModified())
        return true;
    const QString name = document->GetPathName().isEmpty()
                             ? document->GetTitle()
                             : QFileInfo(document->GetPathName()).fileName();
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

CKelvoDoc* CDocManager::FindOpenDocument(const QString& path) const {
    if (path.isEmpty())
        return nullptr;
    const QString wanted = CanonicalPath(path);
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
