#pragma once

#include <vector>

#include <QKeySequence>
#include <QString>

#include "CommandIds.h"

// One command: its menu text (with its '&'), its accelerators (the menu shows the first
// beside the text, so a shortcut is written only here), its "prompt\ntip" (status-bar
// prompt, then tool tip) and toolbar icon.
struct CommandInfo {
    int id;
    const char* menuText;
    std::vector<QKeySequence> keys;
    const char* prompt;
    const char* icon; // resource path, or null
};

const std::vector<CommandInfo>& Commands();
const CommandInfo* FindCommand(int id);

// A menu of the menu bar: its title and item ids, 0 for a separator.
struct MenuInfo {
    const char* title;
    std::vector<int> items;
};

// The menu bar with a document window active, and with none.
const std::vector<MenuInfo>& DocumentMenus();
const std::vector<MenuInfo>& EmptyMenus();
// The toolbar's 25 slots, 0 for a separator.
const std::vector<int>& ToolbarSlots();

// The parts of a "prompt\ntip" text.
QString PromptOf(const CommandInfo& command);
QString TipOf(const CommandInfo& command);
