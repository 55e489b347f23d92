#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "archive/Safefile.h"

namespace fs = std::filesystem;

namespace {

fs::path TempDir() {
    fs::path dir = fs::temp_directory_path() / ("zelko-safefile-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    return dir;
}

std::string Slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

}  // namespace

TEST(SafeFile, WritesReplacesAndReads) {
    const fs::path dir = TempDir();
    const fs::path file = dir / "board.vbf";
    std::string error;
    ASSERT_TRUE(WriteFileSafely(file.string(), std::string("first\0x", 7), error)) << error;
    ASSERT_TRUE(WriteFileSafely(file.string(), "second", error)) << error;
    std::string back;
    ASSERT_TRUE(ReadWholeFile(file.string(), back, error)) << error;
    EXPECT_EQ(back, "second");
    // No temporary file is left beside it.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
    fs::remove_all(dir);
}

TEST(SafeFile, FailedWritesLeaveThePreviousFileAndSayWhy) {
    const fs::path dir = TempDir();
    const fs::path file = dir / "board.vbf";
    std::string error;
    ASSERT_TRUE(WriteFileSafely(file.string(), "keep me", error));
    fs::create_directories(dir / "sub.vbf");

    struct Row {
        const char* name;
        std::string path;
    } rows[] = {
        {"missing folder", (dir / "no-such-folder" / "x.vbf").string()},
        {"target is a folder", (dir / "sub.vbf").string()},
        {"read-only file system", "/proc/zelko-safefile-test.vbf"},
        {"no file name", (dir / "").string()},
    };
    for (const Row& r : rows) {
        error.clear();
        EXPECT_FALSE(WriteFileSafely(r.path, "new bytes", error)) << r.name;
        EXPECT_FALSE(error.empty()) << r.name;
    }
    EXPECT_EQ(Slurp(file), "keep me");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 2) << "no leftovers";

    std::string bytes;
    EXPECT_FALSE(ReadWholeFile((dir / "absent.vbf").string(), bytes, error));
    EXPECT_NE(error.find("absent.vbf"), std::string::npos);
    EXPECT_FALSE(ReadWholeFile(dir.string(), bytes, error)) << "a folder is not a document";
    EXPECT_FALSE(ReadWholeFile(file.string(), bytes, error, 3)) << "over the size limit";
    fs::remove_all(dir);
}

// A set is written whole or not at all: a file that cannot be written, at any
// place in the set, leaves every target as it was and no temporary behind,
// and the failure names that file.
TEST(SafeFile, AFileSetIsWrittenWholeOrNotAtAll) {
    const fs::path dir = TempDir();
    const std::string a = (dir / "a.gbr").string(), b = (dir / "b.gbr").string();
    std::string error;
    ASSERT_TRUE(WriteFileSafely(a, "old a", error)) << error;
    ASSERT_TRUE(WriteFileSafely(b, "old b", error)) << error;
    fs::create_directories(dir / "folder.gbr");
    const std::string folder = (dir / "folder.gbr").string(), missing = (dir / "none" / "c.gbr").string();

    struct Row {
        const char* name;
        std::vector<TFileToWrite> files;
        std::size_t failed;
    } rows[] = {
        {"a folder in the last target's place", {{a, "new a"}, {b, "new b"}, {folder, "x"}}, 2},
        {"a missing folder in the middle", {{a, "new a"}, {missing, "x"}, {b, "new b"}}, 1},
        {"no file name first", {{(dir / "").string(), "x"}, {a, "new a"}}, 0},
    };
    for (const Row& r : rows) {
        std::size_t failed = 99;
        error.clear();
        EXPECT_FALSE(WriteFileSet(r.files, failed, error)) << r.name;
        EXPECT_EQ(failed, r.failed) << r.name;
        EXPECT_NE(error.find(r.files[r.failed].path), std::string::npos) << r.name << ": " << error;
        EXPECT_EQ(Slurp(a), "old a") << r.name;
        EXPECT_EQ(Slurp(b), "old b") << r.name;
        EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 3) << r.name;
    }

    // Written whole; two files of one path replace one another in order.
    std::size_t failed = 99;
    ASSERT_TRUE(WriteFileSet({{a, "first"}, {b, "new b"}, {a, "second"}}, failed, error)) << error;
    EXPECT_EQ(Slurp(a), "second");
    EXPECT_EQ(Slurp(b), "new b");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 3) << "no leftovers";
    fs::remove_all(dir);
}
