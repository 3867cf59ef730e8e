// The services a native unit test runs over unless its fixture installs others: the POSIX
// blocking sockets and the host's clock, for the mail client's tests against loopback
// peers. Installed before each test, so no test sees what an earlier one installed.
#pragma once
#include "platform/Services.h"

const platform::Services& NativeServices();
