#include "CSearchDlg.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <limits>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "DialogUnits.h"

CSearchDlg::CSearchDlg(const QString& title, int findWidth, QWidget* parent) : QDialog(parent) {
    setWindowTitle(title);
    m_pFindLabel = new QLabel("Find What:", this);
    m_pFindEdit = new QLineEdit(this);
    m_pFindEdit->setObjectName(QString::number(IDC_FIND_WHAT));
    // A selected line of any length is searched for whole, not cut at Qt's default limit.
    m_pFindEdit->setMaxLength(std::numeric_limits<int>::max());
    m_pFindEdit->setMinimumWidth(DialogUnitsX(*this, findWidth));
    m_pFindLabel->setBuddy(m_pFindEdit);
    m_pWholeWordCheck = new QCheckBox("Match &Whole Word", this);
    m_pWholeWordCheck->setObjectName(QString::number(IDC_WHOLE_WORD));
    m_pMatchCaseCheck = new QCheckBox("Match &Case", this);
    m_pMatchCaseCheck->setObjectName(QString::number(IDC_MATCH_CASE));
}

QPushButton* CSearchDlg::AddButton(const QString& text, int id, int width) {
    auto* button = new QPushButton(text, this);
    button->setObjectName(QString::number(id));
    button->setAutoDefault(false);
    button->setMinimumWidth(DialogUnitsX(*this, width));
    return button;
}

QLayout* CSearchDlg::ChecksColumn() {
    auto* checks = new QVBoxLayout;
    checks->addWidget(m_pWholeWordCheck);
    checks->addWidget(m_pMatchCaseCheck);
    return checks;
}

void CSearchDlg::SetFindText(const QString& text) {
    m_strFind = text;
    m_pFindEdit->setText(text);
    m_pFindEdit->selectAll();
}

void CSearchDlg::SetMatchCase(bool on) {
    m_bMatchCase = on;
    m_pMatchCaseCheck->setChecked(on);
}

void CSearchDlg::SetWholeWord(bool on) {
    m_bWholeWord = on;
    m_pWholeWordCheck->setChecked(on);
}

void CSearchDlg::SaveData() {
    m_bMatchCase = m_pMatchCaseCheck->isChecked();
    m_bWholeWord = m_pWholeWordCheck->isChecked();
    m_strFind = m_pFindEdit->text();
}
