#pragma once

#include <memory>

#include <QObject>
#include <QString>

#include "CFileLists.h"
#include "CommandTarget.h"
#include "FileName.h"
#include "Platform.h"
#include "TextStore.h"

class CDocManager;
struct FileStatus;

// One open file, or one untitled buffer: owns its text store, reads and writes the file
// through it, and keeps the file's read-only state and time beside the text.
class CKelvoDoc : public QObject, public StoreDocument, public CommandTarget {
    Q_OBJECT
public:
    CKelvoDoc(Platform* platform, CFileLists* lists, QObject* parent = nullptr);
    ~CKelvoDoc() override;

    // The text; another store takes its place when the file is read again, announced by
    // storeReplaced. Null only before the document is first filled.
    [[nodiscard]] TextStore* GetStore() const { return m_pStore.get(); }
    // The user's own read-only choice, the file's, and an output file's.
    [[nodiscard]] bool IsUserReadOnly() const { return m_bUserReadOnly; }
    [[nodiscard]] bool IsDiskReadOnly() const { return m_bDiskReadOnly; }
    [[nodiscard]] bool IsOutputReadOnly() const { return m_bOutputReadOnly; }
    [[nodiscard]] bool IsReadOnly() const {
        return m_bUserReadOnly || m_bDiskReadOnly || m_bOutputReadOnly;
    }
    // Marks of a document opened for the suite: as its circuit, or as one of the files a
    // simulation leaves beside it. Never lifted while the document lives.
    [[nodiscard]] bool IsSuiteCircuit() const { return m_bSuiteCircuit; }
    [[nodiscard]] bool IsSuiteDerived() const { return m_bSuiteDerived; }
    void MarkSuiteCircuit() { m_bSuiteCircuit = true; }
    void MarkSuiteDerived() { m_bSuiteDerived = true; }
    // "%d %b %y, %H:%M"; empty until the file's status was read.
    [[nodiscard]] const QString& GetFileTime() const { return m_strFileTime; }

    // One empty line, no path.
    bool OnNewDocument();
    // Reads the file; on failure the framework's message has been shown.
    bool OnOpenDocument(const FileName& path);
    // Writes the file (atomically); on failure the old file is untouched, the document
    // stays modified and the framework's message has been shown.
    bool OnSaveDocument(const FileName& path);

    const FileName& GetPathName() const { return m_strPathName; }
    // Also makes the title the file's name, as a person reads it.
    void SetPathName(const FileName& path);
    const QString& GetTitle() const { return m_strTitle; }
    void SetTitle(const QString& title);
    bool IsModified() const { return m_bModified; }

    // Command updates: File > Save, Edit > Undo, Edit > Redo.
    bool CanSave() const { return m_bModified; }
    bool CanUndo() const { return m_pStore != nullptr && m_pStore->CanUndo(); }
    bool CanRedo() const { return m_pStore != nullptr && m_pStore->CanRedo(); }

    Platform* GetPlatform() const { return m_platform; }
    // An output file: its name's own extension is ".out", in any case.
    static bool IsOutputFile(const FileName& path);

    // The store's questions.
    bool AllowEdit() override;
    void SetModifiedFlag(bool modified) override;
    // Passed on as textChanging and textChanged.
    void TextChanging() override;
    void TextChanged(const TextChange& change) override;
    void ShowMessage(std::string_view text, StoreIcon icon) override;
    void Beep() override;
    void BeginWaitCursor() override;
    void EndWaitCursor() override;

    // The document's commands: File > Save, Save As and Close, Options > Read Only Status.
    bool OnCommand(int id) override;
    bool OnUpdateCommand(CommandUpdate& update) override;
    // Options > Read Only Status: the user's own read-only mark on or off; for an output
    // file, asks whether to edit it. Its check mark shows the user's and the output mark.
    void OnReadOnlyStatus();
    void OnUpdateReadOnlyStatus(CommandUpdate& update);
    void OnFileSave();
    void OnUpdateFileSave(CommandUpdate& update);
    void OnFileSaveAs();
    void OnFileClose();
    // Asks to save a modified document, then closes it; false when it stays open. A
    // document no manager holds has nothing to ask and nothing to close.
    bool CloseWithPrompt();

    // --- Files changed by other programs.
    // When the file on disk is not the one last read or written here, asks whether to read
    // it again. An untitled document, or a file that cannot be looked at, is let be.
    void CheckExternalChange();
    // Reads the file again in place of the text, which is then unmodified with no history.
    // When the file cannot be read the text stays, after the framework's message.
    bool Reload();

signals:
    // Every view takes the new store; the old one is freed once they all have. Reading
    // the file again then tells textChanged that the whole text changed.
    void storeReplaced(TextStore* store);
    // Before the text changes: an edit step about to be made, the file read again, or the
    // document closing. What still reads the present text later copies it from here.
    void textChanging();
    // After every change of the text, whoever made it: each view brings its positions,
    // widths, scroll range and picture up to date from here.
    void textChanged(const TextChange& change);
    void modifiedChanged(bool modified);
    void titleChanged(const QString& title);
    // File > Save or Save As wrote the file: it joins the recent-file list.
    void savedByUser(const FileName& path);

private:
    friend class CDocManager; // sets m_pManager when it takes the document in

    void TakeFileStatus(const FileStatus& status);
    // Reads the file into a new store, which then takes the present one's place; false,
    // after a message, with the text as it was.
    bool ReadFile(const FileName& path);
    // False when the file at path was changed by another program since it was last read
    // or written here and the user will not have it overwritten.
    bool MayOverwrite(const FileName& path);
    // The question of AllowEdit for a mark the user may lift: true, with the mark cleared,
    // on Yes.
    bool AskToLift(bool& mark, const char* reason);
    // The store in place of the present one, which goes once every view has let it go.
    void ReplaceStore(std::unique_ptr<TextStore> store);

    Platform* m_platform;
    CFileLists* m_lists;
    CDocManager* m_pManager = nullptr; // the manager that holds this document
    FileName m_strPathName;
    QString m_strTitle;
    bool m_bModified = false;
    std::unique_ptr<TextStore> m_pStore;
    bool m_bUserReadOnly = false;
    bool m_bDiskReadOnly = false;
    bool m_bOutputReadOnly = false;
    bool m_bSuiteCircuit = false;
    bool m_bSuiteDerived = false;
    QString m_strFileTime;
    // The file as last read or written here: its modification time (ns) and size; a file
    // never looked at has none.
    struct FileStamp {
        long long modifiedNs = -1;
        long long size = -1;
        bool operator==(const FileStamp&) const = default;
    };
    FileStamp m_fileStamp;
};
