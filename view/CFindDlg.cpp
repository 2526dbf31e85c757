#include "CFindDlg.h"

#include <QBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

CFindDlg::CFindDlg(QWidget* parent) : CSearchDlg("Find", 169, parent) {
    auto* cancel = AddButton("Cancel", 2, 39);
    auto* back = AddButton("Find &Back", IDC_FIND_BACK, 39);
    auto* forward = AddButton("Find &Fwd", 1, 39);
    forward->setDefault(true);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(back, &QPushButton::clicked, this, &CFindDlg::OnFindBack);
    connect(forward, &QPushButton::clicked, this, &CFindDlg::accept);

    // The search field across the top; below it the check boxes on the left and the
    // buttons on the right, between them.
    auto* findRow = new QHBoxLayout;
    findRow->addWidget(m_pFindLabel);
    findRow->addWidget(m_pFindEdit, 1);
    auto* lower = new QHBoxLayout;
    lower->addLayout(ChecksColumn());
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

void CFindDlg::accept() {
    SaveData();
    QDialog::accept();
}

void CFindDlg::OnFindBack() {
    m_bForward = false;
    accept();
}
