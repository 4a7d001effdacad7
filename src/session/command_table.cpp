#include "session/command_table.h"

#include <cstring>

#include "session/command_ids.h"
#include "session/menu_rules.h"

namespace {

CMenuItem Separator()
{
    return CMenuItem{};
}

CMenuItem Item(int id, const char* text)
{
    return CMenuItem{id, text, {}};
}

CMenuItem Popup(const char* text, std::vector<CMenuItem> items)
{
    return CMenuItem{0, text, std::move(items)};
}

struct CPrompt {
    int id;
    const char* text;
};

const CPrompt prompts[] = {
    {cmdDeviceReset, "Reset device\nReset device"},
    {cmdDeviceOffline, "Put device in offline mode\nPut device offline"},
    {cmdNewFile, "Download a file to device\nDownload file"},
    {cmdNewDirectory, "Download a directory to device\nDownload directory"},
    {cmdDelete, "Delete selected file or directory from device\nDelete"},
    {cmdDeviceConnect, "Connect to device \nConnect to device "},
    {cmdModuleList, "List files stored on device\nList Files"},
    {cmdModuleDelete, "Delete a file from device\nDelete Files"},
    {cmdModuleNew, "Download a file to device\nDownload Files"},
    {cmdCopyFromDevice, "Save a copy of selected file locally\nSave file locally"},
    {cmdActualSize, "Show actual size of items\nActual size"},
    {cmdAllocatedSize, "Show allocated size of items\nAllocated size"},
    {cmdViewSmallIcons, "Display items by using small icons\nSmall icons"},
    {cmdViewLargeIcons, "Display items by using large icons\nLarge icons"},
    {cmdViewList, "Display items in a list\nList"},
    {cmdViewDetails, "Display detailed information about each item in the window\nDetails"},
};

}  // namespace

const std::vector<CMenuItem>& MainMenu()
{
    static const std::vector<CMenuItem> menu = {
        Popup("&File", {Popup("&New", {Item(cmdNewFile, "&File..."),
                                       Item(cmdNewDirectory, "&Directory...")}),
                        Item(cmdCopyFromDevice, "&Copy from Device..."), Item(cmdDelete, "&Delete"),
                        Separator(), Item(cmdAppExit, "E&xit")}),
        Popup("&Module", {Item(cmdModuleNew, "&New..."), Item(cmdModuleDelete, "&Delete..."),
                          Item(cmdModuleList, "&List")}),
        Popup("&View",
              {Item(cmdViewToolbar, "&Toolbar"), Item(cmdViewStatusBar, "&Status Bar"),
               Separator(), Item(cmdViewLargeIcons, "Lar&ge Icons"),
               Item(cmdViewSmallIcons, "S&mall Icons"), Item(cmdViewList, "&List"),
               Item(cmdViewDetails, "&Details"), Separator(), Item(cmdActualSize, "&Actual Size"),
               Item(cmdAllocatedSize, "A&llocated Size")}),
        Popup("&Device", {Item(cmdDeviceConnect, "&Connect..."), Item(cmdDeviceReset, "&Reset"),
                          Item(cmdDeviceOffline, "&Offline")}),
        Popup("&Help", {Item(cmdAppAbout, "&About ORLEY...")}),
    };
    return menu;
}

const std::vector<CMenuItem>& TreeContextMenu()
{
    static const std::vector<CMenuItem> menu = {
        Popup("New", {Item(cmdNewFile, "&File..."), Item(cmdNewDirectory, "&Directory..."),
                      Item(cmdModuleNew, "&Module...")}),
        Item(cmdDelete, "&Delete"),
        Popup("View", {Item(cmdViewLargeIcons, "Lar&ge Icons"),
                       Item(cmdViewSmallIcons, "S&mall Icons"), Item(cmdViewList, "&LIst"),
                       Item(cmdViewDetails, "&Details"), Item(cmdActualSize, "&Actual Size"),
                       Item(cmdAllocatedSize, "A&llocated Size")}),
    };
    return menu;
}

const std::vector<CMenuItem>& ListContextMenuItems(int menuId)
{
    static const std::vector<CMenuItem> noRows = {
        Popup("New", {Item(cmdNewFile, "&File..."), Item(cmdNewDirectory, "&Directory..."),
                      Item(cmdModuleNew, "&Module...")}),
        Popup("View", {Item(cmdViewLargeIcons, "Lar&ge Icons"),
                       Item(cmdViewSmallIcons, "S&mall Icons"), Item(cmdViewList, "&List"),
                       Item(cmdViewDetails, "&Details"), Item(cmdActualSize, "&Actual Size"),
                       Item(cmdAllocatedSize, "A&llocated Size")}),
    };
    static const std::vector<CMenuItem> oneFile = {
        Item(cmdCopyFromDevice, "&Copy from Device..."), Item(cmdDelete, "&Delete")};
    static const std::vector<CMenuItem> oneFolder = {
        Popup("New", {Item(cmdNewFile, "&File..."), Item(cmdNewDirectory, "&Directory...")}),
        Item(cmdDelete, "&Delete")};
    static const std::vector<CMenuItem> severalRows = {Item(cmdDelete, "&Delete")};
    switch (menuId) {
    case listMenuNoRows:
        return noRows;
    case listMenuOneFileRow:
        return oneFile;
    case listMenuOneFolderRow:
        return oneFolder;
    default:
        return severalRows;
    }
}

const std::vector<int>& ToolbarCommands()
{
    static const std::vector<int> buttons = {
        cmdDeviceConnect, 0, cmdDeviceReset, 0, cmdDeviceOffline, 0, cmdModuleList, 0,
        cmdViewLargeIcons, cmdViewSmallIcons, cmdViewList, cmdViewDetails};
    return buttons;
}

const std::vector<CAccelerator>& Accelerators()
{
    static const std::vector<CAccelerator> keys = {
        {"F6", cmdNextPane},          {"Shift+F6", cmdPrevPane},
        {"Ctrl+C", cmdEditCopy},      {"Ctrl+Ins", cmdEditCopy},
        {"Ctrl+V", cmdEditPaste},     {"Shift+Ins", cmdEditPaste},
        {"Ctrl+X", cmdEditCut},       {"Ctrl+Z", cmdEditUndo},
    };
    return keys;
}

const char* CommandPrompt(int id)
{
    for (const CPrompt& prompt : prompts) {
        if (prompt.id == id)
            return prompt.text;
    }
    return nullptr;
}

std::string PromptStatusText(const char* prompt)
{
    if (!prompt)
        return {};
    const char* newline = std::strchr(prompt, '\n');
    return newline ? std::string(prompt, newline) : std::string(prompt);
}

std::string PromptToolTip(const char* prompt)
{
    if (!prompt)
        return {};
    const char* newline = std::strchr(prompt, '\n');
    return newline ? std::string(newline + 1) : std::string();
}
