#pragma once

#include <QObject>
#include <QString>

#include "CFileLists.h"
#include "CommandTarget.h"
#include "Platform.h"
#include "TextStore.h"

class CDocManager;

// One open file, or one untitled buffer: owns its text store, reads and writes the file
// through it, and keeps the file's read-only state and time beside the text.
class CKelvoDoc : public QObject, public StoreDocument, public CommandTarget {
    Q_OBJECT
public:
    CKelvoDoc(Platform* platform, CFileLists* lists, QObject* parent = nullptr);
    ~CKelvoDoc() override;

    TextStore* m_pStore = nullptr; // owned; replaced on reload
    int m_bUserReadOnly = 0;
    int m_bDiskReadOnly = 0;
    int m_bOutputReadOnly = 0;
    int m_bSuiteCircuit = 0;
    int m_bSuiteDerived = 0;
    QString m_strFileTime; // "%d %b %y, %H:%M"; empty until the file's status was read

    // One empty line, no path.
    bool OnNewDocument();
    // Reads the file; on failure the framework's message has been shown.
    bool OnOpenDocument(const QString& path);
    // Writes the file (atomically); on failure the old file is untouched, the document
    // stays modified and the framework's message has been shown.
    bool OnSaveDocument(const QString& path);
    bool Serialize(CArchive& archive) { return m_pStore->Serialize(archive); }

    const QString& GetPathName() const { return m_strPathName; }
    // Also makes the title the file's name, as a person reads it.
    void SetPathName(const QString& path);
    const QString& GetTitle() const { return m_strTitle; }
    void SetTitle(const QString& title);
    bool IsModified() const { return m_bModified; }

    // Command updates: File > Save, Edit > Undo, Edit > Redo.
    bool CanSave() const { return m_bModified; }
    bool CanUndo() const { return m_pStore != nullptr && m_pStore->CanUndo(); }
    bool CanRedo() const { return m_pStore != nullptr && m_pStore->CanRedo(); }

    Platform* GetPlatform() const { return m_platform; }
    // An output file: its name's own extension is ".out", in any case.
    static bool IsOutputFile(const QString& path);

    // The store's questions.
    bool AllowEdit() override;
    void SetModifiedFlag(bool modified) override;
    void ShowMessage(std::string_view text, StoreIcon icon) override;
    void Beep() override;
    void BeginWaitCursor() override;
    void EndWaitCursor() override;

    // The document's commands: File > Save, Save As and Close.
    bool OnCommand(int id) override;
    bool OnUpdateCommand(CommandUpdate& update) override;
    void OnFileSave();
    void OnUpdateFileSave(CommandUpdate& update);
    void OnFileSaveAs();
    void OnFileClose();
    // Asks to save a modified document, then closes it; false when it stays open. A
    // document no manager holds has nothing to ask and nothing to close.
    bool CloseWithPrompt();

signals:
    void modifiedChanged(bool modified);
    void titleChanged(const QString& title);
    // File > Save or Save As wrote the file: it joins the recent-file list.
    void savedByUser(const QString& path);

private:
    friend class CDocManager; // sets m_pManager when it takes the document in

    // A name that stands for no one file is refused with a message: true when refused.
    bool RefuseInexactName(const QString& path);
    void TakeFileStatus(const QString& path, bool withReadOnly);

    Platform* m_platform;
    CFileLists* m_lists;
    CDocManager* m_pManager = nullptr; // the manager that holds this document
    QString m_strPathName;
    QString m_strTitle;
    bool m_bModified = false;
};
