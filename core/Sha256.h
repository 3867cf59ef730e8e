// SHA-256 (FIPS 180-4), for certificate fingerprints.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

std::array<uint8_t, 32> Sha256(const void* data, size_t size);
// The digest as the fingerprint users compare: upper-case hex pairs joined by ":".
std::string Sha256Fingerprint(const void* data, size_t size);
