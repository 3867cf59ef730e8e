// Base64 (RFC 4648) both ways, in the standard alphabet and in the URL-safe one that
// OAuth's PKCE and state values use.
#pragma once
#include <string>
#include <string_view>

// The standard alphabet with "=" padding; url: "-" and "_" instead of "+" and "/", no padding.
std::string Base64Encode(std::string_view bytes, bool url = false);
// Strict decoding of either alphabet (not mixed), padding optional: false, out untouched, for
// any other character, a length no encoding gives, or bits left over in the last character.
bool Base64Decode(std::string_view text, std::string& out);
