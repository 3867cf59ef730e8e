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

std::string OwnErrorText(uint32_t code) {
    switch (code) {
    case ERROR_INVALID_HANDLE_: return "The connection does not exist.";
    case ERROR_INVALID_PARAMETER_: return "The dial-up service was given an invalid value.";
    case ERROR_INSUFFICIENT_BUFFER_: return "The text does not fit the space given for it.";
    case ERROR_ALREADY_EXISTS_: return "A phonebook entry of that name already exists.";
    case ERROR_BUFFER_TOO_SMALL: return "There are more entries than the list can hold.";
    case ERROR_CANNOT_WRITE_PHONEBOOK: return "The phonebook file cannot be written.";
    case ERROR_CANNOT_FIND_PHONEBOOK_ENTRY: return "The phonebook entry does not exist.";
    case ERROR_INVALID_SIZE: return "The dial-up service was given a record of the wrong size.";
    case ERROR_LINE_BUSY: return "The line is busy.";
    case ERROR_NO_ANSWER: return "The number you dialled does not answer.";
    case ERROR_NO_DIALTONE: return "There is no dial tone.";
    case ERROR_AUTHENTICATION_FAILURE: return "The provider did not accept the user name or password.";
    default: return "";
    }
}

}  // namespace ras
