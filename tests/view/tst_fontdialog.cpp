#include <functional>

#include <QDialogButtonBox>
#include <QFontDialog>
#include <QFontInfo>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "CDocManager.h"
#include "CKelvoView.h"
#include "QtPlatform.h"

namespace {

// Runs `act` on the font dialog as soon as it shows, from inside its own loop. A dialog
// that `act` leaves open is cancelled, so a test never waits for a person.
void WhenTheDialogShows(std::function<void(QDialog*)> act) {
    auto* poll = new QTimer(qApp);
    auto* tries = new int(0);
    QObject::connect(poll, &QTimer::timeout, qApp, [poll, tries, act] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr && ++*tries < 500)
            return;
        poll->stop();
        poll->deleteLater();
        delete tries;
        if (dialog == nullptr)
            return;
        act(dialog);
        if (dialog->isVisible())
            dialog->reject();
    });
    poll->start(10);
}

QFontDialog* ChooserOf(QDialog* dialog) {
    return dialog->findChild<QFontDialog*>();
}

QPushButton* ButtonOf(QDialog* dialog, const QString& text) {
    for (QPushButton* button : dialog->findChildren<QPushButton*>())
        if (button->isVisible() && button->text() == text)
            return button;
    return nullptr;
}

// Clicks the dialog's own OK button; false when it has none.
bool ClickOk(QDialog* dialog) {
    for (QDialogButtonBox* box : dialog->findChildren<QDialogButtonBox*>()) {
        QPushButton* ok = box->button(QDialogButtonBox::Ok);
        if (ok != nullptr && ok->isVisible()) {
            ok->click();
            return true;
        }
    }
    return false;
}

// The colour the dialog's colour button shows.
QColor Swatch(QDialog* dialog) {
    QPushButton* button = ButtonOf(dialog, "&Color...");
    return button ? button->icon().pixmap(16, 16).toImage().pixelColor(8, 8) : QColor();
}

int PixelsOf(const QFont& pointFont) {
    return int(
        pointFont.pointSizeF() * QApplication::primaryScreen()->logicalDotsPerInchY() / 72.0 + 0.5);
}

LogFont Record(const QString& face, int pixels, int weight, bool italic, int pitch) {
    LogFont font = LogFont::Default();
    font.SetFaceName(face);
    font.height = -pixels;
    font.weight = weight;
    font.italic = italic ? 1 : 0;
    font.pitchAndFamily = std::uint8_t(pitch);
    return font;
}

} // namespace

class FontDialogTest : public QObject {
    Q_OBJECT
    QtPlatform platform;

private slots:
    // The dialog opens on the font and colour it is given, and OK on them changes nothing.
    void fontDialogOffersTheGivenFont_data() {
        QTest::addColumn<LogFont>("record");
        QTest::addColumn<QColor>("colour");
        QTest::newRow("the default font") << LogFont::Default() << QColor(Qt::black);
        QTest::newRow("a substituted face, coloured")
            << Record("Courier", 17, 400, false, 0x31) << QColor(0x80, 0x10, 0x20);
        QTest::newRow("bold proportional")
            << Record("DejaVu Sans", 16, 700, false, 0x22) << QColor(Qt::darkBlue);
        QTest::newRow("fixed pitch italic")
            << Record("DejaVu Sans Mono", 11, 400, true, 0x31) << QColor(Qt::darkGreen);
    }
    void fontDialogOffersTheGivenFont() {
        QFETCH(LogFont, record);
        QFETCH(QColor, colour);
        QFont offered;
        QColor swatch;
        WhenTheDialogShows([&](QDialog* dialog) {
            offered = ChooserOf(dialog)->currentFont();
            swatch = Swatch(dialog);
            ClickOk(dialog);
        });
        LogFont font = record;
        QColor chosen = colour;
        QVERIFY(platform.ChooseFont(font, chosen));

        const QFontInfo given(record.ToQFont());
        const QFontInfo shown(offered);
        QCOMPARE(shown.family(), given.family());
        QCOMPARE(shown.bold(), given.bold());
        QCOMPARE(shown.italic(), given.italic());
        QCOMPARE(shown.fixedPitch(), given.fixedPitch());
        QCOMPARE(PixelsOf(offered), -record.height);
        QCOMPARE(swatch, colour);
        QVERIFY(font == record);
        QCOMPARE(chosen, colour);
    }

