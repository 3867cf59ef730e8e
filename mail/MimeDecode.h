// Decoding of an encoded word ("=?ISO-8859-1?Q?...?=" or "...?B?...?=") in a sender or
// subject header, for display in the mail list.
#pragma once
#include <string>

// Texts that do not name an ISO character set come back unchanged; otherwise the first
// quoted-printable ("?Q?") or base64 ("?B?") word is decoded to its bytes. The text before
// the encoded word is not kept.
std::string MimeDecode(const std::string& text);
