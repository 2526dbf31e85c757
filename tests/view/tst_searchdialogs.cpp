// The Find, Replace and Go To Line dialogs: their default buttons, what each button ends
// them with, what they keep on Escape, and the line number's checks.

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include "CFindDlg.h"
#include "CGoToLineDlg.h"
#include "CReplaceDlg.h"
#include "fakes/ScriptedPlatform.h"

namespace {

template <class T> T* Control(QDialog& dialog, int id) {
    return dialog.findChild<T*>(QString::number(id));
}

// The dialog on the screen, as the user meets it.
void Show(QDialog& dialog) {
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
}

} // namespace

class SearchDialogsTest : public QObject {
    Q_OBJECT

private slots:
    void enterPressesTheDefaultButton_data() {
        QTest::addColumn<QString>("dialog");
        QTest::newRow("Find: Find Fwd") << "find";
        QTest::newRow("Replace: Find Next") << "replace";
        QTest::newRow("Go To Line: OK") << "goto";
    }
    void enterPressesTheDefaultButton() {
        QFETCH(QString, dialog);
        ScriptedPlatform platform;
        if (dialog == "find") {
            CFindDlg find;
            find.SetFindText("R1");
            Show(find);
            // The offered text is selected: typing replaces it, End keeps it.
            auto* edit = Control<QLineEdit>(find, CFindDlg::IDC_FIND_WHAT);
            QVERIFY(edit->hasSelectedText());
            QTest::keyClick(edit, Qt::Key_End);
            QTest::keyClicks(edit, "0");
            QTest::keyClick(&find, Qt::Key_Return);
            QCOMPARE(find.result(), IDOK);
            QCOMPARE(find.FindText(), QString("R10"));
            QVERIFY(find.Forward());
        } else if (dialog == "replace") {
            CReplaceDlg replace;
            replace.SetFindText("R1");
            Show(replace);
            QTest::keyClicks(Control<QLineEdit>(replace, CReplaceDlg::IDC_REPLACE_WITH), "R2");
            QTest::keyClick(&replace, Qt::Key_Return);
            QCOMPARE(replace.result(), IDOK);
            QCOMPARE(replace.ReplaceWith(), QString("R2"));
        } else {
            CGoToLineDlg go(&platform, 10);
            go.SetLine(3);
            Show(go);
            QTest::keyClick(&go, Qt::Key_Return);
            QCOMPARE(go.result(), IDOK);
            QCOMPARE(go.Line(), 3);
            QVERIFY(platform.shown.empty());
        }
    }

    void findBackReturnsOkBackward() {
        CFindDlg find;
        find.SetFindText(".model");
        find.SetMatchCase(true);
        Control<QPushButton>(find, CFindDlg::IDC_FIND_BACK)->click();
        QCOMPARE(find.result(), IDOK);
        QVERIFY(!find.Forward());
        QCOMPARE(find.FindText(), QString(".model"));
        QVERIFY(find.MatchCase());
        QVERIFY(!find.WholeWord());
    }

    void escapeKeepsTheFieldsAsSet() {
        CFindDlg find;
        find.SetFindText("vin");
        find.SetWholeWord(true);
        Show(find);
        QTest::keyClicks(Control<QLineEdit>(find, CFindDlg::IDC_FIND_WHAT), "xyz");
        Control<QCheckBox>(find, CFindDlg::IDC_WHOLE_WORD)->setChecked(false);
        QTest::keyClick(&find, Qt::Key_Escape);
        QCOMPARE(find.result(), int(QDialog::Rejected));
        QCOMPARE(find.FindText(), QString("vin"));
        QVERIFY(find.WholeWord());
        QVERIFY(find.Forward());

        CReplaceDlg replace;
        replace.SetReplaceWith("old");
        Show(replace);
        Control<QLineEdit>(replace, CReplaceDlg::IDC_REPLACE_WITH)->setText("new");
        QTest::keyClick(&replace, Qt::Key_Escape);
        QCOMPARE(replace.result(), int(QDialog::Rejected));
        QCOMPARE(replace.ReplaceWith(), QString("old"));
    }

