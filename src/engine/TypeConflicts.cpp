#include "engine/TypeConflicts.h"

#include <algorithm>

namespace {

// The keys of the entries from..to of a node, in order.
std::vector<QStringView> KeysOf(const ListedNode& node, size_t from, size_t to) {
    std::vector<QStringView> keys;
    keys.reserve(to - from);
    for (size_t i = from; i < to; ++i) keys.push_back(node.entries[i].KeyView());
    return keys;
}

// Calls found with every key that both ordered lists hold.
template <typename Found>
void ForEachCommonKey(const std::vector<QStringView>& a, const std::vector<QStringView>& b, Found found) {
    size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        const int c = CompareKeys(a[i], b[j]);
        if (c < 0) ++i;
        else if (c > 0) ++j;
        else found(a[i++]);
    }
}

}  // namespace

TypeConflictKeys FindTypeConflicts(const ListedNode* left, const ListedNode* right) {
    TypeConflictKeys conflicts;
    if (!left || !right) return conflicts;
    // Most folders hold no special entries; then a conflict needs files on one side and
    // subfolders on the other.
    const auto hasFiles = [](const ListedNode* n) { return n->firstFolder > 0; };
    const auto hasFolders = [](const ListedNode* n) { return n->firstFolder < n->entries.size(); };
    if (left->specialKeys.empty() && right->specialKeys.empty() && !(hasFiles(left) && hasFolders(right)) &&
        !(hasFiles(right) && hasFolders(left)))
        return conflicts;
    const ListedNode* nodes[2] = {left, right};
    std::vector<QStringView> files[2], folders[2];
    std::vector<QStringView> specials[2];
    for (int s = 0; s < 2; ++s) {
        files[s] = KeysOf(*nodes[s], 0, nodes[s]->firstFolder);
        folders[s] = KeysOf(*nodes[s], nodes[s]->firstFolder, nodes[s]->entries.size());
        for (const QString& key : nodes[s]->specialKeys) specials[s].push_back(key);
    }
    for (int s = 0; s < 2; ++s) {
        const int o = 1 - s;
        // A file or link opposite a folder; a special entry at the same path outweighs it.
        ForEachCommonKey(files[s], folders[o], [&](QStringView key) {
            if (!conflicts.contains(key.toString())) conflicts.insert(key.toString(), TypeConflictKind::FileOrLink);
        });
    }
    for (int s = 0; s < 2; ++s) {
        const int o = 1 - s;
        const auto special = [&](QStringView key) { conflicts.insert(key.toString(), TypeConflictKind::SpecialEntry); };
        ForEachCommonKey(folders[s], specials[o], special);
        ForEachCommonKey(files[s], specials[o], special);
    }
    return conflicts;
}
