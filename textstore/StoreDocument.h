#pragma once

#include <string_view>

#include "TextChange.h"

enum class StoreIcon { None, Exclamation, Stop };

// What the store needs of the document that owns it. The document implements it; tests
// use a recording fake that can refuse edits.
class StoreDocument {
public:
    virtual ~StoreDocument() = default;

    // May question the user; false refuses the edit.
    virtual bool AllowEdit() = 0;
    virtual void SetModifiedFlag(bool modified) = 0;
    // Right before a step changes the text (allowed, with the text still as it was): what
    // holds on to a stretch of the text to read later takes its own copy from here.
    virtual void TextChanging() = 0;
    // After every change of the text, before the edit returns: whoever shows the text
    // brings itself up to date from here, whichever of them asked for the change.
    virtual void TextChanged(const TextChange& change) = 0;
    // A message box owned by the main window, with the application's title as caption and
    // an OK button.
    virtual void ShowMessage(std::string_view text, StoreIcon icon) = 0;
    virtual void Beep() = 0;
    virtual void BeginWaitCursor() = 0;
    virtual void EndWaitCursor() = 0;
};

// Shows the wait cursor for as long as it lives.
class WaitCursorScope {
public:
    explicit WaitCursorScope(StoreDocument* document) : m_document(document) {
        if (m_document)
            m_document->BeginWaitCursor();
    }
    ~WaitCursorScope() {
        if (m_document)
            m_document->EndWaitCursor();
    }
    WaitCursorScope(const WaitCursorScope&) = delete;
    WaitCursorScope& operator=(const WaitCursorScope&) = delete;

private:
    StoreDocument* m_document;
};
