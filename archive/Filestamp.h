#pragma once
// What a file on disk was when a window opened or last saved it, so a save can
// tell that another program (or another zelko window) has written it since.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

struct TFileStamp {
    std::uintmax_t size = 0;
    std::filesystem::file_time_type time{};
    std::uint64_t hash = 0;  // of the whole content
};

// The stamp of the file as it is now; none when it cannot be read.
std::optional<TFileStamp> StampFile(const std::string& path);

// True when the file exists and its content is no longer the stamped one. A
// file only touched (same bytes, new time) has not changed; nor has a path
// that is no longer a file.
bool ChangedOnDisk(const TFileStamp& stamp, const std::string& path);
