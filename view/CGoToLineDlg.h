#pragma once

#include <QDialog>

class Platform;
class QLineEdit;

// Search > Go To Line: a 1-based line number from 1 to the document's line count. OK (the
// default button) takes only such a number: anything else is refused with a message and
// the dialog stays open.
class CGoToLineDlg : public QDialog {
    Q_OBJECT
public:
    enum { IDC_LINE_NUMBER = 1000 };
    static constexpr char kNotInteger[] = "Please enter an integer.";
    static constexpr char kOutOfRange[] = "Please enter an integer between %1 and %2.";

    // platform: where the refusals are shown. maxLine: the document's line count.
    CGoToLineDlg(Platform* platform, int maxLine, QWidget* parent = nullptr);

    [[nodiscard]] int Line() const { return m_nLine; }
    // Also shows the number in the edit field.
    void SetLine(int line);
    [[nodiscard]] int MaxLine() const { return m_nMaxLine; }

    void accept() override;

private:
    // The edit field's number into m_nLine; false, after the refusal, when it is not a
    // number from 1 to m_nMaxLine.
    bool SaveData();

    Platform* m_pPlatform;
    QLineEdit* m_pLineEdit;
    int m_nLine = 0;
    int m_nMaxLine;
};
