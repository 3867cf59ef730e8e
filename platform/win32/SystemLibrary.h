// Optional system libraries, bound at run time: loaded only from the system directory and
// their functions taken through pointers whose types the compiler checks, so that a missing
// library degrades the one feature that needs it instead of stopping the program.
#pragma once
#include <windows.h>

namespace platform {
// The library of that name in the system directory (never one beside the program), or nullptr.
HMODULE LoadSystemLibrary(const wchar_t* name);

template <class F>
bool Bind(HMODULE lib, F& fn, const char* name) {
    fn = lib ? reinterpret_cast<F>(reinterpret_cast<void (*)()>(GetProcAddress(lib, name))) : nullptr;
    return fn != nullptr;
}
}  // namespace platform
