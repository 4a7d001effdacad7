// The window's menus, toolbar, accelerators and status-bar prompts as data. The frame builds its
// widgets from these tables; tests read them to check every item.
#pragma once

#include <string>
#include <vector>

constexpr const char* applicationTitle = "ORLEY v1.0";
constexpr const char* idlePromptText = "Ready";

struct CMenuItem {
    int id = 0;                       // 0 with no text: separator; 0 with a submenu: pop-up
    const char* text = nullptr;
    std::vector<CMenuItem> submenu;

    bool IsSeparator() const { return id == 0 && submenu.empty(); }
};

// The main menu's top-level pop-ups in order: "&File", "&Module", "&View", "&Device", "&Help".
const std::vector<CMenuItem>& MainMenu();

// The tree's context menu, and the list's for each kind of selection (see ListContextMenuFor).
const std::vector<CMenuItem>& TreeContextMenu();
const std::vector<CMenuItem>& ListContextMenuItems(int menuId);

// The toolbar's buttons in order; 0 is a separator.
const std::vector<int>& ToolbarCommands();

struct CAccelerator {
    const char* keys;  // in the portable key-sequence form, e.g. "Shift+F6"
    int id;
};
const std::vector<CAccelerator>& Accelerators();

// The prompt of a command ("status text\ntooltip"), or nullptr when it has none.
const char* CommandPrompt(int id);

// The part of a prompt before its "\n" (the status-bar text) and after it (the tooltip).
std::string PromptStatusText(const char* prompt);
std::string PromptToolTip(const char* prompt);
