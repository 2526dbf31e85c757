#pragma once

#include <memory>
#include <vector>

#include <QObject>

#include "CKelvoDoc.h"

// Kelvo's document machinery: New, Open, Save, Save As and Close, the save prompt, the
// untitled counter and the list of open documents. Windows are the frames' business:
// they listen to documentOpened and documentClosing.
class CDocManager : public QObject {
    Q_OBJECT
public:
    CDocManager(Platform* platform, CFileLists* lists, QObject* parent = nullptr);
    ~CDocManager() override;

    // A new untitled document, titled Untitled1, Untitled2, ...; null on failure.
    CKelvoDoc* OpenNewDocument();
    // The document of that file: the one already open, or a newly opened one. Null, after
    // the framework's message, when it cannot be opened.
    CKelvoDoc* OpenDocumentFile(const FileName& path);
    // The Open dialog's answer; empty on Cancel, or after a message when the name it gave
    // cannot be the file chosen.
    FileName AskOpenFileName(const FileName& directory);

    // File > Save: a document without a path, or whose file is read-only, is saved as.
    bool DoFileSave(CKelvoDoc* document);
    // File > Save As (path empty: ask for one).
    bool DoSave(CKelvoDoc* document, const FileName& path = {});
    // "Save changes to %1?" for a modified document: false when the user cancels or the
    // save fails.
    bool SaveModified(CKelvoDoc* document);
    // Asks to save, then closes; false when the document stays open.
    bool CloseDocument(CKelvoDoc* document);
    // Closes without asking.
    void OnCloseDocument(CKelvoDoc* document);
    // Offers every modified document for saving; false when the user cancels one.
    bool SaveAllModified();
    void CloseAllDocuments();

    CKelvoDoc* FindOpenDocument(const FileName& path) const;
    std::vector<CKelvoDoc*> Documents() const;
    int CountDocuments() const { return int(m_documents.size()); }

signals:
    void documentOpened(CKelvoDoc* document);
    void documentClosing(CKelvoDoc* document);

private:
    CKelvoDoc* Adopt(std::unique_ptr<CKelvoDoc> document);
    // The name a file dialog's answer gives, or empty after a message when the text
    // cannot be the file chosen.
    FileName UsableDialogName(const QString& answer);

    Platform* m_platform;
    CFileLists* m_lists;
    std::vector<std::unique_ptr<CKelvoDoc>> m_documents;
    int m_nUntitledCount = 0;
    FileName m_strLastDirectory;
};
