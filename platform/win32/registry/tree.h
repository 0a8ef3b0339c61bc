// The registry's key tree and its file form, shared by the key functions and the store.
#pragma once

#include "win32/registry.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace dovemark::registry {

struct Value {
    std::u16string name;
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
};

struct Key {
    std::u16string name;
    Key* parent = nullptr;
    std::map<std::u16string, std::shared_ptr<Key>> children; // by folded name, so in name order
    std::vector<Value> values;                                 // in creation order
    FILETIME lastWrite{};
    bool deleted = false;
};

// Names compare case-insensitively through this folding.
std::u16string Fold(const std::u16string& name);
FILETIME Now();

// The file form: one "K" line per key (its path below the root) followed by "V" lines for its
// values; text is UTF-8 with '%', blanks and control characters %-escaped, data in hex.
std::string Serialize(const Key& root);
// Lines that do not parse are skipped, so a damaged file loses only what is damaged.
std::shared_ptr<Key> Parse(const std::string& text);
// Creates (or walks to) the key at path below root.
Key* Descend(Key& root, const std::vector<std::u16string>& components, bool create);

} // namespace dovemark::registry
