#include "CFindDlg.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "DialogUnits.h"

CFindDlg::CFindDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle("Find");
    auto* label = new QLabel("Find What:", this);
    m_pFindEdit = new QLineEdit(this);
    m_pFindEdit->setObjectName(QString::number(IDC_FIND_WHAT));
    m_pFindEdit->setMinimumWidth(DialogUnitsX(*this, 169));
    label->setBuddy(m_pFindEdit);
    m_pWholeWordCheck = new QCheckBox("Match &Whole Word", this);
    m_pWholeWordCheck->setObjectName(QString::number(IDC_WHOLE_WORD));
    m_pMatchCaseCheck = new QCheckBox("Match &Case", this);
    m_pMatchCaseCheck->setObjectName(QString::number(IDC_MATCH_CASE));

    auto* cancel = new QPushButton("Cancel", this);
    cancel->setObjectName(QString::number(2));
    auto* back = new QPushButton("Find &Back", this);
    back->setObjectName(QString::number(IDC_FIND_BACK));
    auto* forward = new QPushButton("Find &Fwd", this);
    forward->setObjectName(QString::number(1));
    for (QPushButton* button : {cancel, back, forward}) {
        button->setAutoDefault(false);
        button->setMinimumWidth(DialogUnitsX(*this, 39));
    }
    forward->setDefault(true);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(back, &QPushButton::clicked, this, &CFindDlg::OnFindBack);
    connect(forward, &QPushButton::clicked, this, &CFindDlg::accept);

    // The search field across the top; below it the check boxes on the left and the
    // buttons on the right, between them.
    auto* findRow = new QHBoxLayout;
    findRow->addWidget(label);
    findRow->addWidget(m_pFindEdit, 1);
    auto* checks = new QVBoxLayout;
    checks->addWidget(m_pWholeWordCheck);
    checks->addWidget(m_pMatchCaseCheck);
    auto* lower = new QHBoxLayout;
    lower->addLayout(checks);
    lower->addStretch();
    lower->addWidget(cancel, 0, Qt::AlignVCenter);
    lower->addWidget(back, 0, Qt::AlignVCenter);
    lower->addWidget(forward, 0, Qt::AlignVCenter);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(findRow);
    layout->addLayout(lower);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    m_pFindEdit->setFocus();
}

void CFindDlg::SetFindText(const QString& text) {
    m_strFind = text;
    m_pFindEdit->setText(text);
    m_pFindEdit->selectAll();
}

void CFindDlg::SetMatchCase(bool on) {
    m_bMatchCase = on;
    m_pMatchCaseCheck->setChecked(on);
}

void CFindDlg::SetWholeWord(bool on) {
    m_bWholeWord = on;
    m_pWholeWordCheck->setChecked(on);
}

void CFindDlg::accept() {
    m_bMatchCase = m_pMatchCaseCheck->isChecked();
    m_bWholeWord = m_pWholeWordCheck->isChecked();
    m_strFind = m_pFindEdit->text();
    QDialog::accept();
}

void CFindDlg::OnFindBack() {
    m_bForward = false;
    accept();
}
