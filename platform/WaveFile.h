// Whether a file's bytes are a wave file the sound player can start: the new-mail
// announcement decides between the sound and the new-mail icon from this, since an
// asynchronous play returns before it knows.
#pragma once
#include <string>

// True for a RIFF "WAVE" file with a "fmt " chunk describing PCM or another tagged format
// (1 to 8 channels, a non-zero rate, block size and bit depth) followed somewhere by a
// "data" chunk holding at least one block. `bytes` may be just the file's beginning, as
// long as it reaches the data chunk's header.
bool IsPlayableWave(const std::string& bytes);
