#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "archive/Safefile.h"
#include "archive/Vemodocumentfile.h"
#include "boardgen/Demo.h"
#include "model/Vemodocument.h"

namespace {

const std::filesystem::path kRepository = std::filesystem::path(ZELKO_TEST_DATA).parent_path().parent_path();

// The shipped files are remade by zelko_make_demo; a change to the demo code
// without remaking them (or an edit of the files by hand) shows up here.
TEST(Demo, CheckedInFilesAreWhatTheDemoCodeMakes) {
    const auto files = BuildDemoContent();
    ASSERT_EQ(files.size(), 9u);
    for (const TDemoFile& file : files) {
        std::string bytes, error;
        ASSERT_TRUE(ReadWholeFile((kRepository / file.path).string(), bytes, error)) << file.path << ": " << error;
        EXPECT_TRUE(bytes == DocumentBytes(*file.document))
            << file.path << " differs: run zelko_make_demo on the repository";
    }
}

TEST(Demo, PartsSitAroundTheOriginAndTheBoardInsideItsArea) {
    for (const TDemoFile& file : BuildDemoContent()) {
        const TVemoDocument& doc = *file.document;
        ASSERT_GT(doc.GetRoot().GetChildCount(), 0) << file.path;
        RectF bounds;
        doc.GetRoot().GetBounds(bounds);
        const RectF& area = doc.GetAreaRect();
        EXPECT_GE(bounds.Left(), area.Left() - 1) << file.path;
        EXPECT_GE(bounds.Top(), area.Top() - 1) << file.path;
        EXPECT_LE(bounds.Right(), area.Right() + 1) << file.path;
        EXPECT_LE(bounds.Bottom(), area.Bottom() + 1) << file.path;
        if (file.path.rfind("examples/", 0) != 0) {
            // A placed part lands where the user clicks: its middle is the origin.
            EXPECT_NEAR(bounds.x + bounds.width / 2, 0, 30) << file.path;
            EXPECT_NEAR(bounds.y + bounds.height / 2, 0, 30) << file.path;
        }
    }
}

}  // namespace
