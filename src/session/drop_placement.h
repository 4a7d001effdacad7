// Where dropped PC files and folders, and New File paths, may go on the device. Module
// information files (".mif") live only at the device root and a module's folder becomes a
// root-level directory, so these rules keep that layout intact. Plain functions over plain data.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "report/app_messages.h"
#include "modules/pc_search.h"
#include "session/item_kind.h"

enum class DropAction {
    refuse,         // report `refusal`, send nothing
    copyFile,       // CopyFileToDevice to devicePath
    copyDirectory,  // CopyDirectoryToDevice to devicePath
    loadModule,     // LoadModule with moduleName
};

struct CDropPlan {
    DropAction action = DropAction::refuse;
    AppMessage refusal = msgSuccess;
    std::string devicePath;       // where the item lands
    std::string moduleName;       // loadModule only
    bool marksModulesStale = false;
    AppMessage failure = msgSuccess;  // path message reported when the copy fails
};

// The target directory of a drop: the node's device path with a trailing "/".
std::string DropTargetDirectory(const std::string& nodePath);

// The PC path's last component (file or folder name), trailing "/" ignored.
std::string PcBaseName(const std::string& pcPath);

// The plan for one dropped item. mifCount and mifName (the one ".mif" file's name, extension
// included) describe a folder's content and are ignored for files.
CDropPlan PlanDrop(const std::string& pcPath, bool isDirectory, MifCount mifCount,
                   const std::string& mifName, const std::string& targetDirectory,
                   bool targetIsTop);

// New File's placement check on a dialog-form device path: 0 when allowed, else the refusal.
// `.mif` is matched without regard to case, as everywhere else.
AppMessage CheckNewFilePlacement(const std::string& devicePath, bool containingNodeIsTop);

// New File's device path: a dialog-form path that ends in "/" names a directory, and the PC
// file's name (PcBaseName) is added to it.
std::string CompleteNewFilePath(const std::string& pcFile, const std::string& devicePath);

// Which node a drop onto the list goes to, from the kinds of the selected rows.
enum class ListDropTarget { selectedNode, selectedRowDirectory, ignore };
ListDropTarget ListDropTargetFor(const std::vector<ItemKind>& selectedRows);

// The containing directory of a dialog-form path: up to its last "/", "/" when that is empty.
std::string ContainingDirectory(const std::string& path);
