#pragma once

#include <QDialog>
#include <QString>

class QCheckBox;
class QLabel;
class QLayout;
class QLineEdit;
class QPushButton;

// What the Find and Replace dialogs share: the search string with its label, Match Whole
// Word and Match Case, and the buttons' look. Each setter also shows its value in its
// control; Escape keeps the fields as they were set, accepting takes the controls' values.
class CSearchDlg : public QDialog {
    Q_OBJECT
public:
    // Control ids, which name the controls (objectName).
    enum {
        IDC_WHOLE_WORD = 1004,
        IDC_MATCH_CASE = 1005,
        IDC_FIND_WHAT = 1008,
    };

    [[nodiscard]] const QString& FindText() const { return m_strFind; }
    void SetFindText(const QString& text);
    [[nodiscard]] bool MatchCase() const { return m_bMatchCase; }
    void SetMatchCase(bool on);
    [[nodiscard]] bool WholeWord() const { return m_bWholeWord; }
    void SetWholeWord(bool on);

protected:
    // findWidth: the search field's least width, in dialog units.
    CSearchDlg(const QString& title, int findWidth, QWidget* parent);
    // The controls' values into the fields.
    virtual void SaveData();
    // A push button named by its id, at least `width` dialog units wide; only the one made
    // default answers Enter.
    QPushButton* AddButton(const QString& text, int id, int width);
    // The two check boxes, one above the other.
    QLayout* ChecksColumn();

    QLabel* m_pFindLabel;
    QLineEdit* m_pFindEdit;
    QCheckBox* m_pWholeWordCheck;
    QCheckBox* m_pMatchCaseCheck;

private:
    bool m_bMatchCase = false;
    bool m_bWholeWord = false;
    QString m_strFind;
};
