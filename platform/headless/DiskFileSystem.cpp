// Folder listing through the standard library; see DiskFileSystem.h.
#include "platform/headless/DiskFileSystem.h"

#include <algorithm>
#include <filesystem>

namespace headless {
bool DiskFileSystem::List(const std::string& folder, std::vector<TDirEntry>& entries) {
    std::error_code ec;
    std::filesystem::directory_iterator it(folder, ec), end;
    if (ec) return false;
    for (; it != end; it.increment(ec)) {
        if (ec) return false;
        entries.push_back({it->path().filename().string(), it->is_directory(ec)});
    }
    return true;
}
std::string DiskFileSystem::FolderIdentity(const std::string& folder) {
    std::error_code ec;
    std::filesystem::path real = std::filesystem::canonical(folder, ec);
    return ec ? folder : real.string();
}
}  // namespace headless

// ---- whole-file steps over POSIX calls ----

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#ifdef _WIN32  // the tests cross-compiled for Wine use this backend too
#include <io.h>
#define fsync _commit
#else
#define O_BINARY 0
#endif
#ifndef O_CLOEXEC
#define O_CLOEXEC 0
#endif

#include <cerrno>
#include <cstring>

namespace headless {
namespace {
bool Failed(std::string& error) {
    error = std::strerror(errno);
    return false;
}
// Closes a descriptor at the end of a step, whatever way it ends.
struct Fd {
    int fd;
    ~Fd() {
        if (fd >= 0) ::close(fd);
    }
};
[[maybe_unused]] std::string FolderOf(const std::string& path) {
    size_t cut = path.find_last_of('/');
    return cut == std::string::npos ? "." : path.substr(0, cut + 1);
}
}  // namespace

bool DiskFileSystem::Exists(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool DiskFileSystem::Write(const std::string& path, const std::string& content, std::string& error) {
    Fd f{::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_BINARY | O_CLOEXEC, 0644)};
    if (f.fd < 0) return Failed(error);
    for (size_t done = 0; done < content.size();) {
        ssize_t n = ::write(f.fd, content.data() + done, content.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = ENOSPC;
            return Failed(error);
        }
        done += static_cast<size_t>(n);
    }
    if (::fsync(f.fd) != 0) return Failed(error);
    const int fd = f.fd;
    f.fd = -1;
    return ::close(fd) == 0 || Failed(error);
}

bool DiskFileSystem::Flush(const std::string& path, std::string& error) {
    Fd f{::open(path.c_str(), O_WRONLY | O_BINARY | O_CLOEXEC)};
    if (f.fd < 0) return Failed(error);
    return ::fsync(f.fd) == 0 || Failed(error);
}

bool DiskFileSystem::Read(const std::string& path, size_t limit, std::string& content, std::string& error) {
    content.clear();
    Fd f{::open(path.c_str(), O_RDONLY | O_BINARY | O_CLOEXEC)};
    if (f.fd < 0) return Failed(error);
    char block[8192];
    while (content.size() < limit) {
        ssize_t n = ::read(f.fd, block, std::min(sizeof block, limit - content.size()));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return Failed(error);
        if (n == 0) break;
        content.append(block, static_cast<size_t>(n));
    }
    return true;
}

bool DiskFileSystem::Replace(const std::string& from, const std::string& to, std::string& error) {
    std::error_code ec;
    std::filesystem::rename(from, to, ec);  // rename(2): atomic, replacing `to`
    if (ec) {
        error = ec.message();
        return false;
    }
#ifndef _WIN32
    // The new name reaches the disk with the folder's entry.
    Fd dir{::open(FolderOf(to).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)};
    if (dir.fd >= 0) ::fsync(dir.fd);
#endif
    return true;
}

bool DiskFileSystem::Remove(const std::string& path) { return ::unlink(path.c_str()) == 0 || errno == ENOENT; }
}  // namespace headless
