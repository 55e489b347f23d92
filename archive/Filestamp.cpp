#include "archive/Filestamp.h"

#include <fstream>
#include <vector>

namespace fs = std::filesystem;

namespace {

// FNV-1a over the bytes: no cryptography is needed to see that a file changed.
std::optional<std::uint64_t> HashFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::uint64_t h = 1469598103934665603ull;
    std::vector<char> block(1 << 16);
    while (in) {
        in.read(block.data(), std::streamsize(block.size()));
        const std::streamsize got = in.gcount();
        for (std::streamsize i = 0; i < got; ++i) {
            h ^= std::uint8_t(block[std::size_t(i)]);
            h *= 1099511628211ull;
        }
    }
    if (in.bad()) return std::nullopt;
    return h;
}

}  // namespace

std::optional<TFileStamp> StampFile(const std::string& path) {
    std::error_code ec;
    TFileStamp stamp;
    if (!fs::is_regular_file(path, ec)) return std::nullopt;
    stamp.size = fs::file_size(path, ec);
    if (ec) return std::nullopt;
    stamp.time = fs::last_write_time(path, ec);
    if (ec) return std::nullopt;
    const std::optional<std::uint64_t> hash = HashFile(path);
    if (!hash) return std::nullopt;
    stamp.hash = *hash;
    return stamp;
}

bool ChangedOnDisk(const TFileStamp& stamp, const std::string& path) {
    std::error_code ec;
    // Gone, or no longer a file: writing it loses nobody's work, and a write
    // that cannot be done says why itself.
    if (!fs::is_regular_file(path, ec)) return false;
    const std::uintmax_t size = fs::file_size(path, ec);
    if (ec) return true;
    const fs::file_time_type time = fs::last_write_time(path, ec);
    if (ec) return true;
    if (size == stamp.size && time == stamp.time) return false;
    if (size != stamp.size) return true;
    const std::optional<std::uint64_t> hash = HashFile(path);
    return !hash || *hash != stamp.hash;
}
