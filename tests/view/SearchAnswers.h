#pragma once

// The Find and Replace dialogs answered as a user answers them, for the tests that search.

#include <deque>
#include <functional>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QStringList>

#include "CFindDlg.h"
#include "CKelvoView.h"
#include "CReplaceDlg.h"
#include "CommandIds.h"
#include "fakes/ScriptedPlatform.h"

template <class T> T* Control(QDialog& dialog, int id) {
    return dialog.findChild<T*>(QString::number(id));
}

// What the user does in a Find or Replace dialog: the fields as they leave them, and the
// button that closes it (its control id; 2 is Cancel).
struct Answer {
    QString find;
    QString replace;
    int button = 1;
    bool matchCase = false;
    bool wholeWord = false;
};

// Plays the answers in turn; records what each dialog offered in its search field.
struct User {
    std::deque<Answer> answers;
    QStringList offered;

    int operator()(QDialog& dialog) {
        auto* find = Control<QLineEdit>(dialog, CFindDlg::IDC_FIND_WHAT);
        offered << (find != nullptr ? find->text() : QString());
        const Answer answer = answers.front();
        answers.pop_front();
        if (find != nullptr)
            find->setText(answer.find);
        if (auto* replace = Control<QLineEdit>(dialog, CReplaceDlg::IDC_REPLACE_WITH))
            replace->setText(answer.replace);
        if (auto* check = Control<QCheckBox>(dialog, CFindDlg::IDC_MATCH_CASE))
            check->setChecked(answer.matchCase);
        if (auto* check = Control<QCheckBox>(dialog, CFindDlg::IDC_WHOLE_WORD))
            check->setChecked(answer.wholeWord);
        dialog.findChild<QPushButton*>(QString::number(answer.button))->click();
        return dialog.result();
    }
};

inline Answer Forward(const QString& text) {
    return {text, QString(), 1};
}
inline Answer Back(const QString& text) {
    return {text, QString(), CFindDlg::IDC_FIND_BACK};
}
inline Answer ReplaceAll(const QString& text, const QString& by) {
    return {text, by, CReplaceDlg::IDC_REPLACE_ALL};
}

// Runs a Find or Replace dialog in the view, answered so.
inline void RunSearch(ScriptedPlatform& platform, CKelvoView& view, const Answer& answer) {
    User user{{answer}, {}};
    platform.runDialog = std::ref(user);
    view.OnCommand(answer.replace.isNull() ? ID_EDIT_FIND : ID_EDIT_REPLACE);
    platform.runDialog = nullptr;
}
