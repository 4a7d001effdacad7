#include "efs/efs_status.h"

#include <array>

namespace {

constexpr std::array<const char*, efsStatusTextCount> statusTexts = {
    "Operation Successful",                       // 0
    "File System Device Failure",                 // 1
    "Reserved (busy)",                            // 2
    "File Not Open",                              // 3
    "File Open",                                  // 4
    "File Already Exists",                        // 5
    "File Doesn't Exist",                         // 6
    "Directory Already Exists",                   // 7
    "Directory Doesn't Exist",                    // 8
    "Directory Not Empty",                        // 9
    "Unknown Operation Attempted",                // 10
    "Illegal Operation Attempted",                // 11
    "Parameter Error",                            // 12
    "Bad File Name",                              // 13
    "Reserved (bad file handle)",                 // 14
    "Reserved (bad seek position)",               // 15
    "Reserved (bad truncate position)",           // 16
    "Invalid Remote File Operation Attempted",    // 17
    "Reserved (bad confirm code)",                // 18
    "End-Of-File Reached",                        // 19
    "Reserved (more records exist)",              // 20
    "Reserved (garbage collection in progress)",  // 21
    "Out Of File System Space",                   // 22
    "Block Full",                                 // 23
    "Out Of Master Directory Space",              // 24
    "Out of File Block List Space",               // 25
    "Out of Open-File table Slots",               // 26
    "Invalid Enumeration Iterator Control Struct",  // 27
    "Enumeration Operation Completed",            // 28
    "Maximum Number of Remote Links Reached",     // 29
};

}  // namespace

const char* EfsStatusText(uint8_t status)
{
    return status < statusTexts.size() ? statusTexts[status] : nullptr;
}
