// Replacing a whole file so that a crash, a power cut or a full disk at any moment leaves
// either the old file or the new one, whole: the new content is made in a scratch file
// beside the file, pushed to the disk, read back and checked, and only then put in the
// file's place by the system's atomic replace. Any failing step leaves the old file as it
// was and removes the scratch file.
#pragma once
#include <cstddef>
#include <functional>
#include <string>

#include "platform/FileSystem.h"

namespace whole_file {

// The scratch file in which a new version of `path` is made (a leftover of a crash is
// simply written over by the next save).
std::string ScratchName(const std::string& path);

struct TSteps {
    // What the scratch file is created with.
    std::string start;
    // Further writes to the scratch file by other means (the profile service), made after
    // it was created; false, with a reason, to give up.
    std::function<bool(const std::string& scratch, std::string& error)> fill;
    // Whether the text read back from the scratch file is what was meant; false, with a
    // reason, when it is not. Unset: it must be `start` exactly.
    std::function<bool(const std::string& readBack, std::string& error)> check;
    // The most bytes read back.
    size_t readLimit = 16u << 20;
};

// Replaces `path` with the scratch file made by `steps`. False, with the reason of the step
// that failed in `error`, when the file could not be replaced; it is then untouched.
bool Replace(IFileSystem& fs, const std::string& path, const TSteps& steps, std::string& error);

// The reason given when the text read back differs from the text meant.
extern const char kNotReadBack[];

}  // namespace whole_file
