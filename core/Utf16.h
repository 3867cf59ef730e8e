// The program's text is UTF-8; the system's wide calls take UTF-16. These two functions are
// the only conversion between them. A std::wstring here always holds UTF-16 code units, one
// per element, whatever the width of wchar_t (16 bits on Windows, where the text is handed to
// the "...W" calls as it stands; 32 bits in the native build, where only tests use it).
#pragma once
#include <string>
#include <string_view>

// Malformed UTF-8 (a stray continuation byte, a sequence cut short, an overlong form, an
// encoded surrogate, a value above U+10FFFF) becomes U+FFFD, one for each maximal part of a
// sequence that could have been valid, and decoding goes on with the next byte. Characters
// above U+FFFF become surrogate pairs.
std::wstring Utf8ToWide(std::string_view utf8);
// A surrogate without its partner becomes U+FFFD; every other unit converts exactly, so
// Utf8ToWide(WideToUtf8(w)) == w for any well-formed w.
std::string WideToUtf8(std::wstring_view wide);
// True when the bytes are well-formed UTF-8 (no part Utf8ToWide would replace).
bool IsUtf8(std::string_view bytes);
