#include "engine3/ui/localization/CVR3LocalNamesTree.h"

#include "engine3/core/CDX9KelLog.h"
#include "engine3/ui/localization/CVR3LocalizationManager.h"

#include <algorithm>
#include <cstring>

namespace Vorna3D {

CVR3LocalNamesTree::CVR3LocalNamesTree() = default;
CVR3LocalNamesTree::~CVR3LocalNamesTree() = default;

CVR3LocalNamesTree::Node* CVR3LocalNamesTree::Node::Find(unsigned char c) const {
    auto it = std::lower_bound(children.begin(), children.end(), c,
                               [](const std::unique_ptr<Node>& n, unsigned char v) { return n->character < v; });
    return (it != children.end() && (*it)->character == c) ? it->get() : nullptr;
}

CVR3LocalNamesTree::Node* CVR3LocalNamesTree::Node::FindOrAdd(unsigned char c, size_t& nodeCount) {
    auto it = std::lower_bound(children.begin(), children.end(), c,
                               [](const std::unique_ptr<Node>& n, unsigned char v) { return n->character < v; });
    if (it != children.end() && (*it)->character == c) return it->get();
    auto node = std::make_unique<Node>();
    node->character = c;
    ++nodeCount;
    return children.insert(it, std::move(node))->get();
}

bool CVR3LocalNamesTree::AddName(const std::string& name, const std::string& text) {
    if (name.empty() || text.empty() || name.size() > kMaxKeyLength) {
        // The line begins with the byte 0xD1, as the program has always written it.
        g_Log.Write(LOG_WARNING, "%s%s%s%s%s", "\xD1" "CVR3LocalNamesTree::AddName() : not insert name : ",
                    name.c_str(), ";\n with tag :", text.c_str(), "\n");
        return false;
    }
    Node* node = &m_root;
    for (const char ch : name) {
        ++node->passCount;
        node = node->FindOrAdd(static_cast<unsigned char>(ch), m_nodeCount);
    }
    node->text = text;
    ++node->passCount;
    return true;
}

bool CVR3LocalNamesTree::AddName(const char* name, const char* text) {
    return AddName(std::string(name ? name : ""), std::string(text ? text : ""));
}

const std::string* CVR3LocalNamesTree::GetName(const char* key, const std::string& prefix) const {
    if (!key || prefix.empty()) return nullptr;
    if (std::strncmp(key, prefix.c_str(), prefix.size()) != 0) return nullptr;
    const Node* node = &m_root;
    for (const char* p = key + prefix.size(); *p; ++p) {
        node = node->Find(static_cast<unsigned char>(*p));
        if (!node) return nullptr;
    }
    return &node->text;
}

const std::string* CVR3LocalNamesTree::GetName(const char* key, const CVR3LocalizationManager& manager) const {
    return GetName(key, manager.GetTag());
}

} // namespace Vorna3D
