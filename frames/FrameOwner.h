#pragma once

#include "CommandTarget.h"

class Platform;

// The application as the main frame sees it: the last target a command is offered to,
// and the one that decides whether the main window may close.
class FrameOwner : public CommandTarget {
public:
    // The main window is closing: offers every modified document for saving and closes
    // them all; false (the user cancelled) keeps the program running.
    virtual bool CanCloseMainFrame() = 0;
    // The seam to the window system, for the help window.
    [[nodiscard]] virtual Platform* GetPlatform() const = 0;

protected:
    ~FrameOwner() = default;
};
