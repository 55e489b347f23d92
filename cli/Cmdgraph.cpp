// --graph: a table of numbers drawn as a line graph and added to a document.

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "archive/Vemodocumentfile.h"
#include "cli/Commands.h"
#include "graph/Linegraphunit.h"
#include "model/Vemodocument.h"
#include "model/Vemogroup.h"

namespace cli {

namespace {

constexpr const char* kUsage =
    "usage: zelko --graph DATA.csv|DATA.tab [--graph-settings FILE.ini] [--into BASE.vbf] -o OUT.vbf\n"
    "  without --graph-settings, the line-graph tool's graph_tool.ini is used\n";

int Usage(const char* problem, const std::string& word) {
    std::fprintf(stderr, "zelko: %s '%s'\n%s", problem, word.c_str(), kUsage);
    return 2;
}

}  // namespace

int CmdGraph(const Args& args) {
    std::vector<std::string> positional;
    std::string settingsPath, into, output;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "--graph-settings" && hasValue) {
            settingsPath = args[++i];
        } else if (a == "--into" && hasValue) {
            into = args[++i];
        } else if (a == "-o" && hasValue) {
            output = args[++i];
        } else if (!a.empty() && a[0] == '-') {
            return Usage("unexpected", a);
        } else {
            positional.push_back(a);
        }
    }
    if (positional.size() != 1 || output.empty()) {
        std::fprintf(stderr, "%s", kUsage);
        return 2;
    }
    const std::string& data = positional[0];
    if (settingsPath.empty()) settingsPath = TLineGraphUnit::DefaultSettingsPath();
    std::error_code ec;
    if (!std::filesystem::is_regular_file(settingsPath, ec)) {
        std::fprintf(stderr, "zelko: no settings file %s: the graph would have no size\n",
                     settingsPath.c_str());
        return 1;
    }

    std::string error;
    const std::unique_ptr<TVemoDocument> document = BaseDocument(into);
    if (!document) return 1;

    TLineGraphUnit unit;
    unit.SetDocument(document.get());
    if (!unit.ReadData(data, &error)) {
        std::fprintf(stderr, "zelko: %s\n", error.c_str());
        return 1;
    }
    if (unit.ItemCount() == 0) {
        std::fprintf(stderr, "zelko: %s has no line of numbers with an x and a y column; nothing to draw\n",
                     data.c_str());
        return 1;
    }
    unit.LoadSettings(settingsPath);
    const TLineGraphInf& axis = unit.Axis(0);
    if (!(axis.Width() > 0.0 && axis.Height() > 0.0)) {
        std::fprintf(stderr,
                     "zelko: %s sets no Width and Height above 0 in [GraphProperty]; nothing to draw\n",
                     settingsPath.c_str());
        return 1;
    }

    std::unique_ptr<TVemoGroup> graph = unit.BuildGroup();
    document->GetRoot().AddChild(std::move(graph));
    std::printf("%s: %d curves", data.c_str(), unit.ItemCount());
    for (int i = 0; i < unit.ItemCount(); ++i)
        std::printf("%s%zu points on %s", i == 0 ? " (" : ", ", unit.Item(i).Xs().size(),
                    unit.Item(i).GetLayerName().c_str());
    std::printf("), frame on %s\n", unit.GetFrameLayerName().c_str());

    if (!WriteDocumentFile(*document, output, error)) {
        std::fprintf(stderr, "zelko: cannot write %s: %s\n", output.c_str(), error.c_str());
        return 1;
    }
    return 0;
}

}  // namespace cli
