#include "archive/Safefile.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
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
            error =
                n < 0 ? Reason("cannot read", path, errno) : "file shrank while reading: \"" + path + "\"";
            ::close(fd);
            bytes.clear();
            return false;
        }
        done += std::size_t(n);
    }
    ::close(fd);
    return true;
}

namespace {

constexpr const char* kTempMarker = ".zelko-tmp.";

// This host's name as it may appear in a file name.
std::string HostTag() {
    char host[256] = {};
    if (::gethostname(host, sizeof host - 1) != 0 || host[0] == '\0') return "host";
    std::string tag(host);
    for (char& c : tag)
        if (c == '.' || c == '/') c = '_';
    return tag;
}

// The pid and host a temporary's name carries; false when the name is not one of ours.
bool ParseTemporary(const std::string& name, long& pid, std::string& host) {
    if (name.empty() || name[0] != '.') return false;
    const std::size_t at = name.rfind(kTempMarker);
    if (at == std::string::npos) return false;
    const std::string rest = name.substr(at + std::strlen(kTempMarker));  // <pid>.<host>.XXXXXX
    const std::size_t dot = rest.find('.');
    const std::size_t last = rest.rfind('.');
    if (dot == std::string::npos || dot == 0 || last <= dot || rest.size() - last - 1 != 6) return false;
    pid = 0;
    for (std::size_t i = 0; i < dot; ++i) {
        if (rest[i] < '0' || rest[i] > '9' || pid > 100000000) return false;
        pid = pid * 10 + (rest[i] - '0');
    }
    host = rest.substr(dot + 1, last - dot - 1);
    return pid > 0;
}

// Whether the process can still write: a killed process that its parent has
// not reaped yet keeps its pid as a zombie, but never writes again.
bool ProcessRuns(long pid) {
    if (::kill(pid_t(pid), 0) != 0 && errno != EPERM) return false;
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line)) return true;
    // "pid (name) S ...": the name may hold spaces and parentheses.
    const std::size_t close = line.rfind(')');
    if (close == std::string::npos || close + 2 >= line.size()) return true;
    const char state = line[close + 2];
    return state != 'Z' && state != 'X';
}

// Removes the temporaries in folder whose names start with prefix ("" for
// all of ours) and whose writer is provably gone.
int RemoveStale(const std::string& folder, const std::string& prefix) {
    namespace fs = std::filesystem;
    constexpr auto kWeek = std::chrono::hours(24 * 7);
    const std::string host = HostTag();
    int removed = 0;
    std::error_code ec;
    for (fs::directory_iterator it(folder.empty() ? "." : folder, ec), end; !ec && it != end;
         it.increment(ec)) {
        const std::string name = it->path().filename().string();
        long pid = 0;
        std::string owner;
        // With a prefix, the marker that ends it must be the name's last one.
        if (name.compare(0, prefix.size(), prefix) != 0 || !ParseTemporary(name, pid, owner) ||
            (!prefix.empty() && name.rfind(kTempMarker) + std::strlen(kTempMarker) != prefix.size()))
            continue;
        struct stat st {};
        if (::lstat(it->path().c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::getuid())
            continue;
        const auto age =
            std::chrono::system_clock::now() - std::chrono::system_clock::from_time_t(st.st_mtime);
        const bool dead = owner == host && pid != long(::getpid()) && !ProcessRuns(pid);
        if ((dead || age > kWeek) && ::unlink(it->path().c_str()) == 0) ++removed;
    }
    return removed;
}

// The folder of a target and the start of its temporaries' names.
void TemporaryPlace(const std::string& path, std::string& folder, std::string& prefix) {
    const std::filesystem::path target(path);
    folder = target.has_parent_path() ? target.parent_path().string() : std::string(".");
    // Built in a string of its own, piece by piece: GCC 12 warns falsely
    // (-Wrestrict) on "." + string, and on assigning "." to prefix.
    std::string name(1, '.');
    name.append(target.filename().string()).append(kTempMarker);
    prefix = std::move(name);
}

}  // namespace

int RemoveStaleTemporaries(const std::string& folder) {
    return RemoveStale(folder, std::string());
}

int RemoveStaleTemporariesOf(const std::string& path) {
    std::string folder, prefix;
    TemporaryPlace(path, folder, prefix);
    if (std::filesystem::path(path).filename().empty()) return 0;
    return RemoveStale(folder, prefix);
}

