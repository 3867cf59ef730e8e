// Test kit for the dial-up engine: an in-memory profile that reads INI text, the simulated
// service's work put on virtual time, and a service wrapper that records every call.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/SysUtils.h"
#include "dialup/DialUp.h"
#include "dialup/SimulatedRas.h"
#include "platform/Platform.h"
#include "platform/Profile.h"
#include "platform/headless/Headless.h"
#include "tests/unit/dialup/VirtualScheduler.h"

namespace dialup_test {

// Profile files held in memory; Load() parses INI text with the profile's reading rules.
class MemoryProfile : public IProfile {
public:
    struct Section {
        std::string name;
        std::vector<std::pair<std::string, std::string>> keys;
    };
    std::map<std::string, std::vector<Section>> files;
    bool refuseWrites = false;

    void Load(const std::string& file, const std::string& text) {
        auto& secs = files[file];
        secs.clear();
        size_t pos = 0;
        while (pos <= text.size()) {
            size_t eol = text.find('\n', pos);
            if (eol == std::string::npos) eol = text.size();
            std::string line = Trim(text.substr(pos, eol - pos));
            pos = eol + 1;
            if (!line.empty() && line[0] == '[') {
                size_t close = line.find(']');
                if (close != std::string::npos) secs.push_back({Trim(line.substr(1, close - 1)), {}});
            } else if (size_t eq = line.find('='); eq != std::string::npos && !secs.empty()) {
                std::string v = Trim(line.substr(eq + 1));
                if (v.size() >= 2 && (v[0] == '"' || v[0] == '\'') && v.back() == v[0]) v = v.substr(1, v.size() - 2);
                secs.back().keys.emplace_back(Trim(line.substr(0, eq)), v);
            }
        }
    }
    Section* Find(const std::string& file, const std::string& section) {
        auto f = files.find(file);
        if (f == files.end()) return nullptr;
        for (auto& s : f->second)
            if (SameText(s.name, Trim(section))) return &s;
        return nullptr;
    }
    std::string ReadString(const std::string& file, const std::string& section, const std::string& key,
                           const std::string& def) override {
        if (Section* s = Find(file, section))
            for (auto& [k, v] : s->keys)
                if (SameText(k, Trim(key))) return v.substr(0, 1023);
        return def;
    }
    std::vector<std::string> ReadKeys(const std::string& file, const std::string& section) override {
        std::vector<std::string> out;
        if (Section* s = Find(file, section))
            for (auto& kv : s->keys) out.push_back(kv.first);
        return out;
    }
    std::vector<std::string> ReadSections(const std::string& file) override {
        std::vector<std::string> out;
        auto f = files.find(file);
        if (f != files.end())
            for (auto& s : f->second) out.push_back(s.name);
        return out;
    }
    bool WriteString(const std::string& file, const std::string& section, const std::string& key,
                     const std::string& value) override {
        if (refuseWrites) return false;
        Section* s = Find(file, section);
        if (!s) {
            files[file].push_back({section, {}});
            s = &files[file].back();
        }
        for (auto& kv : s->keys)
            if (SameText(kv.first, key)) return kv.second = value, true;
        s->keys.emplace_back(key, value);
        return true;
    }
    bool DeleteKey(const std::string& file, const std::string& section, const std::string& key) override {
        if (refuseWrites) return false;
        if (Section* s = Find(file, section))
            for (auto it = s->keys.begin(); it != s->keys.end(); ++it)
                if (SameText(it->first, Trim(key))) {
                    s->keys.erase(it);
                    break;
                }
        return true;
    }
    bool EraseSection(const std::string& file, const std::string& section) override {
        if (refuseWrites) return false;
        auto& secs = files[file];
        secs.erase(std::remove_if(secs.begin(), secs.end(), [&](auto& s) { return SameText(s.name, section); }),
                   secs.end());
        return true;
    }
};

// Forwards to a service and records what the component asked of it.
class RecordingRas : public ras::IRasApi {
public:
    explicit RecordingRas(ras::IRasApi& inner) : inner_(inner) {}
    std::vector<std::string> calls;  // "HangUp 0", "Dial", ...
    std::vector<ras::RasDialParams> dials;
    std::vector<ras::RasHandle> hangUps;

