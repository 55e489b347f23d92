#pragma once
// Whole-file reads and crash-safe whole-file writes.
//
// A write goes to a temporary file in the target's folder, is flushed and
// synced, and then renamed over the target, so a failed or interrupted save
// never damages the previous file. Failures come back as a readable reason.

#include <cstddef>
#include <string>
#include <string_view>

// Reads a whole file. Files larger than maxBytes are refused (a damaged or
// wrong file must not exhaust memory).
bool ReadWholeFile(const std::string& path, std::string& bytes, std::string& error,
                   std::size_t maxBytes = std::size_t(1) << 31);

// Replaces path by bytes atomically; an existing file keeps its permissions.
bool WriteFileSafely(const std::string& path, std::string_view bytes, std::string& error);
