// The record of seen messages; see SeenMail.h.
#include "mail/SeenMail.h"

#include <cstdio>
#include <memory>
#include <set>

#include "core/SysUtils.h"

std::string SeenMailKey(const std::string& account, const std::string& server) {
    return account + "@" + Trim(server);
}

namespace {
// C files rather than streams: the streams would bring the whole locale library into the
// program for two small files.
using File = std::unique_ptr<FILE, int (*)(FILE*)>;
File Open(const std::string& name, const char* mode) { return File(std::fopen(name.c_str(), mode), &std::fclose); }
}  // namespace

void TSeenMail::Load() {
    boxes_.clear();
    File in = Open(fileName_, "rb");
    if (!in) return;
    std::string text;
    char block[8192];
    for (size_t n; (n = std::fread(block, 1, sizeof block, in.get())) > 0;) text.append(block, n);
    std::vector<std::string>* box = nullptr;
    for (size_t at = 0; at < text.size();) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(at, end - at);
        at = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.size() > 2 && line.compare(0, 2, "> ") == 0) {
            box = nullptr;
            std::string key = line.substr(2);
            if (boxes_.count(key) || boxes_.size() < MaxMailboxes) box = &boxes_[key];
        } else if (box && !line.empty() && line.size() <= MaxIdLength && line.find(' ') == std::string::npos &&
                   box->size() < MaxIds) {
            box->push_back(line);
        }
    }
}

bool TSeenMail::Save() const {
    std::string text;
    for (const auto& [key, ids] : boxes_) {
        text += "> " + key + "\r\n";
        for (const std::string& id : ids) text += id + "\r\n";
    }
    FILE* out = std::fopen(fileName_.c_str(), "wb");
    if (!out) return false;
    bool written = std::fwrite(text.data(), 1, text.size(), out) == text.size();
    return (std::fclose(out) == 0) && written;
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
