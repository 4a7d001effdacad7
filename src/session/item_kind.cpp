#include "session/item_kind.h"

#include <strings.h>

const char* ItemKindText(ItemKind kind)
{
    switch (kind) {
    case ItemKind::file:
        return "File";
    case ItemKind::directory:
        return "Directory";
    case ItemKind::module:
        return "Module";
    }
    return "";
}

std::optional<ItemKind> ItemKindFromText(const std::string& text)
{
    for (ItemKind kind : {ItemKind::file, ItemKind::directory, ItemKind::module}) {
        if (strcasecmp(text.c_str(), ItemKindText(kind)) == 0)
            return kind;
    }
    return std::nullopt;
}
