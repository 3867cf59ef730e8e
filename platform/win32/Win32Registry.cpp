// The Windows registry behind the registry seam.
#include <windows.h>

#include <vector>

#include "core/Utf16.h"
#include "platform/win32/Win32Platform.h"

namespace win32 {
namespace {
HKEY RootOf(TRootKey r) { return r == TRootKey::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER; }

// The API wants paths without the outer separators.
std::string Inner(const std::string& path) {
    size_t b = path.find_first_not_of('\\'), e = path.find_last_not_of('\\');
    return b == std::string::npos ? "" : path.substr(b, e - b + 1);
}

// An open key, closed when it goes.
struct Key {
    HKEY h = nullptr;
    ~Key() {
        if (h) RegCloseKey(h);
    }
};

bool Open(TRootKey root, const std::string& path, bool create, REGSAM access, Key& key) {
    const std::wstring p = Utf8ToWide(Inner(path));
    if (create)
        return RegCreateKeyExW(RootOf(root), p.c_str(), 0, nullptr, 0, access, nullptr, &key.h, nullptr) == ERROR_SUCCESS;
    return RegOpenKeyExW(RootOf(root), p.c_str(), 0, access, &key.h) == ERROR_SUCCESS;
}
}  // namespace

bool Registry::OpenKey(TRootKey root, const std::string& path, bool create) {
    Key k;
    return Open(root, path, create, create ? KEY_ALL_ACCESS : KEY_READ, k);
}

bool Registry::ReadString(TRootKey root, const std::string& path, const std::string& name, std::string& value) {
    Key k;
    if (!Open(root, path, false, KEY_READ, k)) return false;
    DWORD type = 0, size = 0;
    const std::wstring wideName = Utf8ToWide(name);
    if (RegQueryValueExW(k.h, wideName.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return false;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return false;
    // The stored text need not end in a NUL: one more is kept after it.
    std::vector<wchar_t> buf(size / sizeof(wchar_t) + 1, L'\0');
    if (RegQueryValueExW(k.h, wideName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buf.data()), &size) != ERROR_SUCCESS)
        return false;
    value = WideToUtf8(buf.data());
    return true;
}

bool Registry::WriteString(TRootKey root, const std::string& path, const std::string& name, const std::string& value) {
    Key k;
    if (!Open(root, path, true, KEY_ALL_ACCESS, k)) return false;
    const std::wstring wide = Utf8ToWide(value);
    return RegSetValueExW(k.h, Utf8ToWide(name).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(wide.c_str()),
                          static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

bool Registry::DeleteValue(TRootKey root, const std::string& path, const std::string& name) {
    Key k;
    if (!Open(root, path, false, KEY_ALL_ACCESS, k)) return false;
    LONG r = RegDeleteValueW(k.h, Utf8ToWide(name).c_str());
    return r == ERROR_SUCCESS || r == ERROR_FILE_NOT_FOUND;
}

bool Registry::DeleteKey(TRootKey root, const std::string& path) {
    return RegDeleteKeyW(RootOf(root), Utf8ToWide(Inner(path)).c_str()) == ERROR_SUCCESS;
}

}  // namespace win32
