#pragma once
// Whole-file reads and crash-safe whole-file writes.
//
// A write goes to a temporary file in the target's folder, is flushed and
// synced, and then renamed over the target, so a failed or interrupted save
// never damages the previous file. Failures come back as a readable reason.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Reads a whole file. Files larger than maxBytes are refused (a damaged or
// wrong file must not exhaust memory).
bool ReadWholeFile(const std::string& path, std::string& bytes, std::string& error,
                   std::size_t maxBytes = std::size_t(1) << 31);

// Replaces path by bytes atomically; an existing file keeps its permissions.
bool WriteFileSafely(const std::string& path, std::string_view bytes, std::string& error);

// The two halves of WriteFileSafely, for replacing several files together:
// write each beside its target first, and put them all in place only when
// every one was written. WriteBeside gives the temporary's path in tmp (it is
// removed again on failure); PutInPlace renames it over path (removing it on
// failure); DiscardTemporary removes one that will not be used.
// Without sync, the caller makes the data durable with SyncFolder before
// putting anything in place.
bool WriteBeside(const std::string& path, std::string_view bytes, std::string& tmp, std::string& error,
                 bool sync = true);
bool SyncFolder(const std::string& folder, std::string& error);
bool PutInPlace(const std::string& tmp, const std::string& path, std::string& error);
void DiscardTemporary(const std::string& tmp);

// One file of a set: where it goes and what it holds.
struct TFileToWrite {
    std::string path;
    std::string_view bytes;
};

// Writes several files as one set, for exports whose files belong together.
// Every file goes to a temporary beside its target first; the targets are
// replaced only when every temporary was written and made durable, so a
// failed write (a full disk, a missing folder, a target that is a folder)
// leaves every earlier file as it was and no temporary behind. Files of one
// path replace one another in order. Stale temporaries of the folders written
// into are removed first (see RemoveStaleTemporaries).
// On failure, failed is the index of the file that failed, or files.size()
// when the set failed as a whole (its folder could not be synced), and error
// says which file and why. Only a rename refused part-way through the
// replacing (a race with another program) leaves the files before failed
// replaced; error then says so.
bool WriteFileSet(const std::vector<TFileToWrite>& files, std::size_t& failed, std::string& error);

// Temporaries are named ".<target>.zelko-tmp.<pid>.<host>.XXXXXX".
// A caller of WriteBeside first removes, once per folder, with
// RemoveStaleTemporaries the temporaries that earlier writes left there when
// they were killed: those of a process of this host that no longer runs (or
// is a zombie not yet reaped), and any older than a week (another host's
// process cannot be asked). A temporary of a write still running is never
// touched. Returns how many were removed.
int RemoveStaleTemporaries(const std::string& folder);
// The same for the temporaries of the one target path, which WriteFileSafely
// and the opening of a document remove: the folder may hold other files' writes.
int RemoveStaleTemporariesOf(const std::string& path);
