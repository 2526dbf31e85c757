#pragma once

#include <cstddef>
#include <optional>

// A command's state as its update rule leaves it: enabled unless the rule says otherwise,
// checked only when the rule says so.
struct CommandUpdate {
    explicit CommandUpdate(int command) : id(command) {}

    const int id;
    bool enabled = true;
    std::optional<bool> checked;

    void Enable(bool on) { enabled = on; }
    void SetCheck(bool on) { checked = on; }
};

// A class with its own map of commands. The main frame asks the targets in turn (the
// active view, its document, the active child frame, the main frame, the application);
// the first one whose map holds the id handles it.
class CommandTarget {
public:
    // Runs the command: false when the id is not in this target's map.
    virtual bool OnCommand(int id) = 0;
    // Sets the command's state: false when the id is not in this target's map. A command
    // in the map without an update rule is enabled.
    virtual bool OnUpdateCommand(CommandUpdate& update) = 0;

protected:
    ~CommandTarget() = default;
};

// One entry of a class's map: the command and its handler, with an update rule or null.
template <class T> struct CommandEntry {
    int id;
    void (T::*handler)();
    void (T::*update)(CommandUpdate&);
};

// The lookups every target's map shares.
template <class T, std::size_t N>
bool DispatchCommand(T* target, const CommandEntry<T> (&map)[N], int id) {
    for (const CommandEntry<T>& entry : map) {
        if (entry.id == id) {
            (target->*entry.handler)();
            return true;
        }
    }
    return false;
}

template <class T, std::size_t N>
bool DispatchUpdate(T* target, const CommandEntry<T> (&map)[N], CommandUpdate& update) {
    for (const CommandEntry<T>& entry : map) {
        if (entry.id == update.id) {
            if (entry.update != nullptr)
                (target->*entry.update)(update);
            return true;
        }
    }
    return false;
}
