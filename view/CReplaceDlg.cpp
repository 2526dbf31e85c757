#include "CReplaceDlg.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "DialogUnits.h"

const QString CReplaceDlg::kFollowUps = "\"Find Again\"\t\tCtrl+Shift+F\r\n"
                                        "\"Replace & Find Again\"\tCtrl+Shift+R\r\n"
                                        "\"Replace & Stop\"\tCtrl+T";

CReplaceDlg::CReplaceDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle("Replace");
    auto* findLabel = new QLabel("Find What:", this);
    m_pFindEdit = new QLineEdit(this);
    m_pFindEdit->setObjectName(QString::number(IDC_FIND_WHAT));
    m_pFindEdit->setMinimumWidth(DialogUnitsX(*this, 179));
    findLabel->setBuddy(m_pFindEdit);
    auto* replaceLabel = new QLabel("Replace with:", this);
    m_pReplaceEdit = new QLineEdit(this);
    m_pReplaceEdit->setObjectName(QString::number(IDC_REPLACE_WITH));
    replaceLabel->setBuddy(m_pReplaceEdit);
    m_pWholeWordCheck = new QCheckBox("Match &Whole Word", this);
    m_pWholeWordCheck->setObjectName(QString::number(IDC_WHOLE_WORD));
    m_pMatchCaseCheck = new QCheckBox("Match &Case", this);
    m_pMatchCaseCheck->setObjectName(QString::number(IDC_MATCH_CASE));

    auto* cancel = new QPushButton("Cancel", this);
    cancel->setObjectName(QString::number(2));
    auto* all = new QPushButton("Replace &All", this);
    all->setObjectName(QString::number(IDC_REPLACE_ALL));
    auto* next = new QPushButton("&Find Next", this);
    next->setObjectName(QString::number(1));
    for (QPushButton* button : {cancel, all, next}) {
        button->setAutoDefault(false);
        button->setMinimumWidth(DialogUnitsX(*this, 43));
    }
    next->setDefault(true);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(all, &QPushButton::clicked, this, &CReplaceDlg::OnReplaceAll);
    connect(next, &QPushButton::clicked, this, &CReplaceDlg::accept);

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
    fields->addWidget(findLabel, 0, 0);
    fields->addWidget(m_pFindEdit, 0, 1);
    fields->addWidget(replaceLabel, 1, 0);
    fields->addWidget(m_pReplaceEdit, 1, 1);
    auto* checks = new QVBoxLayout;
    checks->addWidget(m_pWholeWordCheck);
    checks->addWidget(m_pMatchCaseCheck);
    auto* middle = new QHBoxLayout;
    middle->addLayout(checks);
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

void CReplaceDlg::SetFindText(const QString& text) {
    m_strFind = text;
    m_pFindEdit->setText(text);
    m_pFindEdit->selectAll();
}

void CReplaceDlg::SetReplaceWith(const QString& text) {
    m_strReplaceWith = text;
    m_pReplaceEdit->setText(text);
}

void CReplaceDlg::SetMatchCase(bool on) {
    m_bMatchCase = on;
    m_pMatchCaseCheck->setChecked(on);
}

void CReplaceDlg::SetWholeWord(bool on) {
    m_bWholeWord = on;
    m_pWholeWordCheck->setChecked(on);
}

void CReplaceDlg::SaveData() {
    m_bMatchCase = m_pMatchCaseCheck->isChecked();
    m_bWholeWord = m_pWholeWordCheck->isChecked();
    m_strReplaceWith = m_pReplaceEdit->text();
    m_strFind = m_pFindEdit->text();
}

void CReplaceDlg::accept() {
    SaveData();
    QDialog::accept();
}

void CReplaceDlg::OnReplaceAll() {
    SaveData();
    done(IDC_REPLACE_ALL);
}
