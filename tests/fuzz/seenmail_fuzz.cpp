// The record of seen messages read from a file whose bytes are the input: what it keeps
// stays within its bounds and comes back the same after being written and read again.
#include <cstdint>
#include <string>

#include "mail/SeenMail.h"
#include "tests/fuzz/FuzzPlatform.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Platform& p = fuzz::Installed();
    TSeenMail seen(p.Write("seen.txt", data, size));
    seen.Load();
    if (seen.Mailboxes() > TSeenMail::MaxMailboxes) __builtin_trap();
    if (!seen.Save()) return 0;
    TSeenMail again(p.dir + "/seen.txt");
    again.Load();
    if (again.Mailboxes() != seen.Mailboxes()) __builtin_trap();
    // A mailbox the record holds answers with its ids seen; one it does not, all new.
    std::vector<bool> fresh = again.Update("nobody@nowhere", {"a", "b"});
    if (fresh.size() != 2) __builtin_trap();
    return 0;
}
