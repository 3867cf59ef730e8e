// The registry seam: the few keys and string values the program keeps in the system
// registry. Paths are relative to a root and may begin and end with "\"; names of keys and
// values match without regard to case.
#pragma once
#include <string>

enum class TRootKey { CurrentUser, LocalMachine };

class IRegistry {
public:
    virtual ~IRegistry() = default;
    // Opens (optionally creating) a key; false when it cannot be had.
    virtual bool OpenKey(TRootKey root, const std::string& path, bool create) = 0;
    // False when the key or the value is missing (value left alone).
    virtual bool ReadString(TRootKey root, const std::string& path, const std::string& name, std::string& value) = 0;
    // Writes into an existing or newly created key; false when refused.
    virtual bool WriteString(TRootKey root, const std::string& path, const std::string& name,
                             const std::string& value) = 0;
    // Deletes a value; no error when it is absent.
    virtual bool DeleteValue(TRootKey root, const std::string& path, const std::string& name) = 0;
    // Deletes a key that has no subkeys.
    virtual bool DeleteKey(TRootKey root, const std::string& path) = 0;
};
