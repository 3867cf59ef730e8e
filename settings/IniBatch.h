// The writes of one save of an INI file, made together: every value is checked first, then
// all of them go to a scratch copy of the file through the platform's profile service, and
// the copy, read back and checked, replaces the file in one step (platform/WholeFile.h). So
// comments, unknown keys and sections and the order of the keys survive as the service keeps
// them, and a refusal, a full disk or a crash at any moment leaves the old file whole.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Refuses, naming the file, the section and the key, a value that the file could not give
// back whole (too long for a read, or holding a line break): raises EIniFileException
// "Nothing was saved to <file>: the value of "<key>" in [<section>] ...".
void CheckIniValue(const std::string& file, const std::string& section, const std::string& key,
                   const std::string& value);

class TIniBatch {
public:
    using Transform = std::function<std::string(const std::string&)>;
    explicit TIniBatch(std::string fileName) : file_(std::move(fileName)) {}

    void String(const std::string& section, const std::string& key, const std::string& value);
    void Integer(const std::string& section, const std::string& key, int32_t value);
    void Bool(const std::string& section, const std::string& key, bool value);
    void Erase(const std::string& section);
    // Erases the section, then writes entry i as "m<i>"; an empty list leaves no section.
    void List(const std::string& section, const std::vector<std::string>& list, const Transform& encode = {});

    // Makes the writes, in the order given, as one replacement of the file. Raises
    // EIniFileException, the file untouched: "Nothing was saved ..." for a value it cannot
    // keep; "Unable to write to <file>" when the profile service refuses a write; the
    // system's reason when a step of the replacement fails (disk full, folder read-only,
    // file locked).
    void Commit() const;

    // Profile writes made by the last Commit, for the record.
    int ProfileWrites() const { return profileWrites_; }

private:
    struct Step {
        std::string section, key, value;
        bool erase;
    };
    std::string file_;
    std::vector<Step> steps_;
    mutable int profileWrites_ = 0;
};

// The box text for a save that failed: "The settings could not be saved: <reason>" (looked
// up under const_SettingsNotSaved).
std::string SettingsNotSavedText(const std::string& reason);

// "m0", "m1", ...: the key of list entry i.
std::string IniListKey(size_t i);
