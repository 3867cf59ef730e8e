// MD5 (RFC 1321), for the mail client's APOP login digest only: the protocol fixes it.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

std::array<uint8_t, 16> Md5(const void* data, size_t size);
// The digest as APOP sends it: 32 lower-case hex digits.
std::string Md5Hex(const std::string& text);
