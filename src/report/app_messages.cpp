#include "report/app_messages.h"

#include <array>
#include <cstddef>

namespace {

// clang-format off
constexpr std::array<const char*, appMessageCount> messageTable = {
    "Operation was successful",  // 0
    "Load VANT Module on the device was successful",  // 1
    "Delete VANT module from the device was successful",  // 2
    "User stopped load VANT module operation",  // 3
    "User stopped copy file from device operation",  // 4
    "Error - Memory allocation failure. Exiting...",  // 5
    "Error - Could not get system images",  // 6
    "Please select a valid port",  // 7
    "User did not select any input",  // 8
    "Error - NULL argument(s) passed",  // 9
    "Error - Invalid argument(s) passed",  // 10
    "Error - Invalid port handle passed. Please make sure to connect to the device first",  // 11
    "Error - Could not get handle to right pane (list view) window",  // 12
    "Error - Could not get handle to left pane (directory tree view) window",  // 13
    "Error - File name was not specified",  // 14
    "Error - Directory was not specified",  // 15
    "Error - Module name was not specified",  // 16
    "Error - Either device file name or PC file name was not specified",  // 17
    "Error - Either device file name or destination PC directory was not specified",  // 18
    "Error - Either module directory or module name was not specified",  // 19
    "Error - Could not detect specified port",  // 20
    "Error - Could not open the specified port",  // 21
    "Error - Could not detect any device on the specified port",  // 22
    "Error - Attached device on specified port is not supported",  // 23
    "Error - Attached device on specified port does not appear to support EFS",  // 24
    "Error - Attached device on specified port has unrecongnized memory configuration",  // 25
    "Error - EFS on the device is full. No space left ...",  // 26
    "Error - Not enough space on the device EFS for copying specified Module from PC",  // 27
    "Error - Not enough space on the device EFS for copying specified Directory from PC",  // 28
    "Error - Not enough space on the device EFS for copying File(s) from PC",  // 29
    "Error - MIF files are allowed to be copied only at the root level on the device",  // 30
    "Error - Only MIF files are allowed to be copied at the root level on the device",  // 31
    "Error - Modules are allowed to be copied only at the root level on the device",  // 32
    "Error - Invalid module name specified",  // 33
    "Error - Invalid directory name specified. Please check the path",  // 34
    "There is no VANT module stored on the device",  // 35
    "Error - Could not read file from the device",  // 36
    "Error - Could not read the device EFS",  // 37
    "Error - Could not read the device EFS to determine currently loaded VANT modules",  // 38
    "Error - No item was selected",  // 39
    "Error - Unable to load context menu",  // 40
    "Error - Could not open file from PC",  // 41
    "Error - Could not read file from PC",  // 42
    "Error - Could not write to the PC file",  // 43
    "Error - No MIF file found in the specified PC directory",  // 44
    "Error - More than one .mif file found in the specified PC directory",  // 45
    "Error - No MOD file found in the specified PC directory",  // 46
    "Error - More than one .mod file found in the specified PC directory",  // 47
    "Error - No SIG file found in the specified PC directory",  // 48
    "Error - More than one .sig file found in the specified PC directory",  // 49
    "Error - .mod file and .sig file in the specified PC directory have different names",  // 50
    "Error - Could not find module's mif file",  // 51
    "Error - Could not find module's directory",  // 52
    "Error - Invalid module name specified. Please check the name",  // 53
    "Error - Could not remove file from the device",  // 54
    "Error - Could not remove module's .mif file from the device",  // 55
    "Error - Could not remove directory from the device",  // 56
    "Error - Could not remove directory tree from the device",  // 57
    "Error - Could not remove VANT module from the device",  // 58
    "Error - You are not allowed to delete the VANT root directory",  // 59
    "Error - Download of file(s) to the device failed",  // 60
    "Error - Could not copy file to the device",  // 61
    "Error - Could not copy module's .mif file to the device",  // 62
    "Error - MIF file with the same name already exists on the device. Please delete existing module from the device first",  // 63
    "Error - Could not copy directory to the device",  // 64
    "Error - Could not copy module to the device",  // 65
    "Error - Load pending operation failed",  // 66
    "Load pending operation was successful",  // 67
    "Error - Could not put the device in offline mode",  // 68
    "Error - Could not put the device in online mode",  // 69
    "Device is now offline",  // 70
    "Device is now online",  // 71
    "Error - Could not retrieve EFS memory usage/ availability information",  // 72
    "",  // 73: reserved, never reported
    "Error in creating directory on the device \nPlease check the path.\n\nDo you want to try again?",  // 74
    "Error in copying file on the device \nPlease check the path(s).\n\nDo you want to try again?",  // 75
    "You are currently connected to a device. \nDo you wish to connect to a different device?",  // 76
    "This is the root directory and it already exists\nYou cannot create this directory",  // 77
    "Please specify the device pathName\\fileName",  // 78
    "Please specify a pathName\\fileName on the PC hard disk",  // 79
    "Please specify a valid filename on the PC hard disk",  // 80
    "Retrieving directory and file information from the\ndevice's embedded file system. Please wait .....",  // 81
    "Deleting files from the device. Please wait .....",  // 82
    "Copying files to the device. Please wait .....",  // 83
    "Creating directory on the device. Please wait .....",  // 84
    "Constructing list of modules stored on the device\nPlease wait .....",  // 85
    "Updating view. Please wait .....",  // 86
    "Resetting the device. Please wait .....",  // 87
    "Putting the device in offline mode.\nPlease wait .....",  // 88
    "Doing housekeeping on the device.\nPlease wait .....",  // 89
    "Are you sure you want to delete directory:\n",  // 90
    "User stopped copy file to device operation",  // 91
    "User stopped delete operation",  // 92
};
// clang-format on

}  // namespace

const char* AppMessageText(AppMessage code)
{
    if (code < 0 || code >= appMessageCount)
        return nullptr;
    return messageTable[static_cast<size_t>(code)];
}
