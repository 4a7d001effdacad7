// The kinds of rows in the device list and the Type texts that name them. Rows are read back by
// their Type text, compared without regard to case.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

enum class ItemKind : int { file = 0, directory = 1, module = 2 };

const char* ItemKindText(ItemKind kind);  // "File", "Directory", "Module"

// The kind a Type text names, or nothing for any other text.
std::optional<ItemKind> ItemKindFromText(const std::string& text);

// A list row the user selected: its name and kind.
struct CListRow {
    std::string name;
    ItemKind kind = ItemKind::file;
};

// One row of a directory listing. size is -1 and modified empty when the handset keeps no
// statistics or the entry's information cannot be read.
struct CDeviceRow {
    std::string name;  // the last path component
    ItemKind kind = ItemKind::file;
    std::int64_t size = -1;
    std::optional<uint32_t> modified;  // device seconds
};
