// The checks the New File and New Directory dialogs make when OK is pressed. Each returns 0 when
// the dialog may close, else the message to report while the dialog stays open.
#pragma once

#include <string>

#include "report/app_messages.h"

AppMessage CheckNewFileFields(const std::string& pcFile, const std::string& devicePath);
AppMessage CheckNewDirectoryField(const std::string& directoryPath);

// A folder as the folder picker hands it back: its path with one trailing "/".
std::string WithTrailingSlash(const std::string& folder);
