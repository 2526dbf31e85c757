#pragma once

#include <QDialog>
#include <QString>

class QCheckBox;
class QLineEdit;

// Search > Replace: the search string, its replacement, Match Whole Word and Match Case.
// Find Next (the default button) ends it with IDOK, Replace All with IDC_REPLACE_ALL.
class CReplaceDlg : public QDialog {
    Q_OBJECT
public:
    // Control ids, which name the controls (objectName); Replace All is also the result.
    enum {
        IDC_WHOLE_WORD = 1004,
        IDC_MATCH_CASE = 1005,
        IDC_REPLACE_WITH = 1006,
        IDC_REPLACE_ALL = 1007,
        IDC_FIND_WHAT = 1008,
    };
    // The commands that may follow the dialog, with their keys, one a line.
    static const QString kFollowUps;

    explicit CReplaceDlg(QWidget* parent = nullptr);

    // The fields; each setter also shows its value in its control. Escape keeps them as
    // they were set, Find Next and Replace All take the controls' values.
    [[nodiscard]] const QString& FindText() const { return m_strFind; }
    void SetFindText(const QString& text);
    [[nodiscard]] const QString& ReplaceWith() const { return m_strReplaceWith; }
    void SetReplaceWith(const QString& text);
    [[nodiscard]] bool MatchCase() const { return m_bMatchCase; }
    void SetMatchCase(bool on);
    [[nodiscard]] bool WholeWord() const { return m_bWholeWord; }
    void SetWholeWord(bool on);

    void accept() override;
    void OnReplaceAll();

private:
    void SaveData();

    QLineEdit* m_pFindEdit;
    QLineEdit* m_pReplaceEdit;
    QCheckBox* m_pWholeWordCheck;
    QCheckBox* m_pMatchCaseCheck;
    bool m_bMatchCase = false;
    bool m_bWholeWord = false;
    QString m_strReplaceWith;
    QString m_strFind;
};
