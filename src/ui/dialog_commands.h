// The window's commands that run a dialog against the session: New File, New Directory, New
// Module, Delete Module and Copy File from Phone. It keeps the dialogs that hold what was typed
// into them for the window's life, and the Module List that fills the list. The tree hands in its
// selection (the selected folder, nullptr when none, and the list's selected rows) and shows
// what a command created through the callbacks it gives.
#pragma once

#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "session/device_session.h"

class QWidget;
class CTarlo32View;
class CNewFileDialog;
class CNewModuleDialog;
class CCopyFromPhoneDialog;

class CDialogCommands {
public:
    // namesTop: whether a dialog-form directory path names the top node. showCreated: lists the
    // directory of a created dialog-form path again and selects its node.
    CDialogCommands(QWidget* parent, CDeviceSession& session,
                    std::function<bool(const std::string&)> namesTop,
                    std::function<void(const std::string&)> showCreated);
    ~CDialogCommands();

    // New File and New Directory start from the directory the selection names.
    void NewFile(const CDeviceFolder* selected, const std::vector<CListRow>& rows);
    void NewDirectory(const CDeviceFolder* selected, const std::vector<CListRow>& rows);
    void CopyFromDevice(const CDeviceFolder* selected, const std::vector<CListRow>& rows);
    bool NewModule();  // true when the root needs a refresh
    // Module > Delete preset with the list's one selected row; true when the root needs a refresh.
    bool DeleteModule(CTarlo32View* list);
    // Module > List into list (the root's rows serve while topSelected); selectTop selects the
    // top node between building the cache and showing it.
    void ModuleList(CTarlo32View* list, bool topSelected, const std::function<void()>& selectTop);

private:
    QWidget* parent_;
    CDeviceSession& session_;
    std::function<bool(const std::string&)> namesTop_;
    std::function<void(const std::string&)> showCreated_;
    std::unique_ptr<CNewFileDialog> newFileDialog_;
    std::unique_ptr<CNewModuleDialog> newModuleDialog_;
    std::unique_ptr<CCopyFromPhoneDialog> copyFromPhoneDialog_;
};
