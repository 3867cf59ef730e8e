// The record of seen messages; see SeenMail.h.
#include "mail/SeenMail.h"

#include <set>

#include "core/SysUtils.h"
#include "platform/Platform.h"
#include "platform/WholeFile.h"

namespace {
// The mailbox keys are text: in the system's code page as older versions wrote them, or,
// once a key needs a character the code page lacks, in UTF-8 after a byte-order mark for
// the whole file. The ids are the servers' bytes and stand as they are in either kind.
const std::string kUtf8Mark = "\xEF\xBB\xBF";
}  // namespace

std::string SeenMailKey(const std::string& account, const std::string& server) {
    return account + "@" + Trim(server);
}

void TSeenMail::Load() {
    boxes_.clear();
    std::string text, error;
    if (!platform::Files().Read(fileName_, MaxFileBytes, text, error)) return;
    // Cut at the bound: the last line may be cut too, and is left out.
    if (text.size() >= MaxFileBytes) text.erase(text.find_last_of('\n') + 1);
    const bool utf8 = text.compare(0, kUtf8Mark.size(), kUtf8Mark) == 0;
    if (utf8) text.erase(0, kUtf8Mark.size());
    std::vector<std::string>* box = nullptr;
    for (size_t at = 0; at < text.size();) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(at, end - at);
        at = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.size() > 2 && line.compare(0, 2, "> ") == 0) {
            box = nullptr;
            std::string key = utf8 ? line.substr(2) : platform::Files().FromCodePage(line.substr(2));
            if (boxes_.count(key) || boxes_.size() < MaxMailboxes) box = &boxes_[key];
        } else if (box && !line.empty() && line.size() <= MaxIdLength && line.find(' ') == std::string::npos &&
                   box->size() < MaxIds) {
            box->push_back(line);
        }
    }
}

bool TSeenMail::Save() const {
    std::map<std::string, std::string> stored;  // each key as the file's kind writes it
    bool utf8 = false;
    for (const auto& box : boxes_) utf8 = utf8 || !platform::Files().ToCodePage(box.first, stored[box.first]);
    std::string text = utf8 ? kUtf8Mark : "";
    for (const auto& [text8, ids] : boxes_) {
        const std::string& key = utf8 ? text8 : stored[text8];
        if (text.size() + key.size() + 4 > MaxFileBytes) break;
        text += "> " + key + "\r\n";
        // Within the bound, the newest ids (at the end of the listing) are the ones kept.
        size_t first = ids.size(), room = MaxFileBytes - text.size();
        while (first > 0 && ids[first - 1].size() + 2 <= room) room -= ids[--first].size() + 2;
        for (size_t i = first; i < ids.size(); ++i) text += ids[i] + "\r\n";
    }
    whole_file::TSteps steps;
    steps.start = text;
    steps.readLimit = MaxFileBytes + 1;
    std::string error;
    return whole_file::Replace(platform::Files(), fileName_, steps, error);
}

std::vector<bool> TSeenMail::Update(const std::string& mailbox, const std::vector<std::string>& ids) {
    std::vector<std::string>& known = boxes_[mailbox];
    std::set<std::string> before(known.begin(), known.end());
    std::vector<bool> fresh;
    fresh.reserve(ids.size());
    for (const std::string& id : ids) fresh.push_back(!before.count(id));
    // Only ids that can be written and read back are kept; the newest when there are too many.
    std::vector<std::string> keep;
    for (const std::string& id : ids)
        if (!id.empty() && id.size() <= MaxIdLength && id.find_first_of(" \r\n") == std::string::npos)
            keep.push_back(id);
    if (keep.size() > MaxIds) keep.erase(keep.begin(), keep.end() - MaxIds);
    known = std::move(keep);
    // A new mailbox over the limit: another record (the first by name) makes room.
    while (boxes_.size() > MaxMailboxes) {
        auto victim = boxes_.begin();
        if (victim->first == mailbox) ++victim;
        boxes_.erase(victim);
    }
    return fresh;
}

void TSeenMail::KeepOnly(const std::vector<std::string>& keep) {
    std::set<std::string> wanted(keep.begin(), keep.end());
    for (auto it = boxes_.begin(); it != boxes_.end();)
        it = wanted.count(it->first) ? std::next(it) : boxes_.erase(it);
}
