// A small mutation fuzzer for the Win32-only parsers (libFuzzer does not build for mingw):
//   w32fuzz.exe NAME SEED_FOLDER [-runs=N] [-max_total_time=S] [-seed=N] [-timeout=S]
// Every seed is run first, then inputs made from them by byte flips, inserts, deletes and
// splices, chosen by a seeded generator (the same seed gives the same inputs). It stops
// after N runs or S seconds, whichever comes first (0: no limit; 1000 runs when neither).
// A finding (a bound the target reports broken, a crash, an escaping exception, an input
// running past the timeout, 10 s) prints the input in hex and ends the program with 1.
#include <windows.h>

#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/fuzz/win32/W32Fuzz.h"

namespace {
using w32fuzz::Target;

const Target kTargets[] = {
    {"w32_charset", 512, w32fuzz::RunCharset},
    {"w32_tls", 96 * 1024, w32fuzz::RunTls},
};

// The input being run, for the reports of the crash handler and the watchdog.
std::string current;
volatile LONG busy = 0;
volatile DWORD startedAt = 0;
DWORD timeoutMs = 10000;
unsigned long long runsDone = 0;

void Report(const char* what) {
    std::fprintf(stderr, "FINDING after %llu runs: %s\ninput (%u bytes):\n", runsDone, what,
                 static_cast<unsigned>(current.size()));
    for (size_t i = 0; i < current.size(); ++i)
        std::fprintf(stderr, "%02x%s", static_cast<unsigned char>(current[i]), i % 32 == 31 ? "\n" : "");
    std::fprintf(stderr, "\n");
    std::fflush(stderr);
    std::fflush(stdout);
}

LONG WINAPI OnCrash(EXCEPTION_POINTERS* e) {
    char what[64];
    std::snprintf(what, sizeof(what), "crash, exception 0x%08lX",
                  static_cast<unsigned long>(e->ExceptionRecord->ExceptionCode));
    Report(what);
    TerminateProcess(GetCurrentProcess(), 1);
    return EXCEPTION_EXECUTE_HANDLER;
}

void OnAbort(int) {
    Report("abort");
    TerminateProcess(GetCurrentProcess(), 1);
}

DWORD WINAPI Watchdog(void*) {
    for (;;) {
        Sleep(100);
        if (busy && GetTickCount() - startedAt > timeoutMs) {
            Report("hang, the input ran past the timeout");
            TerminateProcess(GetCurrentProcess(), 1);
        }
    }
}

// splitmix64: small, and the same sequence for a seed everywhere.
struct Random {
    uint64_t state;
    uint64_t Next() {
        uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    size_t Below(size_t n) { return n ? static_cast<size_t>(Next() % n) : 0; }
};

// Values that tend to sit on boundaries of lengths and types.
const unsigned char kInteresting[] = {0, 1, 0x7F, 0x80, 0xFF, 0x14, 0x15, 0x16, 0x17, 0x03, 0x40, 0x48, 0xFE};

std::string Mutate(const std::vector<std::string>& seeds, Random& r, size_t maxLen) {
    std::string s = seeds[r.Below(seeds.size())];
    int steps = 1 + static_cast<int>(r.Below(6));
    for (int k = 0; k < steps; ++k) {
        size_t at = r.Below(s.size() + 1);
        switch (r.Below(7)) {
            case 0:  // flip a bit
                if (!s.empty()) s[r.Below(s.size())] ^= static_cast<char>(1u << r.Below(8));
                break;
            case 1:  // set a byte
                if (!s.empty())
                    s[r.Below(s.size())] = static_cast<char>(r.Below(2) ? r.Below(256) : kInteresting[r.Below(sizeof kInteresting)]);
                break;
            case 2:  // insert a few bytes
                for (size_t n = 1 + r.Below(8); n; --n) s.insert(at, 1, static_cast<char>(r.Below(256)));
                break;
            case 3:  // delete a stretch
                s.erase(at, 1 + r.Below(s.size() / 4 + 1));
                break;
            case 4: {  // splice: this input's start, another seed's end
                const std::string& o = seeds[r.Below(seeds.size())];
                s = s.substr(0, at) + o.substr(r.Below(o.size() + 1));
                break;
            }
            case 5: {  // repeat a stretch of itself
                size_t from = r.Below(s.size() + 1), n = r.Below(s.size() - from + 1);
                for (size_t times = 1 + r.Below(4); times; --times) s.insert(at, s.substr(from, n));
                break;
            }
            default:  // copy a stretch of another seed over it
            {
                const std::string& o = seeds[r.Below(seeds.size())];
                size_t from = r.Below(o.size() + 1), n = r.Below(o.size() - from + 1);
                s.replace(at, n, o, from, n);
                break;
            }
        }
        if (s.size() > maxLen) s.resize(maxLen);
    }
    return s;
}

std::vector<std::string> ReadSeeds(const std::string& folder) {
    std::vector<std::string> seeds;
    WIN32_FIND_DATAA f;
    HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &f);
    if (h == INVALID_HANDLE_VALUE) return seeds;
    do {
        if (f.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        std::ifstream in(folder + "\\" + f.cFileName, std::ios::binary);
        seeds.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    } while (FindNextFileA(h, &f));
    FindClose(h);
    return seeds;
}

bool RunOne(const Target& t, std::string input) {
    current = std::move(input);
    std::string problem;
    startedAt = GetTickCount();
    busy = 1;
    try {
        problem = t.run(current);
    } catch (const std::exception& e) {
        problem = std::string("exception escaped: ") + e.what();
    } catch (...) {
        problem = "exception escaped";
    }
    busy = 0;
    ++runsDone;
    if (problem.empty()) return true;
    Report(problem.c_str());
    return false;
}

unsigned long Flag(const char* arg, const char* name, unsigned long value) {
    size_t n = std::strlen(name);
    return std::strncmp(arg, name, n) == 0 ? std::strtoul(arg + n, nullptr, 10) : value;
}
}  // namespace

int main(int argc, char** argv) {
    const Target* t = nullptr;
    for (const Target& x : kTargets)
        if (argc > 1 && std::strcmp(argv[1], x.name) == 0) t = &x;
    if (!t || argc < 3) {
        std::fprintf(stderr, "usage: w32fuzz NAME SEED_FOLDER [-runs=N] [-max_total_time=S] [-seed=N] [-timeout=S]\n");
        return 2;
    }
    unsigned long runs = 0, seconds = 0, seed = 1;
    for (int i = 3; i < argc; ++i) {
        runs = Flag(argv[i], "-runs=", runs);
        seconds = Flag(argv[i], "-max_total_time=", seconds);
        seed = Flag(argv[i], "-seed=", seed);
        timeoutMs = Flag(argv[i], "-timeout=", timeoutMs / 1000) * 1000;
    }
    if (!runs && !seconds) runs = 1000;
    std::vector<std::string> seeds = ReadSeeds(argv[2]);
    if (seeds.empty()) {
        std::fprintf(stderr, "%s: no seeds in %s\n", t->name, argv[2]);
        return 2;
    }
    SetUnhandledExceptionFilter(OnCrash);
    std::signal(SIGABRT, OnAbort);
    CloseHandle(CreateThread(nullptr, 0, Watchdog, nullptr, 0, nullptr));

    const DWORD begin = GetTickCount();
    Random r{seed};
    bool ok = true;
    for (size_t i = 0; ok && i < seeds.size(); ++i) ok = RunOne(*t, seeds[i]);
    while (ok && (!runs || runsDone < runs) && (!seconds || GetTickCount() - begin < seconds * 1000))
        ok = RunOne(*t, Mutate(seeds, r, t->maxLen));
    double took = (GetTickCount() - begin) / 1000.0;
    std::printf("#%llu DONE %s, seed %lu, %.1f s\nstat::number_of_executed_units: %llu\n", runsDone, t->name, seed,
                took, runsDone);
    return ok ? 0 : 1;
}