bool WriteBeside(const std::string& path, std::string_view bytes, std::string& tmp, std::string& error,
                 bool sync) {
    namespace fs = std::filesystem;
    const fs::path target(path);
    if (target.filename().empty()) {
        error = "not a file name: \"" + path + "\"";
        return false;
    }
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    std::string base = ".";
    base.append(target.filename().string()).append(kTempMarker).append(std::to_string(::getpid()));
    base.append(".").append(HostTag()).append(".XXXXXX");
    std::string tmpl = (folder / base).string();
    std::vector<char> name(tmpl.begin(), tmpl.end());
    name.push_back('\0');
    const int fd = ::mkstemp(name.data());
    if (fd < 0) {
        error = Reason("cannot create a file in", folder.string(), errno);
        return false;
    }
    tmp = name.data();
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
    if (sync && ::fsync(fd) != 0) return fail("cannot write", errno);
    if (::close(fd) != 0) {
        const int err = errno;
        ::unlink(tmp.c_str());
        error = Reason("cannot write", path, err);
        return false;
    }
    return true;
}

bool PutInPlace(const std::string& tmp, const std::string& path, std::string& error) {
    namespace fs = std::filesystem;
    if (::rename(tmp.c_str(), path.c_str()) != 0) {
        const int err = errno;
        ::unlink(tmp.c_str());
        error = Reason("cannot replace", path, err);
        return false;
    }
    // Make the rename itself durable.
    const fs::path target(path);
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    const int dfd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
    return true;
}

bool SyncFolder(const std::string& folder, std::string& error) {
    const std::string name = folder.empty() ? "." : folder;
    const int fd = ::open(name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0 || ::syncfs(fd) != 0) {
        error = Reason("cannot write", name, errno);
        if (fd >= 0) ::close(fd);
        return false;
    }
    ::close(fd);
    return true;
}

void DiscardTemporary(const std::string& tmp) {
    if (!tmp.empty()) ::unlink(tmp.c_str());
}

bool WriteFileSafely(const std::string& path, std::string_view bytes, std::string& error) {
    RemoveStaleTemporariesOf(path);
    std::string tmp;
    return WriteBeside(path, bytes, tmp, error) && PutInPlace(tmp, path, error);
}

bool WriteFileSet(const std::vector<TFileToWrite>& files, std::size_t& failed, std::string& error) {
    failed = files.size();
    // The folders written into, each once, in the order first met.
    std::vector<std::string> folders;
    for (const TFileToWrite& file : files) {
        std::string folder, prefix;
        TemporaryPlace(file.path, folder, prefix);
        if (std::find(folders.begin(), folders.end(), folder) == folders.end()) folders.push_back(folder);
    }
    for (const std::string& folder : folders) RemoveStaleTemporaries(folder);

    // A folder in a target's place would refuse only the rename, after other
    // targets were replaced: it is refused before anything is written.
    for (std::size_t i = 0; i < files.size(); ++i) {
        struct stat st {};
        if (::lstat(files[i].path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
            failed = i;
            error = Reason("cannot replace", files[i].path, EISDIR);
            return false;
        }
    }

    // One file is synced by itself; a set with one sync of each folder's
    // file system, instead of one per file.
    const bool syncEach = files.size() == 1;
    std::vector<std::string> temporaries;
    temporaries.reserve(files.size());
    const auto discardFrom = [&](std::size_t first) {
        for (std::size_t i = first; i < temporaries.size(); ++i) DiscardTemporary(temporaries[i]);
    };
    for (std::size_t i = 0; i < files.size(); ++i) {
        std::string tmp;
        if (!WriteBeside(files[i].path, files[i].bytes, tmp, error, syncEach)) {
            // Some reasons name only the folder; the set's names the file.
            if (error.find(files[i].path) == std::string::npos)
                error = std::string("cannot write \"").append(files[i].path).append("\": ").append(error);
            discardFrom(0);
            failed = i;
            return false;
        }
        temporaries.push_back(std::move(tmp));
    }
    if (!syncEach)
        for (const std::string& folder : folders)
            if (!SyncFolder(folder, error)) {
                discardFrom(0);
                return false;
            }

    for (std::size_t i = 0; i < files.size(); ++i) {
        if (::rename(temporaries[i].c_str(), files[i].path.c_str()) != 0) {
            error = Reason("cannot replace", files[i].path, errno);
            if (i > 0)
                error.append("; ")
                    .append(std::to_string(i))
                    .append(" file(s) before it were already replaced");
            discardFrom(i);
            failed = i;
            return false;
        }
    }
    // Make the renames themselves durable.
    for (const std::string& folder : folders) {
        const int dfd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dfd >= 0) {
            ::fsync(dfd);
            ::close(dfd);
        }
    }
    return true;
}
