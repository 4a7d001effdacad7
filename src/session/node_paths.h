// Device paths of tree nodes. A node carries only its label (the last component of its
// directory); its device path is rebuilt from the labels on the way to the top node, which is
// labelled "/" and stands for the device root.
//
// The path rules work on any node type through NodeAccess<Node>, so the same code serves the
// plain CDeviceNode below and the tree widget's items.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

// Plain directory node: the device tree as data, without a widget.
struct CDeviceNode {
    std::string label;
    CDeviceNode* parent = nullptr;
    std::vector<std::unique_ptr<CDeviceNode>> children;

    CDeviceNode* AddChild(std::string childLabel);
};

template <class Node>
struct NodeAccess;

template <>
struct NodeAccess<CDeviceNode> {
    static std::string Label(const CDeviceNode& node) { return node.label; }
    static const CDeviceNode* Parent(const CDeviceNode& node) { return node.parent; }
    static std::size_t ChildCount(const CDeviceNode& node) { return node.children.size(); }
    static const CDeviceNode* Child(const CDeviceNode& node, std::size_t index)
    {
        return node.children[index].get();
    }
};

// The dialog form of a device path: "/" followed by the device path ("/" alone is the root).
std::string DialogFormOf(const std::string& devicePath);

// Turns a dialog-form path back into a device path under rootPath (the device root prefix).
std::string ToDevicePath(const std::string& path, const std::string& rootPath);

// The labels a dialog-form path walks through below the top node, upper-cased, with the last
// component (the text after the final "/") left out. Returns false when the path cannot name a
// node at all (no "/" in it).
bool SplitNodePath(const std::string& path, const std::string& rootPath,
                   std::vector<std::string>& components);

bool LabelMatches(const std::string& label, const std::string& upperComponent);

// The device path of a node: "" for the top node, "a/b/" for b under a under the top node.
template <class Node>
std::string GetNodePath(const Node& node, const std::string& rootPath)
{
    using Access = NodeAccess<Node>;
    std::string result;
    const Node* current = &node;
    while (const Node* parent = Access::Parent(*current)) {
        result.insert(0, Access::Label(*current) + "/");
        current = parent;
    }
    // The top node contributes the root prefix only.
    if (!rootPath.empty() && !result.empty() && rootPath.back() != '/')
        return rootPath + "/" + result;
    return rootPath + result;
}

// The node of the directory a dialog-form path names or lies in: "/a/b/" finds b, "/a/f.txt"
// finds a, "/name" finds the top node. Labels are compared without regard to case; a component
// with no matching child finds nothing (nullptr).
template <class Node>
const Node* FindNodeByPath(const Node& top, const std::string& path, const std::string& rootPath)
{
    using Access = NodeAccess<Node>;
    std::vector<std::string> components;
    if (!SplitNodePath(path, rootPath, components))
        return nullptr;
    const Node* current = &top;
    for (const std::string& component : components) {
        const Node* match = nullptr;
        for (std::size_t i = 0; i < Access::ChildCount(*current) && !match; ++i) {
            const Node* child = Access::Child(*current, i);
            if (LabelMatches(Access::Label(*child), component))
                match = child;
        }
        if (!match)
            return nullptr;
        current = match;
    }
    return current;
}

// The last component of a listed directory name: a trailing "/" removed, then the text after
// the last "/".
std::string LastPathComponent(const std::string& name);
