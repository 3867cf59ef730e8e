// Whole-file replacement; see WholeFile.h.
#include "platform/WholeFile.h"

namespace whole_file {

const char kNotReadBack[] = "What was written could not be read back whole (the disk may be full).";

std::string ScratchName(const std::string& path) { return path + ".new"; }

bool Replace(IFileSystem& fs, const std::string& path, const TSteps& steps, std::string& error) {
    const std::string scratch = ScratchName(path);
    std::string why;
    auto fail = [&] {
        fs.Remove(scratch);
        error = why.empty() ? std::string(kNotReadBack) : why;
        return false;
    };
    if (!fs.Write(scratch, steps.start, why)) return fail();
    // Write has flushed what it wrote; writes by other means are flushed here.
    if (steps.fill && (!steps.fill(scratch, why) || !fs.Flush(scratch, why))) return fail();
    std::string back;
    if (!fs.Read(scratch, steps.readLimit, back, why)) return fail();
    const bool meant = steps.check ? steps.check(back, why) : back == steps.start;
    if (!meant) return fail();
    if (!fs.Replace(scratch, path, why)) return fail();
    return true;
}

}  // namespace whole_file
