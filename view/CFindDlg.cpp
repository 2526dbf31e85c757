#include "CFindDlg.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
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

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cancel);
    buttons->addWidget(back);
    buttons->addWidget(forward);
    auto* grid = new QGridLayout(this);
    grid->addWidget(label, 0, 0);
    grid->addWidget(m_pFindEdit, 0, 1);
    grid->addWidget(m_pWholeWordCheck, 1, 0, 1, 2);
    grid->addWidget(m_pMatchCaseCheck, 2, 0, 1, 2);
    grid->addLayout(buttons, 1, 1, 2, 1, Qt::AlignRight | Qt::AlignVCenter);
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
