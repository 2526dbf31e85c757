// Go To Definition's way to other files: the documents open, the search list, and the
// definition shown in its file's window.

#include "CKelvoApp.h"
#include "CKelvoView.h"
#include "PathSearch.h"

FileNameList CKelvoApp::SearchDirectories() const {
    return m_lists.Directories();
}

const TextStore* CKelvoApp::OpenText(const FileName& path) const {
    const FileName wanted = CanonicalPath(path);
    for (const CKelvoDoc* document : m_docManager->Documents())
        if (!document->GetPathName().isEmpty() && CanonicalPath(document->GetPathName()) == wanted)
            return document->GetStore();
    return nullptr;
}

bool CKelvoApp::ShowDefinition(const FileName& file, int line, const QString& status) {
    if (OpenByName(file) == nullptr)
        return false;
    SelectLineInActiveView(line, status);
    return true;
}

void CKelvoApp::SelectLineInActiveView(int line, const QString& status) {
    if (CKelvoView* view = m_pMainWnd->ActiveView())
        view->SelectLine(line);
    ShowStatus(status);
}

void CKelvoApp::ShowStatus(const QString& text) {
    // A passing word: the idle prompt comes back after it.
    constexpr int kShownMs = 10000;
    m_pMainWnd->StatusBar()->showMessage(text, kShownMs);
}
