// The document's two guards: the read-only marks asked about before every change to the
// text, and the check for a file that another program changed on disk.

#include "CKelvoDoc.h"
#include "FileStatus.h"

namespace {

constexpr char kDiskReadOnly[] = "This file is READ ONLY!\n"
                                 "If you want to edit it, first close the file.\n"
                                 "Then use the file manager to uncheck the read only property.\n\n";
constexpr char kUserReadOnly[] = "File is set to READ ONLY in the Options Menu!\n";
constexpr char kOutputReadOnly[] = "Output files are automatically set to READ ONLY!\n";
constexpr char kEditAnyway[] = "Are you sure you want to edit it?\n\n";
constexpr char kChangedReload[] = "This file has been changed by another process.\n"
                                  "Do you want to reload it?\n\n";
constexpr char kChangedOverwrite[] = "This file has been changed by another process.\n"
                                     "Do you want to overwrite it?\n\n";

} // namespace

// Only one mark is offered a call: with both the user's and the output mark set, Yes lifts
// the user's, and the next change asks about the other.
bool CKelvoDoc::AllowEdit() {
    if (m_bDiskReadOnly) {
        m_platform->Beep();
        m_platform->MessageBox(kDiskReadOnly + m_strPathName.Display(), MB_OK | MB_ICONHAND);
        return false;
    }
    if (m_bUserReadOnly)
        return AskToLift(m_bUserReadOnly, kUserReadOnly);
    if (m_bOutputReadOnly)
        return AskToLift(m_bOutputReadOnly, kOutputReadOnly);
    return true;
}

bool CKelvoDoc::AskToLift(bool& mark, const char* reason) {
    m_platform->Beep();
    const QString question = QString(reason) + kEditAnyway + m_strPathName.Display();
    if (m_platform->MessageBox(question, MB_YESNO | MB_ICONQUESTION) != IDYES)
        return false;
    mark = false; // the check mark follows at the next update
    return true;
}

void CKelvoDoc::OnReadOnlyStatus() {
    if (m_bUserReadOnly || !m_bOutputReadOnly)
        m_bUserReadOnly = !m_bUserReadOnly;
    else if (AllowEdit())
        m_bOutputReadOnly = false;
}

// The mark belongs to the active document: a read-only file's disk mark shows only in the
// status bar's " READ ".
void CKelvoDoc::OnUpdateReadOnlyStatus(CommandUpdate& update) {
    update.SetCheck(m_bUserReadOnly || m_bOutputReadOnly);
}

void CKelvoDoc::CheckExternalChange() {
    if (m_strPathName.isEmpty())
        return;
    const FileStatus status = QueryFileStatus(m_strPathName);
    // The time to the nanosecond and the size, not the time as shown: a rewrite within the
    // same minute is a change, and a clock change is not.
    if (!status.exists || FileStamp{status.modifiedNs, status.size} == m_fileStamp)
        return;
    // No: the stamp stays, so the question comes again at the next return to the program.
    if (m_platform->MessageBox(kChangedReload + m_strPathName.Display(),
                               MB_YESNO | MB_ICONQUESTION) == IDYES)
        Reload();
}

bool CKelvoDoc::Reload() {
    return ReadFile(m_strPathName);
}

bool CKelvoDoc::MayOverwrite(const FileName& path) {
    if (path != m_strPathName || m_fileStamp == FileStamp{})
        return true;
    const FileStatus status = QueryFileStatus(path);
    if (!status.exists || FileStamp{status.modifiedNs, status.size} == m_fileStamp)
        return true;
    return m_platform->MessageBox(kChangedOverwrite + path.Display(), MB_YESNO | MB_ICONQUESTION) ==
           IDYES;
}
