// Text helpers with the semantics the settings file and the windows rely on:
// trimming, decimal formatting and integer parsing that accepts "$" and "0x" hex.
#pragma once
#include <cstdint>
#include <string>

#include "core/Classes.h"

std::string Trim(const std::string& s);
std::string TrimLeft(const std::string& s);
std::string TrimRight(const std::string& s);
std::string IntToStr(long long v);
std::string UpperCase(const std::string& s);
std::string LowerCase(const std::string& s);
bool SameText(const std::string& a, const std::string& b);

// Parses a 32-bit signed integer: leading blanks, an optional sign, decimal digits;
// a text beginning "$", or "0x"/"0X" with more than two characters, is hexadecimal.
// Returns false (and leaves value alone) when the text is not such a number.
bool TryStrToInt(const std::string& s, int32_t& value);
// As TryStrToInt; raises EConvertError "'%s' is not a valid integer value".
int32_t StrToInt(const std::string& s);
int32_t StrToIntDef(const std::string& s, int32_t def);

// "%s"-style substitution used to build messages: every "%s" takes the next argument.
std::string Format(const std::string& pattern, const std::string& a);

// Minutes and seconds with a leading zero when they have one digit, e.g. 7 -> "07".
std::string Pad2(int v);
