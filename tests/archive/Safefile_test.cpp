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
