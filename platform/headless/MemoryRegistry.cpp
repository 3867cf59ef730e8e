// The in-memory registry; see MemoryRegistry.h.
#include "platform/headless/MemoryRegistry.h"

#include "core/SysUtils.h"

namespace headless {

// Keys are told apart by their lowercase path without the outer separators.
MemoryRegistry::Key MemoryRegistry::Normal(TRootKey root, const std::string& path) {
    size_t b = path.find_first_not_of('\\'), e = path.find_last_not_of('\\');
    return {root, b == std::string::npos ? "" : LowerCase(path.substr(b, e - b + 1))};
}

bool MemoryRegistry::KeyExists(TRootKey root, const std::string& path) const {
    return keys_.count(Normal(root, path)) != 0;
}

bool MemoryRegistry::OpenKey(TRootKey root, const std::string& path, bool create) {
    Key k = Normal(root, path);
    if (keys_.count(k)) return true;
    if (!create || !Writable(root)) return false;
    // Creating a key creates its parents.
    std::string p = k.second;
    for (;;) {
        keys_[{root, p}];
        size_t cut = p.rfind('\\');
        if (cut == std::string::npos) break;
        p = p.substr(0, cut);
    }
    return true;
}

bool MemoryRegistry::ReadString(TRootKey root, const std::string& path, const std::string& name, std::string& value) {
    auto k = keys_.find(Normal(root, path));
    if (k == keys_.end()) return false;
    auto v = k->second.find(LowerCase(name));
    if (v == k->second.end()) return false;
    value = v->second;
    return true;
}

bool MemoryRegistry::WriteString(TRootKey root, const std::string& path, const std::string& name,
                                 const std::string& value) {
    if (!Writable(root) || !OpenKey(root, path, true)) return false;
    keys_[Normal(root, path)][LowerCase(name)] = value;
    return true;
}

bool MemoryRegistry::DeleteValue(TRootKey root, const std::string& path, const std::string& name) {
    auto k = keys_.find(Normal(root, path));
    if (k == keys_.end() || !Writable(root)) return false;
    k->second.erase(LowerCase(name));
    return true;
}

bool MemoryRegistry::DeleteKey(TRootKey root, const std::string& path) {
    Key k = Normal(root, path);
    if (!Writable(root) || !keys_.count(k)) return false;
    for (auto& [other, values] : keys_)
        if (other.first == root && other.second.rfind(k.second + "\\", 0) == 0) return false;  // has subkeys
    keys_.erase(k);
    return true;
}

std::string MemoryRegistry::Value(TRootKey root, const std::string& path, const std::string& name) const {
    auto k = keys_.find(Normal(root, path));
    if (k == keys_.end()) return "<none>";
    auto v = k->second.find(LowerCase(name));
    return v == k->second.end() ? "<none>" : v->second;
}

}  // namespace headless
