// An in-memory registry for tests, with a switch that makes the machine root read-only as
// it is for an ordinary user.
#pragma once
#include <map>
#include <string>
#include <utility>

#include "platform/Registry.h"

namespace headless {

class MemoryRegistry : public IRegistry {
public:
    bool OpenKey(TRootKey root, const std::string& path, bool create) override;
    bool ReadString(TRootKey root, const std::string& path, const std::string& name, std::string& value) override;
    bool WriteString(TRootKey root, const std::string& path, const std::string& name, const std::string& value) override;
    bool DeleteValue(TRootKey root, const std::string& path, const std::string& name) override;
    bool DeleteKey(TRootKey root, const std::string& path) override;

    bool machineWritable = true;
    bool KeyExists(TRootKey root, const std::string& path) const;
    // The data of a value, or "<none>".
    std::string Value(TRootKey root, const std::string& path, const std::string& name) const;

private:
    using Key = std::pair<TRootKey, std::string>;
    static Key Normal(TRootKey root, const std::string& path);
    bool Writable(TRootKey root) const { return root == TRootKey::CurrentUser || machineWritable; }
    std::map<Key, std::map<std::string, std::string>> keys_;
};

}  // namespace headless