    // Options > Font, then OK: the view keeps its font and colour.
    void okOnTheOfferedFontKeepsTheViewsFont() {
        QTemporaryDir dir;
        const QString path = dir.filePath("font.cir");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("R1 in out 10k\r\n");
        file.close();
        CFileLists lists;
        ViewDefaults defaults;
        defaults.m_crWindowText = QColor(0x20, 0x30, 0x40);
        CKelvoDoc doc(&platform, &lists);
        QVERIFY(doc.OnOpenDocument(FileName::FromText(path)));
        CKelvoView view(&doc, &defaults);
        view.resize(300, 200);
        view.OnInitialUpdate(nullptr);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        const int charWidth = view.CharWidth();

        bool clicked = false;
        WhenTheDialogShows([&clicked](QDialog* dialog) { clicked = ClickOk(dialog); });
        view.OnOptionsFont();
        QVERIFY(clicked);
        QVERIFY(view.GetLogFont() == defaults.m_lfDefault);
        QVERIFY(QFontInfo(*view.SharedFont()).fixedPitch());
        QCOMPARE(view.CharWidth(), charWidth);
        QCOMPARE(view.TextColor(), defaults.m_crWindowText);
    }

    // Enter accepts and Escape cancels, once, wherever the focus is in the dialog.
    void enterAndEscapeCloseTheFontDialogOnce_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("focus");
        QTest::addColumn<bool>("accepted");
        const int none = Qt::NoModifier;
        QTest::newRow("Escape where the focus starts")
            << int(Qt::Key_Escape) << none << "" << false;
        QTest::newRow("Escape in the face list") << int(Qt::Key_Escape) << none << "faces" << false;
        QTest::newRow("Escape in the size box") << int(Qt::Key_Escape) << none << "size" << false;
        QTest::newRow("Escape on the colour button")
            << int(Qt::Key_Escape) << none << "colour" << false;
        QTest::newRow("Return where the focus starts") << int(Qt::Key_Return) << none << "" << true;
        QTest::newRow("Return before any control has the focus")
            << int(Qt::Key_Return) << none << "dialog" << true;
        QTest::newRow("Return in the face list") << int(Qt::Key_Return) << none << "faces" << true;
        QTest::newRow("Return in the style list")
            << int(Qt::Key_Return) << none << "styles" << true;
        QTest::newRow("Return in the size box") << int(Qt::Key_Return) << none << "size" << true;
        QTest::newRow("keypad Enter in the size list")
            << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << "sizes" << true;
    }
    void enterAndEscapeCloseTheFontDialogOnce() {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, focus);
        QFETCH(bool, accepted);
        int closes = 0;
        bool openAfterKey = false;
        bool chooserHidden = false;
        QString missing;
        WhenTheDialogShows([&](QDialog* dialog) {
            QObject::connect(dialog, &QDialog::finished, [&closes] { ++closes; });
            QFontDialog* chooser = ChooserOf(dialog);
            const auto lists = chooser->findChildren<QListView*>(Qt::FindDirectChildrenOnly);
            const auto edits = chooser->findChildren<QLineEdit*>(Qt::FindDirectChildrenOnly);
            QWidget* target = dialog->focusWidget() ? dialog->focusWidget() : dialog;
            if (focus == "faces" || focus == "styles" || focus == "sizes") {
                const int i = focus == "faces" ? 0 : focus == "styles" ? 1 : 2;
                target = i < lists.size() ? lists[i] : nullptr;
            } else if (focus == "size") {
                target = edits.size() == 3 ? edits[2] : nullptr;
            } else if (focus == "dialog") {
                if (QWidget* focused = dialog->focusWidget())
                    focused->clearFocus();
                target = dialog;
            } else if (focus == "colour") {
                target = ButtonOf(dialog, "&Color...");
            }
            if (target == nullptr) {
                missing = focus;
                return;
            }
            target->setFocus();
            QTest::keyClick(target, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
            openAfterKey = dialog->isVisible();
            chooserHidden = chooser->isHidden();
        });
        LogFont font = LogFont::Default();
        QColor colour = Qt::black;
        const bool result = platform.ChooseFont(font, colour);
        QVERIFY2(missing.isEmpty(), qPrintable("no widget for " + missing));
        QVERIFY2(!chooserHidden, "the key hid the font lists");
        QVERIFY2(!openAfterKey, "the key left the dialog open");
        QCOMPARE(closes, 1);
        QCOMPARE(result, accepted);
    }
};

QTEST_MAIN(FontDialogTest)
#include "tst_fontdialog.moc"
