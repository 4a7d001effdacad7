#include "session/dialog_checks.h"

#include "session/text_trim.h"

AppMessage CheckNewFileFields(const std::string& pcFile, const std::string& devicePath)
{
    if (!pcFile.empty() && devicePath.empty())
        return msgSpecifyDevicePath;
    if (pcFile.empty() && !devicePath.empty())
        return msgSpecifyPcPath;
    if (!pcFile.empty() && pcFile.back() == '/')
        return msgSpecifyValidPcFile;
    // Both empty closes too: the command itself reports the missing names.
    return msgSuccess;
}

AppMessage CheckNewDirectoryField(const std::string& directoryPath)
{
    // The command trims the path before use, so the check looks at the trimmed path too: "/a/ "
    // names no new directory either.
    const std::string path = Trim(directoryPath, anyWhiteSpace);
    if (!path.empty() && path.back() == '/')
        return msgRootAlreadyExists;
    return msgSuccess;
}

std::string WithTrailingSlash(const std::string& folder)
{
    if (!folder.empty() && folder.back() == '/')
        return folder;
    return folder + "/";
}
