#pragma once

#include "CSearchDlg.h"

// Search > Find: the search string, Match Whole Word and Match Case. Find Fwd (the default
// button) and Find Back both end it with IDOK; Forward() tells which.
class CFindDlg : public CSearchDlg {
    Q_OBJECT
public:
    // Control ids, which name the controls (objectName).
    enum {
        IDC_FIND_BACK = 1001,
    };

    explicit CFindDlg(QWidget* parent = nullptr);

    [[nodiscard]] bool Forward() const { return m_bForward; }

    void accept() override;
    void OnFindBack();

private:
    bool m_bForward = true;
};
