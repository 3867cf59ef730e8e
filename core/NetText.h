// Network texts without the socket library: decimal numbers as protocols and settings
// write them, and IPv4 addresses in dotted-decimal form. Addresses are kept as the sockets
// keep them, in network byte order: the first number of the text is the first byte in memory.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// The decimal digits at the start of `text`: their value and how many there were (none:
// value 0, digits 0). False as soon as the value passes `max`, so no length of digits can
// overflow into range.
bool LeadingDecimal(std::string_view text, uint32_t max, uint32_t& value, size_t& digits);
// The whole text is decimal digits, at least one, worth at most `max`; nothing else is
// allowed (no sign, blank or trailing text).
bool ParseDecimal(std::string_view text, uint32_t max, uint32_t& value);

// Exactly four decimal parts 0..255 joined by ".", nothing before or after; callers trim
// what their own rules allow first. `maxPartDigits` bounds each part's length ("001" passes
// with 3, "0001" does not); 0 leaves it unbounded. On success stores the address in network
// order; on failure leaves it alone.
bool ParseIPv4(std::string_view text, uint32_t& netAddr, size_t maxPartDigits = 3);
// "a.b.c.d" of an address in network order.
std::string IPv4Text(uint32_t netAddr);
