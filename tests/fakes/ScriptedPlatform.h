#pragma once

#include <deque>

#include <QDialog>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "Platform.h"

// Answers the program's questions from a script and records what was asked. An
// unscripted message box is answered with its first button (OK or Yes).
class ScriptedPlatform : public Platform {
public:
    struct Shown {
        QString text;
        int style;
    };
    struct FontAnswer {
        LogFont font;
        QColor colour;
    };

    std::deque<int> answers;
    std::deque<QString> openNames;
    std::deque<QString> saveNames;
    std::deque<std::optional<FontAnswer>> fontAnswers;
    // The print dialog's answers: Cancel (nullopt), or printing with the Selection range
    // kept (true) or not. Unscripted: Cancel. What was offered is recorded.
    std::deque<std::optional<bool>> printAnswers;
    std::vector<bool> selectionOffered;
    std::vector<int> previewPagesShown;
    std::deque<bool> printSetupAnswers;
    int printSetups = 0;
    // How each of the program's dialogs ends; unscripted: Rejected (Escape).
    std::deque<int> dialogAnswers;
    std::vector<QString> dialogsRun; // their captions
    // When set, plays the user on each dialog (fills its fields, presses its buttons) in
    // place of the script; what it returns is how the dialog ended.
    std::function<int(QDialog&)> runDialog;

    // The suite's block, in this process's memory, exactly its size: a read past its end is
    // one the sanitizers see. Null from OpenShareMapping while shareFails is set; lost (as
    // if cut short) while shareLost is.
    std::vector<unsigned char> shareBlock;
    bool shareFails = false;
    bool shareLost = false;

    // Runs while each message box is open, as the work a real one's loop does meanwhile.
    std::function<void()> whileAsking;

    std::vector<Shown> shown;
    std::vector<FileName> saveSuggestions;
    int beeps = 0;
    int waitDepth = 0;

    int MessageBox(const QString& text, int style) override {
        shown.push_back({text, style});
        if (whileAsking)
            whileAsking();
        if (!answers.empty()) {
            const int answer = answers.front();
            answers.pop_front();
            return answer;
        }
        return (style & 0x0f) == MB_YESNO || (style & 0x0f) == MB_YESNOCANCEL ? IDYES : IDOK;
    }
    void Beep() override { ++beeps; }
    void BeginWaitCursor() override { ++waitDepth; }
    void EndWaitCursor() override { --waitDepth; }
    QString GetOpenFileName(const FileName&) override { return Next(openNames); }
    QString GetSaveFileName(const FileName& suggested) override {
        saveSuggestions.push_back(suggested);
        return Next(saveNames);
    }
    bool PrintDialog(QPrinter&, bool offerSelection, bool& selection) override {
        selectionOffered.push_back(offerSelection);
        const std::optional<bool> answer =
            printAnswers.empty() ? std::nullopt : printAnswers.front();
        if (!printAnswers.empty())
            printAnswers.pop_front();
        if (!answer)
            return false;
        selection = *answer;
        return true;
    }
    // The preview paints at once, as the preview window does when it opens.
    void PrintPreview(QPrinter& printer, int pagesShown,
                      const std::function<int(QPrinter*)>& paint) override {
        previewPagesShown.push_back(pagesShown);
        paint(&printer);
    }
    bool PrintSetup(QPrinter&) override {
        ++printSetups;
        const bool answer = !printSetupAnswers.empty() && printSetupAnswers.front();
        if (!printSetupAnswers.empty())
            printSetupAnswers.pop_front();
        return answer;
    }
    // The help topics asked for, as (command, data), in order.
    std::vector<std::pair<unsigned, int>> helpShown;
    void WinHelp(int data, unsigned command) override { helpShown.emplace_back(command, data); }
    // The window that plays the help window.
    const QWidget* helpWindow = nullptr;
    bool IsHelpWindow(const QWidget* window) const override {
        return window != nullptr && window == helpWindow;
    }

    int RunDialog(QDialog& dialog) override {
        dialogsRun.push_back(dialog.windowTitle());
        if (runDialog)
            return runDialog(dialog);
        if (dialogAnswers.empty())
            return QDialog::Rejected;
        const int answer = dialogAnswers.front();
        dialogAnswers.pop_front();
        return answer;
    }
    bool ChooseFont(LogFont& font, QColor& colour) override {
        if (fontAnswers.empty() || !fontAnswers.front()) {
            if (!fontAnswers.empty())
                fontAnswers.pop_front();
            return false;
        }
        font = fontAnswers.front()->font;
        colour = fontAnswers.front()->colour;
        fontAnswers.pop_front();
        return true;
    }

    unsigned char* OpenShareMapping(std::size_t size) override {
        if (shareFails)
            return nullptr;
        shareBlock.resize(size);
        return shareBlock.data();
    }
    void CloseShareMapping() override {}
    bool ShareMappingLost() override { return shareLost; }

private:
    static QString Next(std::deque<QString>& names) {
        if (names.empty())
            return {};
        QString name = names.front();
        names.pop_front();
        return name;
    }
};