    void replaceAllEndsWithItsOwnCodeAndTheData() {
        CReplaceDlg replace;
        Control<QLineEdit>(replace, CReplaceDlg::IDC_FIND_WHAT)->setText("Q1");
        Control<QLineEdit>(replace, CReplaceDlg::IDC_REPLACE_WITH)->setText("Q7");
        Control<QCheckBox>(replace, CReplaceDlg::IDC_MATCH_CASE)->setChecked(true);
        Control<QCheckBox>(replace, CReplaceDlg::IDC_WHOLE_WORD)->setChecked(true);
        Control<QPushButton>(replace, CReplaceDlg::IDC_REPLACE_ALL)->click();
        QCOMPARE(replace.result(), int(CReplaceDlg::IDC_REPLACE_ALL));
        QCOMPARE(replace.FindText(), QString("Q1"));
        QCOMPARE(replace.ReplaceWith(), QString("Q7"));
        QVERIFY(replace.MatchCase());
        QVERIFY(replace.WholeWord());
    }

    void replaceNamesItsFollowUpCommands() {
        CReplaceDlg replace;
        QStringList shown;
        for (const QLabel* label : replace.findChildren<QLabel*>())
            shown << label->text();
        for (const char* text : {"\"Find Again\"", "Ctrl+Shift+F", "\"Replace & Find Again\"",
                                 "Ctrl+Shift+R", "\"Replace & Stop\"", "Ctrl+T"})
            QVERIFY2(shown.contains(QString(text)), text);
        QCOMPARE(CReplaceDlg::kFollowUps.count("\r\n"), 2);
    }

    void goToLineTakesOnlyALineOfTheText_data() {
        QTest::addColumn<int>("lines");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("line"); // 0: refused
        QTest::addColumn<QString>("message");
        const QString one = "Please enter an integer between 1 and 1.";
        QTest::newRow("one line: 1") << 1 << "1" << 1 << "";
        QTest::newRow("one line: 0") << 1 << "0" << 0 << one;
        QTest::newRow("one line: 2") << 1 << "2" << 0 << one;
        QTest::newRow("negative") << 40 << "-3" << 0 << "Please enter an integer between 1 and 40.";
        QTest::newRow("the last") << 40 << "40" << 40 << "";
        QTest::newRow("blanks around") << 40 << " 17 " << 17 << "";
        QTest::newRow("letters") << 40 << "x1" << 0 << "Please enter an integer.";
        QTest::newRow("empty") << 40 << "" << 0 << "Please enter an integer.";
        QTest::newRow("a fraction") << 40 << "2.5" << 0 << "Please enter an integer.";
    }
    void goToLineTakesOnlyALineOfTheText() {
        QFETCH(int, lines);
        QFETCH(QString, typed);
        QFETCH(int, line);
        QFETCH(QString, message);
        ScriptedPlatform platform;
        CGoToLineDlg go(&platform, lines);
        go.SetLine(1);
        Show(go);
        auto* edit = Control<QLineEdit>(go, CGoToLineDlg::IDC_LINE_NUMBER);
        edit->setText(typed);
        QTest::keyClick(&go, Qt::Key_Return);
        if (line == 0) {
            QVERIFY(go.isVisible()); // stays open
            QCOMPARE(platform.shown.size(), std::size_t(1));
            QCOMPARE(platform.shown[0].text, message);
            QCOMPARE(go.Line(), 1);
            QVERIFY(edit->hasFocus());
        } else {
            QVERIFY(!go.isVisible());
            QCOMPARE(go.result(), IDOK);
            QCOMPARE(go.Line(), line);
            QVERIFY(platform.shown.empty());
        }
    }

    void goToLineOpensOnTheLineItWasGiven() {
        ScriptedPlatform platform;
        CGoToLineDlg go(&platform, 9);
        QCOMPARE(go.Line(), 0);
        go.SetLine(7);
        QCOMPARE(Control<QLineEdit>(go, CGoToLineDlg::IDC_LINE_NUMBER)->text(), QString("7"));
        QCOMPARE(go.MaxLine(), 9);
    }
};

QTEST_MAIN(SearchDialogsTest)
#include "tst_searchdialogs.moc"
