// Every file of the importer's fuzzing corpus, run under the sanitizers on each
// test run: any text imports without a crash or a hang, and what it gives
// saves, reads back and goes through the Gerber export of every layer.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "archive/Vemodocumentfile.h"
#include "gerber/Gerberexport.h"
#include "import/Vemoimport.h"
#include "model/Vemodocument.h"
#include "model/Vemolayerlist.h"

namespace {

namespace fs = std::filesystem;

TEST(VemFuzzCorpus, EveryFileImportsSavesAndPlotsOrSaysWhyNot) {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(fs::path(ZELKO_TEST_DATA) / "fuzz-vem"))
        if (entry.is_regular_file()) files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    ASSERT_GE(files.size(), 2u) << "the seed files are part of the repository";
    for (const fs::path& file : files) {
        const std::string name = file.filename().string();
        std::ifstream in(file, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        std::vector<std::string> destinations;
        {
            std::istringstream probe(text.str());
            const TVemoImporter importer(probe);
            for (int i = 0; i < importer.LayerCount(); ++i)
                destinations.emplace_back(i % 2 ? "solder" : "new-layer");
        }
        TVemoDocument doc;
        std::istringstream again(text.str());
        const TVemoImportResult result = ImportVemo(again, destinations, doc);
        if (name.rfind("good-", 0) == 0) {
            EXPECT_GT(result.report.items, 0) << name;
        }
        std::string error;
        EXPECT_TRUE(DocumentFromBytes(DocumentBytes(doc), error)) << name << ": " << error;
        const TVemoLayerList& layers = doc.GetLayerList();
        for (int i = 0; i < layers.Count(); ++i) {
            const TGerberLayerFile gbr = BuildGerberLayer(doc, layers.At(i), 0.3, 0.1);
            EXPECT_TRUE(gbr.ok || !gbr.error.empty()) << name << ": a failed layer says why";
        }
    }
}

}  // namespace
