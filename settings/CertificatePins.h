// Mail-server certificates the user chose to trust although the system does not: the
// SHA-256 fingerprint per server host, in the settings file's section "Certificates" (key:
// the host name as written in the mailbox's server text, value: "AB:CD:..."). The section
// is read when a server presents such a certificate and written when the user trusts one;
// WriteIniFile leaves it alone, and files without it read as they always did.
#pragma once
#include <string>

// The fingerprint trusted for host, empty when none.
std::string PinnedCertificate(const std::string& host);
// Trusts fingerprint for host from now on (written at once). Raises EIniFileException when
// the settings file refuses the write.
void PinCertificate(const std::string& host, const std::string& fingerprint);
// A fingerprint ("AB:CD:...") as the user is shown it: groups of four pairs separated by
// blanks, four groups a line, so that a message box can show it whole.
std::string FingerprintLines(const std::string& fingerprint);
