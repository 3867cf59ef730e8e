// The one JSON reader of the program (RFC 8259), for the small answers of sign-in providers
// and mail servers: a top-level object whose members of interest are strings, numbers or
// booleans. The whole text is checked; nested values are checked and skipped.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <string_view>

struct TJsonObject {
    // Each member of the top-level object whose value is a string (decoded to UTF-8), a
    // number (its text as written), true/false or null (as those words); a later member of
    // the same name wins. Objects and arrays are left out.
    std::map<std::string, std::string> Members;

    // The member's text, or empty when it is missing.
    std::string Text(const std::string& name) const;
    // A whole number 0..max from a number or a decimal string, else false.
    bool Number(const std::string& name, int64_t max, int64_t& value) const;
};

// False for anything that is not one JSON object (blanks around it allowed): bad syntax,
// a string that is not valid UTF-8 or escapes to a lone surrogate, nesting deeper than
// MaxJsonDepth, or a text longer than MaxJsonLength.
bool ReadJsonObject(std::string_view text, TJsonObject& out);

constexpr int MaxJsonDepth = 32;
constexpr size_t MaxJsonLength = 256 * 1024;
