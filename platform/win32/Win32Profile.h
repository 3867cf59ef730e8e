// The profile service of Windows (GetPrivateProfileStringW and WritePrivateProfileStringW),
// behind the program's profile seam. Values are written as platform/ProfileValue.h lays
// them down, so that they read back unchanged. The program's entry installs it
// with the services record.
#pragma once
#include "platform/Profile.h"

class Win32Profile : public IProfile {
public:
    std::string ReadString(const std::string& file, const std::string& section, const std::string& key,
                           const std::string& def) override;
    std::vector<std::string> ReadKeys(const std::string& file, const std::string& section) override;
    std::vector<std::string> ReadSections(const std::string& file) override;
    bool WriteString(const std::string& file, const std::string& section, const std::string& key,
                     const std::string& value) override;
    bool DeleteKey(const std::string& file, const std::string& section, const std::string& key) override;
    bool EraseSection(const std::string& file, const std::string& section) override;
};
