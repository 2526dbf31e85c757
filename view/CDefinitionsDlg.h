#pragma once

#include <QDialog>
#include <QStringList>

class QListWidget;

// Go To Definition on a name defined in several places: the places, one a row ("file:line:
// card"), the first chosen. OK, Enter or a double click goes to the chosen one.
class CDefinitionsDlg : public QDialog {
    Q_OBJECT
public:
    CDefinitionsDlg(const QString& name, const QStringList& places, QWidget* parent = nullptr);

    // The row chosen, from 0.
    [[nodiscard]] int Chosen() const;
    void Choose(int row);

private:
    QListWidget* m_pList;
};
