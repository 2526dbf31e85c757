#include "CGoToLineDlg.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "DialogUnits.h"
#include "Platform.h"

CGoToLineDlg::CGoToLineDlg(Platform* platform, int maxLine, QWidget* parent)
    : QDialog(parent), m_pPlatform(platform), m_nMaxLine(maxLine) {
    setWindowTitle("Go To Line");
    QFont font("Arial");
    font.setPointSize(10);
    setFont(font);
    auto* label = new QLabel("Line Number:", this);
    m_pLineEdit = new QLineEdit(this);
    m_pLineEdit->setObjectName(QString::number(IDC_LINE_NUMBER));
    m_pLineEdit->setMinimumWidth(DialogUnitsX(*this, 82));
    label->setBuddy(m_pLineEdit);
    auto* cancel = new QPushButton("Cancel", this);
    cancel->setObjectName(QString::number(2));
    auto* ok = new QPushButton("OK", this);
    ok->setObjectName(QString::number(1));
    for (QPushButton* button : {cancel, ok}) {
        button->setAutoDefault(false);
        button->setMinimumWidth(DialogUnitsX(*this, 50));
    }
    ok->setDefault(true);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(ok, &QPushButton::clicked, this, &CGoToLineDlg::accept);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cancel);
    buttons->addWidget(ok);
    buttons->addStretch();
    auto* grid = new QGridLayout(this);
    grid->addWidget(label, 0, 0);
    grid->addWidget(m_pLineEdit, 0, 1);
    grid->addLayout(buttons, 1, 0, 1, 2);
    grid->setSizeConstraint(QLayout::SetFixedSize);
    m_pLineEdit->setFocus();
}

void CGoToLineDlg::SetLine(int line) {
    m_nLine = line;
    m_pLineEdit->setText(QString::number(line));
    m_pLineEdit->selectAll();
}

bool CGoToLineDlg::SaveData() {
    bool isNumber = false;
    const int line = m_pLineEdit->text().trimmed().toInt(&isNumber, 10);
    QString refusal;
    if (!isNumber)
        refusal = kNotInteger;
    else if (line < 1 || line > m_nMaxLine)
        refusal = QString(kOutOfRange).arg(1).arg(m_nMaxLine);
    if (refusal.isEmpty()) {
        m_nLine = line;
        return true;
    }
    if (m_pPlatform != nullptr)
        m_pPlatform->MessageBox(refusal, MB_OK | MB_ICONEXCLAMATION);
    m_pLineEdit->setFocus();
    m_pLineEdit->selectAll();
    return false;
}

void CGoToLineDlg::accept() {
    if (SaveData())
        QDialog::accept();
}
