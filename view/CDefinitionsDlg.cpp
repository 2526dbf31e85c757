#include "CDefinitionsDlg.h"

#include <algorithm>

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

#include "DialogUnits.h"

CDefinitionsDlg::CDefinitionsDlg(const QString& name, const QStringList& places, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle("Go To Definition");
    auto* label =
        new QLabel(QString("%1 is defined in %2 places:").arg(name).arg(places.size()), this);
    label->setTextFormat(Qt::PlainText);
    m_pList = new QListWidget(this);
    m_pList->addItems(places);
    m_pList->setMinimumWidth(DialogUnitsX(*this, 300));
    label->setBuddy(m_pList);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_pList, &QListWidget::itemActivated, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(m_pList);
    layout->addWidget(buttons);
    Choose(0);
    m_pList->setFocus();
}

int CDefinitionsDlg::Chosen() const {
    return std::max(0, m_pList->currentRow());
}

void CDefinitionsDlg::Choose(int row) {
    m_pList->setCurrentRow(row);
}
