#pragma once

#include <functional>
#include <string>
#include <vector>

#include "StoreDocument.h"

// Records what the store asks of its document; refuses edits while `refuse` is set.
class FakeStoreDocument : public StoreDocument {
public:
    struct Message {
        std::string text;
        StoreIcon icon;
    };

    bool refuse = false;
    bool modified = false;
    int modifiedCalls = 0;
    int changingCalls = 0;
    int allowCalls = 0;
    int beeps = 0;
    int waitDepth = 0;
    int waitShown = 0;
    std::vector<Message> messages;
    std::vector<TextChange> changes;
    // Runs inside AllowEdit, as a message box's event loop would run other work.
    std::function<void()> duringAllowEdit;
    // Runs inside TextChanging, where the text must still be as it was.
    std::function<void()> duringTextChanging;

    bool AllowEdit() override {
        ++allowCalls;
        if (duringAllowEdit)
            duringAllowEdit();
        return !refuse;
    }
    void SetModifiedFlag(bool value) override {
        modified = value;
        ++modifiedCalls;
    }
    void TextChanging() override {
        ++changingCalls;
        if (duringTextChanging)
            duringTextChanging();
    }
    void TextChanged(const TextChange& change) override { changes.push_back(change); }
    void ShowMessage(std::string_view text, StoreIcon icon) override {
        messages.push_back({std::string(text), icon});
    }
    void Beep() override { ++beeps; }
    void BeginWaitCursor() override {
        ++waitDepth;
        ++waitShown;
    }
    void EndWaitCursor() override { --waitDepth; }
};
