// The one rule for "/"-separated names that come from outside (a handset's listing, a request's
// path): empty segments ("a//b", a leading or trailing "/") are dropped, and a "." or ".."
// segment makes the whole name unusable, since used as a path it would point at the directory
// itself, its parent or the root.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The non-empty segments of text in order; std::nullopt when one of them is "." or "..".
std::optional<std::vector<std::string>> SplitPathSegments(std::string_view text);
