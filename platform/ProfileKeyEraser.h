// Removing one key from a profile (INI) file, leaving every other line where it stands: the
// order of the sections, comment lines and blank lines. Profile backends offer it beside
// the profile seam (platform/Profile.h); the platform's service removes a key that is
// written without a value.
#pragma once
#include <string>

class IProfileKeyEraser {
public:
    virtual ~IProfileKeyEraser() = default;
    // Removes the first key of that name in the first section of that name (names compared
    // as the reads compare them). False when refused; a missing key is not a refusal.
    virtual bool DeleteKey(const std::string& file, const std::string& section, const std::string& key) = 0;
};