    uint32_t Dial(const ras::RasDialParams& p, ras::RasNotifier n, ras::RasHandle& h) override {
        calls.push_back(n ? "Dial async" : "Dial sync");
        dials.push_back(p);
        return inner_.Dial(p, n, h);
    }
    uint32_t HangUp(ras::RasHandle h) override {
        calls.push_back("HangUp " + std::to_string(h));
        hangUps.push_back(h);
        return inner_.HangUp(h);
    }
    uint32_t EnumEntries(ras::RasEntryName* e, uint32_t& b, uint32_t& c) override { return inner_.EnumEntries(e, b, c); }
    uint32_t EnumConnections(ras::RasConn* e, uint32_t& b, uint32_t& c) override {
        calls.push_back("EnumConnections");
        return inner_.EnumConnections(e, b, c);
    }
    uint32_t GetConnectStatus(ras::RasHandle h, ras::RasConnStatus& s) override { return inner_.GetConnectStatus(h, s); }
    uint32_t GetEntryDialParams(ras::RasDialParams& p, bool& s) override { return inner_.GetEntryDialParams(p, s); }
    uint32_t SetEntryDialParams(const ras::RasDialParams& p, bool r) override {
        dials.push_back(p);
        return inner_.SetEntryDialParams(p, r);
    }
    uint32_t GetErrorString(uint32_t c, char* b, uint32_t s) override { return inner_.GetErrorString(c, b, s); }
    uint32_t CreatePhonebookEntry(uintptr_t w) override { return inner_.CreatePhonebookEntry(w); }
    uint32_t EditPhonebookEntry(uintptr_t w, const std::string& e) override { return inner_.EditPhonebookEntry(w, e); }

private:
    ras::IRasApi& inner_;
};

// Headless platform with a phonebook, the simulated service on virtual time, and a
// component over it that records its events.
class DialUpFixture : public ::testing::Test {
protected:
    struct Event {
        int state, error;
        std::string text;
        uint32_t lastError;
    };
    const std::string book = "/virtual/phonebook.ini";
    headless::VirtualClock clock;
    headless::HeadlessUi ui{clock};
    MemoryProfile profile;
    ras::SimEntryDialog dialogScript;  // what the entry dialog "user" does
    std::unique_ptr<ras::SimulatedRas> sim;
    std::unique_ptr<RecordingRas> rec;
    std::unique_ptr<TDialUp> dialUp;
    std::vector<Event> events;
    std::vector<std::pair<int, std::string>> errors;

    std::optional<platform::TSwapServices> services;

    void SetUp() override {
        services.emplace([this](platform::Services& s) {
            s.clock = &clock;
            s.ui = &ui;
            s.profile = &profile;
        });
        sim = std::make_unique<ras::SimulatedRas>(book, std::make_unique<VirtualScheduler>(clock),
                                                  [this](uintptr_t w, bool c, ras::SimEntryFields& f) {
                                                      return dialogScript ? dialogScript(w, c, f) : false;
                                                  });
        rec = std::make_unique<RecordingRas>(*sim);
        dialUp = std::make_unique<TDialUp>(nullptr, rec.get());
        dialUp->OnAsyncEvent = [this](TObject* s, int state, int error, const std::string& text) {
            EXPECT_EQ(s, dialUp.get());
            events.push_back({state, error, text, dialUp->LastError()});
        };
        dialUp->OnError = [this](TObject*, int code, const std::string& text) { errors.emplace_back(code, text); };
    }
    void TearDown() override {
        dialUp.reset();
        rec.reset();
        sim.reset();
        services.reset();
    }
    std::vector<int> States() const {
        std::vector<int> s;
        for (auto& e : events) s.push_back(e.state);
        return s;
    }
    void DialAsync(const std::string& entry) {
        dialUp->SetDialMode(dmAsync);
        dialUp->SetEntry(entry);
        dialUp->Dial();
    }
    std::vector<std::string> ConnectionEntries() {
        std::vector<std::string> out;
        dialUp->OnActiveConnection = [&](TObject*, int, const ras::RasConnStatus*, const std::string&, const char* name,
                                         const char*, const char*) { out.push_back(name); };
        EXPECT_EQ(dialUp->GetConnections(), 0u);
        dialUp->OnActiveConnection = nullptr;
        return out;
    }
};

}  // namespace dialup_test
