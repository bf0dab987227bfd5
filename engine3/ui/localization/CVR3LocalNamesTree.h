#pragma once
// The localised names: a character tree over the bytes of the keys. A key is
// looked up byte by byte (each byte taken as unsigned, so texts in code page
// 1251 work like ASCII); the node reached holds the text.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace Vorna3D {

class CVR3LocalizationManager;

class CVR3LocalNamesTree {
public:
    // Longest key (without the prefix) that is stored; longer ones are refused.
    static constexpr size_t kMaxKeyLength = 256;

    CVR3LocalNamesTree();
    ~CVR3LocalNamesTree();
    CVR3LocalNamesTree(const CVR3LocalNamesTree&) = delete;
    CVR3LocalNamesTree& operator=(const CVR3LocalNamesTree&) = delete;

    // Inserts one entry; the key is given without its prefix. A later entry
    // with the same key replaces the text. False (with a warning) for an empty
    // name or text, or a name longer than kMaxKeyLength.
    bool AddName(const std::string& name, const std::string& text);
    bool AddName(const char* name, const char* text);

    // The text stored for `key` (which must begin with `prefix`); null when the
    // key is null, the prefix empty or absent, or the key unknown. A key that is
    // only the beginning of longer keys gives an empty text, not null.
    const std::string* GetName(const char* key, const std::string& prefix) const;
    // The same with the manager's prefix.
    const std::string* GetName(const char* key, const CVR3LocalizationManager& manager) const;

    // Number of nodes, the root included.
    size_t NodeCount() const { return m_nodeCount; }

private:
    struct Node {
        int character = -1;
        uint32_t passCount = 0;
        std::string text;
        // Children by their byte; sorted by byte. Only the children that exist
        // are kept, so a node costs little whatever the width of the tree.
        std::vector<std::unique_ptr<Node>> children;
        Node* Find(unsigned char c) const;
        Node* FindOrAdd(unsigned char c, size_t& nodeCount);
    };
    Node m_root;
    size_t m_nodeCount = 1;
};

} // namespace Vorna3D
