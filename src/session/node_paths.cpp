#include "session/node_paths.h"

#include <algorithm>
#include <cctype>

#include "session/text_trim.h"

namespace {

std::string UpperAscii(std::string text)
{
    // Byte-wise: UTF-8 sequences have no ASCII bytes, so they pass unchanged.
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) {
        return static_cast<char>(std::toupper(c));
    });
    return text;
}

}  // namespace

CDeviceNode* CDeviceNode::AddChild(std::string childLabel)
{
    auto child = std::make_unique<CDeviceNode>();
    child->label = std::move(childLabel);
    child->parent = this;
    children.push_back(std::move(child));
    return children.back().get();
}

std::string DialogFormOf(const std::string& devicePath)
{
    return "/" + devicePath;
}

std::string ToDevicePath(const std::string& path, const std::string& rootPath)
{
    if (!path.empty() && path.front() == '/') {
        if (path.compare(1, rootPath.size(), rootPath) != 0)
            return rootPath + path;
        return path;
    }
    if (path.compare(0, rootPath.size(), rootPath) != 0)
        return rootPath + "/" + path;
    return path;
}

bool SplitNodePath(const std::string& path, const std::string& rootPath,
                   std::vector<std::string>& components)
{
    components.clear();
    const std::string upper = UpperAscii(Trim(path, anyWhiteSpace));
    if (upper.find('/') == std::string::npos)
        return false;

    // The root prefix selects the top node; a path without it is read relative to the top node
    // too, as the device reads "a/b" like "/a/b".
    const std::string prefix = UpperAscii(rootPath) + "/";
    std::string rest = upper.compare(0, prefix.size(), prefix) == 0 ? upper.substr(prefix.size())
                                                                     : upper;
    for (auto slash = rest.find('/'); slash != std::string::npos; slash = rest.find('/')) {
        // Empty components ("a//b") are skipped, so they never match an unread placeholder.
        if (slash > 0)
            components.push_back(rest.substr(0, slash));
        rest.erase(0, slash + 1);
    }
    return true;
}

bool LabelMatches(const std::string& label, const std::string& upperComponent)
{
    return !label.empty() && UpperAscii(label) == upperComponent;
}

std::string LastPathComponent(const std::string& name)
{
    std::string trimmed = name;
    if (!trimmed.empty() && trimmed.back() == '/')
        trimmed.pop_back();
    const auto slash = trimmed.rfind('/');
    return slash == std::string::npos ? trimmed : trimmed.substr(slash + 1);
}
