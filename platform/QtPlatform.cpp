#include "QtPlatform.h"

#include "HelpTopics.h"

#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>

#include <QApplication>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFontDialog>
#include <QFontInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <cstdio>
#include <vector>

#include "FileName.h"
#include "PrintPreviewWindow.h"

namespace {

constexpr char kAllFiles[] = "All Files (*)";

QMessageBox::Icon IconOf(int style) {
    switch (style & 0xf0) {
    case MB_ICONHAND:
        return QMessageBox::Critical;
    case MB_ICONQUESTION:
        return QMessageBox::Question;
    case MB_ICONEXCLAMATION:
        return QMessageBox::Warning;
    case MB_ICONINFORMATION:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

// Qt's font chooser inside another dialog. The keys that would close a dialog of its own
// (Enter, Return, Escape, and Return in its lists) close the dialog around it, once,
// instead of hiding the chooser and leaving an empty box.
class EmbeddedFontChooser : public QFontDialog {
public:
    EmbeddedFontChooser(const QFont& font, QDialog* outer) : QFontDialog(outer), m_outer(outer) {
        setOptions(QFontDialog::NoButtons | QFontDialog::DontUseNativeDialog);
        setWindowFlags(Qt::Widget);
        setCurrentFont(font);
    }

    void done(int result) override {
        if (result == QDialog::Accepted)
            m_outer->accept();
        else
            m_outer->reject();
    }

protected:
    void keyPressEvent(QKeyEvent* event) override {
        const bool plain =
            event->modifiers() == Qt::NoModifier ||
            (event->modifiers() == Qt::KeypadModifier && event->key() == Qt::Key_Enter);
        if (plain && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
            done(QDialog::Accepted);
            return;
        }
        QFontDialog::keyPressEvent(event);
    }

private:
    QDialog* m_outer;
};

// The font dialog with a text colour beside it: a colour button under Qt's font chooser.
class FontAndColourDialog : public QDialog {
public:
    FontAndColourDialog(QWidget* owner, const QFont& font, const QColor& colour)
        : QDialog(owner), m_colour(colour) {
        setWindowTitle("Font");
        m_fonts = new EmbeddedFontChooser(font, this);
        m_colourButton = new QPushButton("&Color...", this);
        connect(m_colourButton, &QPushButton::clicked, this, [this] {
            const QColor chosen = QColorDialog::getColor(m_colour, this, "Color");
            if (chosen.isValid()) {
                m_colour = chosen;
                ShowColour();
            }
        });
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
        // Enter is OK also before any control has the focus, as the window first shows.
        buttons->button(QDialogButtonBox::Ok)->setDefault(true);
        connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
        connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
        auto* row = new QHBoxLayout;
        row->addWidget(m_colourButton);
        row->addStretch();
        row->addWidget(buttons);
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(m_fonts);
        layout->addLayout(row);
        ShowColour();
    }

    QFont Font() const { return m_fonts->currentFont(); }
    QColor Colour() const { return m_colour; }

private:
    void ShowColour() {
        QPixmap swatch(16, 16);
        swatch.fill(m_colour);
        m_colourButton->setIcon(QIcon(swatch));
    }

    QFontDialog* m_fonts;
    QPushButton* m_colourButton;
    QColor m_colour;
};

// A message box with more than one button asks something: only its answer may close it.
bool IsQuestion(const QWidget* window) {
    const auto* box = qobject_cast<const QMessageBox*>(window);
    return box != nullptr && box->buttons().size() > 1;
}

} // namespace

QWidget* QtPlatform::Owner() const {
    return m_owner ? m_owner.data() : QApplication::activeWindow();
}

int QtPlatform::MessageBox(const QString& text, int style) {
    QMessageBox box(IconOf(style), kAppTitle, text, QMessageBox::NoButton, Owner());
    switch (style & 0x0f) {
    case MB_OKCANCEL:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        break;
    case MB_YESNOCANCEL:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    case MB_YESNO:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    default:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    }
    switch (box.exec()) {
    case QMessageBox::Yes:
        return IDYES;
    case QMessageBox::No:
        return IDNO;
    case QMessageBox::Cancel:
        return IDCANCEL;
    default:
        return (style & 0x0f) == MB_YESNO ? IDNO : IDOK;
    }
}

void QtPlatform::Beep() {
    QApplication::beep();
}

void QtPlatform::BeginWaitCursor() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

void QtPlatform::EndWaitCursor() {
    QApplication::restoreOverrideCursor();
}

// The dialogs read and show names through Qt's own decoding: a byte that is not valid
// UTF-8 comes to them, and back from them, as U+FFFD, which the callers refuse.
QString QtPlatform::GetOpenFileName(const FileName& directory) {
    return QFileDialog::getOpenFileName(Owner(), "Open", directory.Display(), kAllFiles);
}

QString QtPlatform::GetSaveFileName(const FileName& suggestedPath) {
    return QFileDialog::getSaveFileName(Owner(), "Save As", suggestedPath.Display(), kAllFiles);
}

bool QtPlatform::ChooseFont(LogFont& font, QColor& colour) {
    // The dialog speaks points; the record keeps screen pixels.
    const QScreen* screen = QApplication::primaryScreen();
    const double dpi = screen ? screen->logicalDotsPerInchY() : 96.0;
    auto recordOf = [dpi](QFont chosen) {
        chosen.setPixelSize(std::max(1, int(chosen.pointSizeF() * dpi / 72.0 + 0.5)));
        return LogFont::FromQFont(chosen);
    };
    // The record may name a face that is only substituted here ("Courier"): the dialog
    // offers the face and style really shown, which its lists hold.
    QFont shown = font.ToQFont();
    const QFontInfo used(shown);
    shown.setFamily(used.family());
    shown.setStyleName(used.styleName());
    shown.setPointSizeF(std::max(1.0, double(shown.pixelSize()) * 72.0 / dpi));
    FontAndColourDialog dialog(Owner(), shown, colour);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    // OK on the font as offered keeps the record as it was.
    const LogFont chosen = recordOf(dialog.Font());
    if (!(chosen == recordOf(shown)))
        font = chosen;
    colour = dialog.Colour();
    return true;
}

int QtPlatform::RunDialog(QDialog& dialog) {
    return dialog.exec();
}

void QtPlatform::WinHelp(int data, unsigned command) {
    const HelpTopics& topics = HelpTopics::Shipped();
    QString page = HelpTopics::kIndexPage;
    if (command == HELP_CONTEXT && !topics.PageOf(data).isEmpty())
        page = topics.PageOf(data);
    else if (command == HELP_HELPONHELP)
        page = HelpTopics::kUsingHelpPage;
    if (m_helpWindow == nullptr)
        m_helpWindow = new HelpWindow(topics, Owner());
    m_helpWindow->ShowPage(page);
}

bool QtPlatform::PrintDialog(QPrinter& printer, bool offerSelection, bool& selection) {
    QPrintDialog dialog(&printer, Owner());
    dialog.setOption(QAbstractPrintDialog::PrintSelection, offerSelection);
    dialog.setPrintRange(offerSelection ? QAbstractPrintDialog::Selection
                                        : QAbstractPrintDialog::AllPages);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    selection = dialog.printRange() == QAbstractPrintDialog::Selection;
    return true;
}

void QtPlatform::PrintPreview(QPrinter& printer, int pagesShown,
                              const std::function<int(QPrinter*)>& paint) {
    const auto askToPrint = [this](QPrinter& target) {
        bool selection = false;
        return PrintDialog(target, false, selection);
    };
    PrintPreviewWindow preview(printer, pagesShown, paint, askToPrint, Owner());
    preview.exec();
}

bool QtPlatform::PrintSetup(QPrinter& printer) {
    QPageSetupDialog dialog(&printer, Owner());
    return dialog.exec() == QDialog::Accepted;
}

bool QtPlatform::CancelDialogs() {
    std::vector<QPointer<QDialog>> open;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        auto* dialog = qobject_cast<QDialog*>(window);
        if (dialog == nullptr || !dialog->isVisible())
            continue;
        // A dialog under an open question waits too: what it does next may hang on the answer.
        if (IsQuestion(dialog))
            return false;
        open.push_back(dialog);
    }
    for (const QPointer<QDialog>& dialog : open)
        if (dialog)
            dialog->reject();
    return !open.empty();
}

unsigned char* QtPlatform::OpenShareMapping(std::size_t size) {
    const std::string name = SuiteShareName();
    if (m_shareMapping.Open(name, size))
        return m_shareMapping.Data();
    // The message box's text is fixed; which object it was and why is said here, so that the
    // user knows what to remove or whom to ask.
    std::fprintf(stderr, "kelvo: cannot use the shared memory /dev/shm%s: %s\n", name.c_str(),
                 m_shareMapping.Error().c_str());
    return nullptr;
}
