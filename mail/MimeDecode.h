// Decoding of encoded words ("=?charset?Q?...?=" and "=?charset?B?...?=") in a sender or
// subject header, for display in the mail list.
#pragma once
#include <functional>
#include <string>

// Header text outside encoded words that is valid UTF-8 and not plain ASCII (as mail
// programs now write it) is converted from UTF-8; other 8-bit text is taken to be in the
// display's own code page and kept as it stands.
// Every encoded word of the text is decoded, quoted-printable ("Q") or base64 ("B"), the
// letter in either case, and its bytes converted from the word's character set to the
// display's; the text around the words is kept, and blanks between two words are dropped.
// Characters the display cannot show become "?". A word cut off by the end of the text is
// decoded as far as it goes.
std::string MimeDecode(const std::string& text);

// True when the bytes are well-formed UTF-8: no stray continuation bytes, no overlong
// forms, no surrogates, nothing above U+10FFFF.
bool IsUtf8(const std::string& bytes);

// Converts bytes in a character set (its name in capitals, "UTF-8", "KOI8-R", ...) to the
// display's text, "?" for characters it cannot show; false when the set is unknown. The
// Windows build installs the system's conversions; without one, UTF-8, US-ASCII and the
// Western sets are converted to Windows-1252 and other sets keep only their ASCII.
using TCharsetConverter = std::function<bool(const std::string& charset, const std::string& bytes, std::string& out)>;
void SetCharsetConverter(TCharsetConverter converter);
