// How a value is laid down in a profile (INI) file so that the profile service reads it back
// exactly. The service's read drops blanks around a value and one pair of enclosing quotes,
// and gives at most 1023 characters; a line break would end the key's line. So a value whose
// ends the read would change goes inside one more pair of double quotes, and a value that no
// read could give back whole is not stored at all. Files written before read as they did:
// only the way new values are written changes.
#pragma once
#include <cstddef>
#include <string>

class IFileSystem;

namespace profile_value {

// The most characters a read gives back.
constexpr size_t kReadLimit = 1023;

enum class TFit { Fits, TooLong, LineBreak };

// Whether the value can be stored so that a read gives it back unchanged.
TFit Check(const std::string& value);
// The most characters this value may have: one less when it has to be quoted.
size_t Limit(const std::string& value);
// The text to store for a value that fits: the value itself, or the value in double quotes
// when it begins or ends with a blank, a quote or a character outside printable ASCII (which
// some code pages count as blanks).
std::string Stored(const std::string& value);

// How a profile file holds its text: in the system's code page (the files of older
// versions), or after a byte-order mark in UTF-16 (little-endian) or UTF-8.
enum class TEncoding { CodePage, Utf16, Utf8 };
// The file's text in UTF-8 and how the file holds it; `codePage` converts the code page
// (nullptr: the bytes are taken as UTF-8).
std::string FileText(const std::string& bytes, IFileSystem* codePage, TEncoding& encoding);
// The bytes of a file holding `text` in that encoding; a code-page file whose page lacks a
// character of the text becomes UTF-16 (encoding is then Utf16), never losing one.
std::string FileBytes(const std::string& text, IFileSystem* codePage, TEncoding& encoding);

}  // namespace profile_value
