#include "QtPlatform.h"

#include <QApplication>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <vector>

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

// The font dialog with a text colour beside it: a colour button under Qt's font chooser.
class FontAndColourDialog : public QDialog {
public:
    FontAndColourDialog(QWidget* owner, const QFont& font, const QColor& colour)
        : QDialog(owner), m_colour(colour) {
        setWindowTitle("Font");
        m_fonts = new QFontDialog(font, this);
        m_fonts->setOptions(QFontDialog::NoButtons | QFontDialog::DontUseNativeDialog);
        m_fonts->setWindowFlags(Qt::Widget);
        m_colourButton = new QPushButton("&Color...", this);
        connect(m_colourButton, &QPushButton::clicked, this, [this] {
            const QColor chosen = QColorDialog::getColor(m_colour, this, "Color");
            if (chosen.isValid()) {
                m_colour = chosen;
                ShowColour();
            }
        });
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
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

QString QtPlatform::GetOpenFileName(const QString& directory) {
    return QFileDialog::getOpenFileName(Owner(), "Open", directory, kAllFiles);
}

QString QtPlatform::GetSaveFileName(const QString& suggestedPath) {
    return QFileDialog::getSaveFileName(Owner(), "Save As", suggestedPath, kAllFiles);
}

bool QtPlatform::ChooseFont(LogFont& font, QColor& colour) {
    // The dialog speaks points; the record keeps screen pixels.
    const QScreen* screen = QApplication::primaryScreen();
    const double dpi = screen ? screen->logicalDotsPerInchY() : 96.0;
    QFont shown = font.ToQFont();
    shown.setPointSizeF(std::max(1.0, double(shown.pixelSize()) * 72.0 / dpi));
    FontAndColourDialog dialog(Owner(), shown, colour);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    QFont chosen = dialog.Font();
    const int pixels = std::max(1, int(chosen.pointSizeF() * dpi / 72.0 + 0.5));
    chosen.setPixelSize(pixels);
    font = LogFont::FromQFont(chosen);
    colour = dialog.Colour();
    return true;
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
