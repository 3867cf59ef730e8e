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

std::string FingerprintLines(const std::string& fingerprint) {
    std::string out;
    size_t pairs = 0;
    for (size_t i = 0; i < fingerprint.size(); ++i) {
        if (fingerprint[i] != ':') {
            out += fingerprint[i];
            continue;
        }
        ++pairs;
        out += pairs % 16 == 0 ? "\r\n" : pairs % 4 == 0 ? " " : ":";
    }
    return out;
}

void PinCertificate(const std::string& host, const std::string& fingerprint) {
    TIniBatch batch(IniFileName());
    batch.String(kSection, host, UpperCase(fingerprint));
    batch.Commit();
}
