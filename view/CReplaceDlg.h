#pragma once

#include "CSearchDlg.h"

// Search > Replace: the search string, its replacement, Match Whole Word and Match Case.
// Find Next (the default button) ends it with IDOK, Replace All with IDC_REPLACE_ALL.
class CReplaceDlg : public CSearchDlg {
    Q_OBJECT
public:
    // Control ids, which name the controls (objectName); Replace All is also the result.
    enum {
        IDC_REPLACE_WITH = 1006,
        IDC_REPLACE_ALL = 1007,
    };
    // The commands that may follow the dialog, with their keys, one a line.
    static const QString kFollowUps;

    explicit CReplaceDlg(QWidget* parent = nullptr);

    // The replacement, kept like the search fields: Find Next and Replace All take it from
    // its control.
    [[nodiscard]] const QString& ReplaceWith() const { return m_strReplaceWith; }
    void SetReplaceWith(const QString& text);

    void accept() override;
    void OnReplaceAll();

private:
    void SaveData() override;

    QLineEdit* m_pReplaceEdit;
    QString m_strReplaceWith;
};
