// Trusted certificate fingerprints in the settings file; see CertificatePins.h.
#include "settings/CertificatePins.h"

#include "core/SysUtils.h"
#include "settings/Ini.h"
#include "settings/IniBatch.h"

namespace {
const char kSection[] = "Certificates";
}

std::string PinnedCertificate(const std::string& host) {
    return UpperCase(Trim(TIniFile(IniFileName()).ReadString(kSection, host, "")));
}

void PinCertificate(const std::string& host, const std::string& fingerprint) {
    TIniBatch batch(IniFileName());
    batch.String(kSection, host, UpperCase(fingerprint));
    batch.Commit();
}
