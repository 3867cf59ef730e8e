// The Win32 sounds: wave files through the multimedia library, and the message beep.
#include <windows.h>
#include <mmsystem.h>

#include <cstdio>
#include <cstring>

// The seam's method name, not the API's A/W macro.
#undef PlaySound

#include "platform/WaveFile.h"
#include "core/Utf16.h"
#include "platform/win32/Win32Platform.h"

namespace win32 {

bool Sound::PlaySound(const std::string& file) {
    return ::PlaySoundW(Utf8ToWide(file).c_str(), nullptr, SND_FILENAME) != 0;
}

bool Sound::PlayWaveAsync(const std::string& file) {
    // An asynchronous play reports success before it has opened the file: decide from the
    // file itself, and from whether a wave device takes its format.
    FILE* in = _wfopen(Utf8ToWide(file).c_str(), L"rb");
    if (!in) return false;
    std::string head(64 * 1024, '\0');
    head.resize(std::fread(head.data(), 1, head.size(), in));
    std::fclose(in);
    if (!IsPlayableWave(head)) return false;
    WAVEFORMATEX fmt{};
    for (size_t at = 12; at + 24 <= head.size();) {
        DWORD size = 0;
        std::memcpy(&size, head.data() + at + 4, 4);
        if (head.compare(at, 4, "fmt ") == 0) {
            std::memcpy(&fmt, head.data() + at + 8, 16);
            break;
        }
        at += 8 + size + (size & 1);
    }
    if (fmt.wFormatTag == WAVE_FORMAT_PCM &&
        waveOutOpen(nullptr, WAVE_MAPPER, &fmt, 0, 0, WAVE_FORMAT_QUERY) != MMSYSERR_NOERROR)
        return false;
    return ::PlaySoundW(Utf8ToWide(file).c_str(), nullptr, SND_FILENAME | SND_ASYNC | SND_NODEFAULT) != 0;
}

void Sound::Beep() { MessageBeep(MB_OK); }

}  // namespace win32
