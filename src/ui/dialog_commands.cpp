#include "ui/dialog_commands.h"

#include "report/reporter.h"
#include "session/node_paths.h"
#include "session/size_display_mode.h"
#include "ui/copy_to_device_dialogs.h"
#include "ui/device_command_dialogs.h"
#include "ui/list_view.h"
#include "ui/wait_dialog.h"

namespace {

// The directory the selection names in dialog form: the selected folder, or its one selected
// directory or module row; nullopt when nothing is selected.
std::optional<QString> PresetOf(const CDeviceFolder* selected, const std::vector<CListRow>& rows)
{
    if (selected == nullptr)
        return std::nullopt;
    std::string path = DialogFormOf(selected->path);
    if (rows.size() == 1 && rows.front().kind != ItemKind::file)
        path += rows.front().name + "/";
    return QString::fromStdString(path);
}

}  // namespace

CDialogCommands::CDialogCommands(QWidget* parent, CDeviceSession& session,
                                 std::function<bool(const std::string&)> namesTop,
                                 std::function<void(const std::string&)> showCreated)
    : parent_(parent), session_(session), namesTop_(std::move(namesTop)),
      showCreated_(std::move(showCreated))
{
}

// Out of line: the dialogs are complete types here.
CDialogCommands::~CDialogCommands() = default;

void CDialogCommands::NewFile(const CDeviceFolder* selected, const std::vector<CListRow>& rows)
{
    const std::optional<QString> preset = PresetOf(selected, rows);
    if (!newFileDialog_)
        newFileDialog_ = std::make_unique<CNewFileDialog>(parent_);
    if (preset)
        newFileDialog_->SetDevicePath(*preset);
    RunNewFileDialog(*newFileDialog_, [this](const std::string& pcFile, const std::string& path) {
        const DialogStep step = session_.NewFile(pcFile, path, namesTop_(path));
        if (step == DialogStep::done)
            showCreated_(path);
        return step;
    });
}

void CDialogCommands::NewDirectory(const CDeviceFolder* selected,
                                   const std::vector<CListRow>& rows)
{
    CNewDirectoryDialog dialog(parent_);
    dialog.SetDirectoryPath(PresetOf(selected, rows).value_or(QString()));
    RunNewDirectoryDialog(dialog, [this](const std::string& typed, std::string& path) {
        const DialogStep step = session_.NewDirectory(typed, path);
        if (step == DialogStep::done) {
            CWaitScope wait(msgCreatingDirectory);
            showCreated_(path);
        }
        return step;
    });
}

bool CDialogCommands::NewModule()
{
    if (!newModuleDialog_)
        newModuleDialog_ = std::make_unique<CNewModuleDialog>(parent_);
    return RunNewModuleDialog(*newModuleDialog_, session_);
}

bool CDialogCommands::DeleteModule(CTarlo32View* list)
{
    if (list == nullptr) {
        ReportAppMessage(msgNoListPane);
        return false;
    }
    const std::vector<int> rows = list->SelectedRows();
    const QString name = rows.size() == 1 ? list->Text(rows.front(), columnName) : QString();
    return RunDeleteModuleDialog(parent_, name, session_);
}

void CDialogCommands::ModuleList(CTarlo32View* list, bool topSelected,
                                 const std::function<void()>& selectTop)
{
    if (session_.Link() == nullptr || list == nullptr) {
        ReportAppMessage(session_.Link() == nullptr ? msgInvalidPortHandle : msgNoListPane);
        return;
    }
    CWaitScope wait(msgBuildingModuleList);
    if (session_.ModuleCache().stale &&
        session_.RebuildModuleCache(topSelected, SizeDisplayMode))
        list->SetMode(ViewMode::details);
    selectTop();
    list->ShowModules(session_.ModuleCache().modules, EfsStatsAvailable);
}

void CDialogCommands::CopyFromDevice(const CDeviceFolder* selected,
                                     const std::vector<CListRow>& rows)
{
    if (!copyFromPhoneDialog_)
        copyFromPhoneDialog_ = std::make_unique<CCopyFromPhoneDialog>(parent_);
    std::optional<std::string> preset;
    if (session_.CopyFromDevicePreset(selected, rows, preset))
        RunCopyFromDeviceDialog(*copyFromPhoneDialog_, preset, session_);
}
