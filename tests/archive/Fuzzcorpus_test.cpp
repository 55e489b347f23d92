// Every file of the reader's fuzzing corpus, run under the sanitizers on each
// test run: damaged input is rejected with a reason, never a crash or a hang.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "archive/Safefile.h"
#include "archive/Vemodocumentfile.h"
#include "gerber/Gerberexport.h"
#include "model/Vemodocument.h"
#include "model/Vemolayerlist.h"

namespace {

namespace fs = std::filesystem;

std::vector<fs::path> CorpusFiles() {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(fs::path(ZELKO_TEST_DATA) / "fuzz"))
        if (entry.is_regular_file()) files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

bool StartsWith(const std::string& s, const char* prefix) {
    return s.rfind(prefix, 0) == 0;
}

TEST(FuzzCorpus, EveryFileIsAcceptedOrRejectedWithAReason) {
    const auto files = CorpusFiles();
    ASSERT_GE(files.size(), 7u) << "the seed files are part of the repository";
    for (const fs::path& file : files) {
        const std::string name = file.filename().string();
        std::string bytes, error;
        ASSERT_TRUE(ReadWholeFile(file.string(), bytes, error)) << name << ": " << error;
        const auto doc = DocumentFromBytes(bytes, error);
        if (StartsWith(name, "good-")) {
            ASSERT_TRUE(doc) << name << ": " << error;
        } else if (StartsWith(name, "bad-")) {
            EXPECT_FALSE(doc) << name;
        }
        if (!doc) {
            EXPECT_FALSE(error.empty()) << name << ": rejected without a reason";
            continue;
        }
        // What was accepted writes out and reads back; from then on the bytes stay put.
        // Every layer goes through the Gerber export, as in the fuzzer.
        const TVemoLayerList& layers = doc->GetLayerList();
        for (int i = 0; i < layers.Count() && i < 4; ++i) {
            const TGerberLayerFile file = BuildGerberLayer(*doc, layers.At(i), 0.3, 0.1);
            EXPECT_TRUE(file.ok || !file.error.empty()) << name << ": a failed layer says why";
        }
        const auto again = DocumentFromBytes(DocumentBytes(*doc), error);
        ASSERT_TRUE(again) << name << ": " << error;
        const std::string settled = DocumentBytes(*again);
        const auto third = DocumentFromBytes(settled, error);
        ASSERT_TRUE(third) << name << ": " << error;
        EXPECT_TRUE(DocumentBytes(*third) == settled) << name;
    }
}

}  // namespace
