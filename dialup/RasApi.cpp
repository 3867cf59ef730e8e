// Helpers for the dial-up service's records.
#include "dialup/RasApi.h"

#include <cstring>

namespace ras {

void CopyText(char* dest, size_t capacity, const std::string& text) {
    if (!dest || capacity == 0) return;
    size_t n = text.size() < capacity - 1 ? text.size() : capacity - 1;
    std::memcpy(dest, text.data(), n);
    dest[n] = '\0';
}

}  // namespace ras
