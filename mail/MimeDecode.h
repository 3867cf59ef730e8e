// Decoding of encoded words ("=?charset?Q?...?=" and "=?charset?B?...?=") in a sender or
// subject header, for display in the mail list.
#pragma once
#include <functional>
#include <string>

#include "core/Utf16.h"  // IsUtf8

// The text comes back in UTF-8. Header text outside encoded words that is valid UTF-8 (as
// mail programs now write it) stays as it is; other 8-bit text is taken to be in the
// system's own code page (as older mail programs wrote it).
// Every encoded word of the text is decoded, quoted-printable ("Q") or base64 ("B"), the
// letter in either case, and its bytes converted from the word's character set (a language
// after "*" is ignored); the text around the words is kept, and blanks between two words
// are dropped. A byte no conversion knows becomes U+FFFD, never a look-alike or "?". A word
// cut off by the end of the text is decoded as far as it goes.
std::string MimeDecode(const std::string& text);

// Converts bytes in a character set (its name in capitals, "KOI8-R", ...; the empty name
// is the system's own code page) to UTF-8; false when the set is unknown. The Windows build
// installs the system's conversions as the services record's "charsets"; without one, UTF-8,
// US-ASCII, Latin-1 and Windows-1252 (also for the empty name) are converted, and other sets
// keep only their ASCII.
using TCharsetConverter = std::function<bool(const std::string& charset, const std::string& bytes, std::string& out)>;
