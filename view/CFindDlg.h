#pragma once

#include <QDialog>
#include <QString>

class QCheckBox;
class QLineEdit;

// Search > Find: the search string, Match Whole Word and Match Case. Find Fwd (the default
// button) and Find Back both end it with IDOK; Forward() tells which.
class CFindDlg : public QDialog {
    Q_OBJECT
public:
    // Control ids, which name the controls (objectName).
    enum {
        IDC_FIND_BACK = 1001,
        IDC_WHOLE_WORD = 1004,
        IDC_MATCH_CASE = 1005,
        IDC_FIND_WHAT = 1008,
    };

    explicit CFindDlg(QWidget* parent = nullptr);

    // The fields; each setter also shows its value in its control. Escape keeps them as
    // they were set, OK and Find Back take the controls' values.
    [[nodiscard]] const QString& FindText() const { return m_strFind; }
    void SetFindText(const QString& text);
    [[nodiscard]] bool MatchCase() const { return m_bMatchCase; }
    void SetMatchCase(bool on);
    [[nodiscard]] bool WholeWord() const { return m_bWholeWord; }
    void SetWholeWord(bool on);
    [[nodiscard]] bool Forward() const { return m_bForward; }

    void accept() override;
    void OnFindBack();

private:
    QLineEdit* m_pFindEdit;
    QCheckBox* m_pWholeWordCheck;
    QCheckBox* m_pMatchCaseCheck;
    bool m_bMatchCase = false;
    bool m_bWholeWord = false;
    QString m_strFind;
    bool m_bForward = true;
};
