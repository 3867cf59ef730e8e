// The headless platform for the fuzz targets, installed once per process: virtual clock,
// in-memory UI, tray, programs and sounds, INI files in a scratch folder of the process's own.
#pragma once
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/Platform.h"
#include "platform/headless/DiskFileSystem.h"
#include "platform/headless/Headless.h"
#include "platform/headless/IniProfile.h"
#include "platform/headless/MemoryRegistry.h"

namespace fuzz {

struct Platform {
    Platform() : ui(clock) {
        // Memory-backed where the system has it: the targets rewrite their files every run.
        char shm[] = "/dev/shm/velmora-fuzz-XXXXXX";
        char tmp[] = "/tmp/velmora-fuzz-XXXXXX";
        const char* made = mkdtemp(shm);
        dir = made ? made : mkdtemp(tmp);
        platform::Install({.clock = &clock, .ui = &ui, .profile = &profile, .registry = &registry, .files = &files,
                           .tray = &tray, .programs = &programs, .sound = &sound, .exePath = dir + "/velmora.exe"});
    }
    ~Platform() {
        std::error_code ignored;
        std::filesystem::remove_all(dir, ignored);
    }
    // Writes bytes to a file of the scratch folder and returns its full name.
    std::string Write(const std::string& name, const uint8_t* data, size_t size) {
        std::string path = dir + "/" + name;
        std::ofstream(path, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(data), std::streamsize(size));
        return path;
    }
    headless::VirtualClock clock;
    headless::HeadlessUi ui;
    headless::HeadlessTray tray;
    headless::HeadlessPrograms programs;
    headless::HeadlessSound sound;
    headless::IniFileProfile profile;
    headless::MemoryRegistry registry;
    headless::DiskFileSystem files;
    std::string dir;
};

// The platform, with what earlier runs recorded forgotten.
inline Platform& Installed() {
    static Platform p;
    p.ui.boxes.clear();
    p.clock.clockSets.clear();
    return p;
}

}  // namespace fuzz
