// A strict reader of one JSON Lines object, for tests of what the program writes: the whole
// line must be one JSON object; its members come back as texts (strings unescaped, numbers,
// true, false and null as written). Nested values, which the program never writes, are refused.
#pragma once

#include <map>
#include <optional>
#include <string>

namespace rig {

std::optional<std::map<std::string, std::string>> ParseJsonObject(const std::string& line);

}  // namespace rig
