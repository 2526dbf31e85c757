#pragma once

#include <cstddef>
#include <functional>

#include <QColor>
#include <QString>

#include "FileName.h"

#include "LogFont.h"

class QWidget;

// Buttons and icons of a message box, and the answers, with the values the program's
// callers compare against.
inline constexpr int MB_OK = 0x0;
inline constexpr int MB_OKCANCEL = 0x1;
inline constexpr int MB_YESNOCANCEL = 0x3;
inline constexpr int MB_YESNO = 0x4;
inline constexpr int MB_ICONNONE = 0x00;
inline constexpr int MB_ICONHAND = 0x10; // the stop icon
inline constexpr int MB_ICONQUESTION = 0x20;
inline constexpr int MB_ICONEXCLAMATION = 0x30;
inline constexpr int MB_ICONINFORMATION = 0x40;
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

// What the help window is asked to show: the topic of a help context, the index, or the
// page on using help.
inline constexpr unsigned HELP_CONTEXT = 0x0001;
inline constexpr unsigned HELP_INDEX = 0x0003;
inline constexpr unsigned HELP_HELPONHELP = 0x0004;
// The main window's own topic, shown where nothing more particular answers: help ids of
// windows start at 0x20000, and the main window's resource id is 128.
inline constexpr int kMainWindowHelpContext = 0x20080;

class QDialog;
class QPrinter;

inline constexpr char kAppTitle[] = "Kelvo";

// Every question the program asks the user, every beep and every busy cursor goes through
// here, so that tests can answer and record them. The application owns the one instance
// and hands it to whoever asks.
class Platform {
public:
    virtual ~Platform() = default;

    // The window that owns message boxes and dialogs from now on.
    virtual void SetMainWindow(QWidget* window) { Q_UNUSED(window); }

    // A message box owned by the main window, captioned "Kelvo"; returns the button chosen.
    // style: one MB_ button set or'ed with one MB_ICON value.
    virtual int MessageBox(const QString& text, int style) = 0;
    virtual void Beep() = 0;
    virtual void BeginWaitCursor() = 0;
    virtual void EndWaitCursor() = 0;

    // File dialogs offering "All Files (*)", opening on a name as shown; an empty result
    // is Cancel. The answer is the dialog's text, which a caller makes a name of.
    virtual QString GetOpenFileName(const FileName& directory) = 0;
    virtual QString GetSaveFileName(const FileName& suggestedPath) = 0;

    // The font dialog with a text colour, on a font description in screen pixels. False
    // is Cancel, and then neither argument is touched.
    virtual bool ChooseFont(LogFont& font, QColor& colour) = 0;

    // The print dialog on the program's printer: false on Cancel. offerSelection offers
    // the Selection range and chooses it; selection says whether it was kept.
    virtual bool PrintDialog(QPrinter& printer, bool offerSelection, bool& selection) = 0;
    // The preview window over the printer's pages, starting with one or two of them side
    // by side. paint draws the pages of the printer's from-to range (every page when it
    // is empty) onto the printer it is given, and returns how many pages the job has.
    virtual void PrintPreview(QPrinter& printer, int pagesShown,
                              const std::function<int(QPrinter*)>& paint) = 0;
    // File > Print Setup: the printer's paper and orientation; false on Cancel.
    virtual bool PrintSetup(QPrinter& printer) = 0;

    // Opens the help window at a topic: `command` HELP_CONTEXT with the topic's help
    // context in `data`, HELP_INDEX or HELP_HELPONHELP.
    virtual void WinHelp(int data, unsigned command) = 0;
    // Whether `window` is the help window (which may then be asked about itself).
    virtual bool IsHelpWindow(const QWidget* window) const {
        Q_UNUSED(window);
        return false;
    }

    // Runs one of the program's own dialogs modally, owned by the main window; returns
    // the code it ended with: QDialog::Accepted (IDOK), QDialog::Rejected or a code of
    // the dialog's own.
    virtual int RunDialog(QDialog& dialog) = 0;
    // The suite's shared block: `size` bytes of this user's shared-memory object, created
    // zero-filled when there is none, mapped until CloseShareMapping; null when it can be
    // neither opened nor mapped (as on a platform that has none).
    virtual unsigned char* OpenShareMapping(std::size_t size) {
        Q_UNUSED(size);
        return nullptr;
    }
    virtual void CloseShareMapping() {}
    // Whether the shared object was cut short under the mapping (by whoever may write it).
    // A lost mapping stays addressable until CloseShareMapping, but its bytes read as zero
    // and writes to it go nowhere.
    virtual bool ShareMappingLost() { return false; }
    // Held while a start registers or hands its command line over, so that starts at the
    // same moment take their turns.
    virtual void LockShareMapping() {}
    virtual void UnlockShareMapping() {}

    // Cancels the open dialogs that ask nothing about unsaved work (file and font dialogs,
    // messages with only OK), as if the user had cancelled or confirmed them; a question
    // stays open for its answer. Returns whether it cancelled any.
    virtual bool CancelDialogs() { return false; }
};
