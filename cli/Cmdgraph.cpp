// graph: a table of numbers drawn as a line graph and added to a document.

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "graph/Linegraphunit.h"
#include "model/Vemodocument.h"
#include "model/Vemogroup.h"
#include "settings/Settings.h"

namespace cli {

namespace {

struct GraphArgs {
    std::string data;
    std::string output;
    std::string settings;
    std::string into;
};

int RunGraph(Session& session, const GraphArgs& args) {
    const std::string settingsPath =
        args.settings.empty() ? TLineGraphUnit::DefaultSettingsPath() : args.settings;
    if (args.settings.empty()) {
        // The editor's graph window kept its settings in zelko.ini before.
        std::string error;
        if (TLineGraphUnit::AdoptOldSettings(settings::SettingsFilePath(), settingsPath, error))
            session.Say("moved the graph settings from " + settings::SettingsFilePath() + " to " +
                        settingsPath);
        else if (!error.empty())
            session.Warn("cannot move the graph settings from " + settings::SettingsFilePath() + ": " +
                         error);
    }
    std::error_code ec;
    if (!std::filesystem::is_regular_file(settingsPath, ec))
        return session.Fail("no settings file " + settingsPath +
                            ": the graph would have no size; give --settings");

    const std::unique_ptr<TVemoDocument> document = BaseDocument(session, args.into);
    if (!document) return kExitFailed;

    TLineGraphUnit unit;
    unit.SetDocument(document.get());
    std::string error;
    if (!unit.ReadData(args.data, &error)) return session.Fail(error);
    for (const TLineGraphUnit::TBrokenRow& row : unit.BrokenRows())
        session.Warn(args.data + ":" + std::to_string(row.line) + ": not a number; " +
                     (row.kept > 0 ? "kept the " + std::to_string(row.kept) + " value(s) before it, " : "") +
                     "dropped the rest of the row (" + std::to_string(row.dropped) + " value(s))");
    if (unit.ItemCount() == 0)
        return session.Fail(args.data + " has no line of numbers with an x and a y column; nothing to draw");
    unit.LoadSettings(settingsPath);
    const TLineGraphInf& axis = unit.Axis(0);
    if (!(axis.Width() > 0.0 && axis.Height() > 0.0))
        return session.Fail(settingsPath +
                            " sets no Width and Height above 0 in [GraphProperty]; nothing to draw");

    document->GetRoot().AddChild(unit.BuildGroup());
    std::string summary = args.data + ": " + std::to_string(unit.ItemCount()) + " curves";
    for (int i = 0; i < unit.ItemCount(); ++i)
        summary += (i == 0 ? " (" : ", ") + std::to_string(unit.Item(i).Xs().size()) + " points on " +
                   unit.Item(i).GetLayerName();
    summary += "), frame on " + unit.GetFrameLayerName();
    session.Say(summary);
    return WriteBoard(session, *document, args.output) ? 0 : kExitFailed;
}

}  // namespace

void AddGraph(CLI::App& parent, Registry& registry) {
    auto args = std::make_shared<GraphArgs>();
    CLI::App* graph = parent.add_subcommand(
        "graph", "Draw a line graph of a data file (tab- or comma-separated) into a document");
    graph->add_option("DATA", args->data, "the data file: an x column and one y column per curve")
        ->required()
        ->type_name("")
        ->check(kInputFile);
    graph->add_option("-o,--output", args->output, "the document to write (.vbf)")
        ->required()
        ->check(kOutputPath)
        ->type_name("OUT");
    graph
        ->add_option("--settings", args->settings,
                     "the line-graph tool's settings (default: graph_tool.ini in the settings folder)")
        ->check(kInputFile)
        ->type_name("INI");
    graph->add_option("--into", args->into, "add to this document instead of a new one")
        ->check(kInputFile)
        ->type_name("BASE");
    registry.Add(graph, [args](Session& session) { return RunGraph(session, *args); });
}

}  // namespace cli
