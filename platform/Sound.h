// The sound seam: wave files and the default message beep.
#pragma once
#include <string>

class ISound {
public:
    virtual ~ISound() = default;
    // Starts playing a wave file and returns at once; the player closes itself when the
    // sound ends. False when the file cannot be opened or played (no default sound then).
    virtual bool PlayWaveAsync(const std::string& file) = 0;
    // Plays a wave file and returns when it has finished (the system's default sound when
    // the file cannot be played).
    virtual bool PlaySound(const std::string& file) = 0;
    // The default message beep.
    virtual void Beep() = 0;
};
