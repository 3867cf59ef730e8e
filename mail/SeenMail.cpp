// The record of seen messages; see SeenMail.h.
#include "mail/SeenMail.h"

#include <fstream>
#include <set>

#include "core/SysUtils.h"

std::string SeenMailKey(const std::string& account, const std::string& server) {
    return account + "@" + Trim(server);
}

void TSeenMail::Load() {
    boxes_.clear();
    std::ifstream in(fileName_, std::ios::binary);
    if (!in) return;
    std::string line;
    std::vector<std::string>* box = nullptr;
    while (std::getline(in, line)) {
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
    std::ofstream out(fileName_, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    for (const auto& [key, ids] : boxes_) {
        out << "> " << key << "\r\n";
        for (const std::string& id : ids) out << id << "\r\n";
    }
    out.flush();
    return bool(out);
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
