// The asynchronous socket's failures: the exception it raises and the texts of Winsock's
// error codes that its messages carry.
#pragma once
#include <string>

#include "core/Classes.h"

class ESocketException : public Exception {
public:
    using Exception::Exception;
};

// The text of a Winsock error code ("Connection refused"); "No Error" for 0 and "Not a
// WinSock error" for a code the library does not define.
std::string WinsockErrorText(int code);
