#include "archive/Safefile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <vector>

namespace {

std::string Reason(const std::string& what, const std::string& path, int err) {
    return what + " \"" + path + "\": " + std::strerror(err);
}

}  // namespace

bool ReadWholeFile(const std::string& path, std::string& bytes, std::string& error, std::size_t maxBytes) {
    bytes.clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = Reason("cannot open", path, errno);
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        error = "not a regular file: \"" + path + "\"";
        ::close(fd);
        return false;
    }
    if (std::size_t(st.st_size) > maxBytes) {
        error = "file too large: \"" + path + "\"";
        ::close(fd);
        return false;
    }
    bytes.resize(std::size_t(st.st_size));
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            error = n < 0 ? Reason("cannot read", path, errno) : "file shrank while reading: \"" + path + "\"";
            ::close(fd);
            bytes.clear();
            return false;
        }
        done += std::size_t(n);
    }
    ::close(fd);
    return true;
}

bool WriteFileSafely(const std::string& path, std::string_view bytes, std::string& error) {
    namespace fs = std::filesystem;
    const fs::path target(path);
    if (target.filename().empty()) {
        error = "not a file name: \"" + path + "\"";
        return false;
    }
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    std::string tmpl = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
    std::vector<char> name(tmpl.begin(), tmpl.end());
    name.push_back('\0');
    const int fd = ::mkstemp(name.data());
    if (fd < 0) {
        error = Reason("cannot create a file in", folder.string(), errno);
        return false;
    }
    const std::string tmp(name.data());
    auto fail = [&](const std::string& what, int err) {
        ::close(fd);
        ::unlink(tmp.c_str());
        error = Reason(what, path, err);
        return false;
    };

    struct stat st {};
    mode_t mode = 0666;
    if (::stat(path.c_str(), &st) == 0) {
        mode = st.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode &= ~mask;
    }
    if (::fchmod(fd, mode) != 0) return fail("cannot set permissions of", errno);

    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return fail("cannot write", errno);
        done += std::size_t(n);
    }
    if (::fsync(fd) != 0) return fail("cannot write", errno);
    if (::close(fd) != 0) {
        const int err = errno;
        ::unlink(tmp.c_str());
        error = Reason("cannot write", path, err);
        return false;
    }
    if (::rename(tmp.c_str(), path.c_str()) != 0) {
        const int err = errno;
        ::unlink(tmp.c_str());
        error = Reason("cannot replace", path, err);
        return false;
    }
    // Make the rename itself durable.
    const int dfd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
    return true;
}
