// The services record in force; see Services.h.
#include "platform/Services.h"

namespace platform {
namespace {
Services& Record() {
    static Services record;
    return record;
}
}  // namespace

void Install(const Services& s) { Record() = s; }

const Services& Installed() { return Record(); }
}  // namespace platform
