#include "CReplaceDlg.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <limits>

#include "DialogUnits.h"

const QString CReplaceDlg::kFollowUps = "\"Find Again\"\t\tCtrl+Shift+F\r\n"
                                        "\"Replace & Find Again\"\tCtrl+Shift+R\r\n"
                                        "\"Replace & Stop\"\tCtrl+T";

CReplaceDlg::CReplaceDlg(QWidget* parent) : CSearchDlg("Replace", 179, parent) {
    auto* replaceLabel = new QLabel("Replace with:", this);
    m_pReplaceEdit = new QLineEdit(this);
    m_pReplaceEdit->setObjectName(QString::number(IDC_REPLACE_WITH));
    m_pReplaceEdit->setMaxLength(std::numeric_limits<int>::max());
    replaceLabel->setBuddy(m_pReplaceEdit);

    auto* cancel = AddButton("Cancel", 2, 43);
    auto* all = AddButton("Replace &All", IDC_REPLACE_ALL, 43);
    auto* next = AddButton("&Find Next", 1, 43);
    next->setDefault(true);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(all, &QPushButton::clicked, this, &CReplaceDlg::OnReplaceAll);
    connect(next, &QPushButton::clicked, this, &CReplaceDlg::accept);
    // Tab goes down the fields before the check boxes, then along the buttons.
    setTabOrder(m_pFindEdit, m_pReplaceEdit);
    setTabOrder(m_pReplaceEdit, m_pWholeWordCheck);
    setTabOrder(m_pWholeWordCheck, m_pMatchCaseCheck);
    setTabOrder(m_pMatchCaseCheck, cancel);
    setTabOrder(cancel, all);
    setTabOrder(all, next);

    // The follow-up commands in two columns, each name beside its keys.
    auto* after = new QLabel("After finding, you may select any of the following:", this);
    auto* followUps = new QGridLayout;
    followUps->setHorizontalSpacing(DialogUnitsX(*this, 12));
    followUps->setVerticalSpacing(0);
    const QStringList lines = kFollowUps.split("\r\n");
    for (int row = 0; row < lines.size(); ++row) {
        const QStringList parts = lines[row].split('\t', Qt::SkipEmptyParts);
        for (int column = 0; column < parts.size(); ++column)
            followUps->addWidget(new QLabel(parts[column], this), row, column);
    }

    // The two fields, labels aligned; below them the check boxes on the left and the
    // buttons on the right; then the note on the follow-up commands.
    auto* fields = new QGridLayout;
    fields->addWidget(m_pFindLabel, 0, 0);
    fields->addWidget(m_pFindEdit, 0, 1);
    fields->addWidget(replaceLabel, 1, 0);
    fields->addWidget(m_pReplaceEdit, 1, 1);
    auto* middle = new QHBoxLayout;
    middle->addLayout(ChecksColumn());
    middle->addStretch();
    middle->addWidget(cancel, 0, Qt::AlignTop);
    middle->addWidget(all, 0, Qt::AlignTop);
    middle->addWidget(next, 0, Qt::AlignTop);
    auto* notes = new QHBoxLayout;
    notes->addStretch();
    notes->addLayout(followUps);
    notes->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addLayout(middle);
    layout->addWidget(after, 0, Qt::AlignHCenter);
    layout->addLayout(notes);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    m_pFindEdit->setFocus();
}

void CReplaceDlg::SetReplaceWith(const QString& text) {
    m_strReplaceWith = text;
    m_pReplaceEdit->setText(text);
}

void CReplaceDlg::SaveData() {
    CSearchDlg::SaveData();
    m_strReplaceWith = m_pReplaceEdit->text();
}

void CReplaceDlg::accept() {
    SaveData();
    QDialog::accept();
}

void CReplaceDlg::OnReplaceAll() {
    SaveData();
    done(IDC_REPLACE_ALL);
}
