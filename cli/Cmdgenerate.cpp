// generate-board: a synthetic board for trying out and measuring the program.

#include <string>

#include "boardgen/Boardgen.h"
#include "cli/Commands.h"
#include "geom/Units.h"
#include "model/Vemocontainer.h"
#include "model/Vemodocument.h"

namespace cli {

namespace {

struct GenerateArgs {
    std::string count;
    std::string seed = "1";
    int blockLevels = 0;
    std::string output;
};

int RunGenerate(Session& session, const GenerateArgs& args) {
    TBoardOptions options;
    ParseNumber(args.count, options.objects);
    ParseNumber(args.seed, options.seed);
    options.blockLevels = args.blockLevels;
    session.Progress("making a board of " + args.count + " objects");
    const auto doc = GenerateBoard(options);
    session.EndProgress();
    session.Timing("made the board");
    char summary[200];
    if (options.blockLevels > 0) {
        int leaves = 0;
        ForEachObject(doc->GetRoot(), false,
                      [&](const TVemoObject& object) { leaves += object.AsInstance() ? 1 : 0; });
        std::snprintf(summary, sizeof summary,
                      "%d drawing objects in %d levels of blocks on a %g x %g mm board (seed %u)", leaves,
                      options.blockLevels, units::ToMm(doc->GetAreaWidth()),
                      units::ToMm(doc->GetAreaHeight()), static_cast<unsigned>(options.seed));
    } else {
        std::snprintf(summary, sizeof summary, "%d objects on a %g x %g mm board (seed %u)",
                      doc->GetRoot().GetChildCount(), units::ToMm(doc->GetAreaWidth()),
                      units::ToMm(doc->GetAreaHeight()), static_cast<unsigned>(options.seed));
    }
    if (!WriteBoard(session, *doc, args.output)) return kExitFailed;
    session.Say(summary);
    return 0;
}

}  // namespace

void AddGenerateBoard(CLI::App& parent, Registry& registry) {
    auto args = std::make_shared<GenerateArgs>();
    CLI::App* generate = parent.add_subcommand(
        "generate-board",
        "Make a synthetic board of tracks, pads, pours, texts and parts, for trials and benchmarks");
    generate->add_option("N", args->count, "about how many objects (1 to 10000000)")
        ->required()
        ->type_name("")
        ->check(CLI::Validator(
            [](std::string& word) -> std::string {
                int n = 0;
                if (!ParseNumber(word, n) || n < 1 || n > 10000000)
                    return "\"" + word + "\" is not a whole number from 1 to 10000000";
                return {};
            },
            ""));
    generate->add_option("-o,--output", args->output, "the document to write (.vbf)")
        ->required()
        ->check(kOutputPath)
        ->type_name("OUT");
    generate->add_option("--seed", args->seed, "the same seed and size give the same board")
        ->default_str("1")
        ->check(CLI::Validator(
            [](std::string& word) -> std::string {
                std::uint32_t seed = 0;
                if (!ParseNumber(word, seed))
                    return "\"" + word + "\" is not a whole number from 0 to 4294967295";
                return {};
            },
            ""))
        ->type_name("S");
    generate
        ->add_option(
            "--block-levels", args->blockLevels,
            "gather the objects into groups of groups, L levels deep (0 to 12), as parts sit in blocks")
        ->default_str("0")
        ->check(CLI::Range(0, 12).description(""))
        ->type_name("L");
    registry.Add(generate, [args](Session& session) { return RunGenerate(session, *args); });
}

}  // namespace cli
