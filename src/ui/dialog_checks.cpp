#include "ui/dialog_checks.h"

namespace {

std::string Trim(const std::string& text)
{
    const char* blanks = " \t\r\n\v\f";
    const auto first = text.find_first_not_of(blanks);
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

}  // namespace

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
    const std::string path = Trim(directoryPath);
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
