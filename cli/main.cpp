// zelko: the editor when started alone or with a board, else one batch
// subcommand (info, convert, export, import, graph, check, generate-board, paths).

#include <QGuiApplication>
#include <QtGlobal>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <set>
#include <string>

#include "cli/Commands.h"

namespace {

// Qt's notes go to stderr as usual, except the one about a missing runtime
// folder, which every batch run on a server would print, and the offscreen
// platform's note on window size hints (screenshots): they mean nothing here.
void FilterQtMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (message.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR")) ||
        message.contains(QLatin1String("does not support propagateSizeHints")))
        return;
    std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
    if (type == QtFatalMsg) std::abort();
}

// The deepest subcommand the parse got to, and its words: "zelko export gerber".
CLI::App* Chosen(CLI::App& app, std::string& words) {
    CLI::App* at = &app;
    words = "zelko";
    while (!at->get_subcommands().empty()) {
        at = at->get_subcommands().front();
        words += " " + at->get_name();
    }
    return at;
}

constexpr const char* kFooter =
    "Run 'zelko COMMAND --help' for the options of a command. Lengths are in millimetres.\n"
    "zelko alone opens the editor on default.vbf or a new board; zelko FILE.vbf opens that board.\n"
    "zelko --screenshot OUT.png [FILE.vbf] opens the editor, saves a picture of its window and closes it.";

int Run(int argc, char** argv) {
    CLI::App app("zelko " ZELKO_VERSION " - printed-circuit-board artwork editor", "zelko");
    app.set_version_flag("-V,--version", "zelko " ZELKO_VERSION);
    app.require_subcommand(0, 1);
    cli::Session session;
    app.add_flag("-q,--quiet", session.quiet, "no progress and no summary of what was written");
    app.add_flag("-v,--verbose", session.verbose, "say how long each step took");

    cli::Registry registry;
    cli::AddInfo(app, registry);
    cli::AddConvert(app, registry);
    CLI::App* exportCommand = app.add_subcommand(
        "export", "Write Gerber files, a drill file, a fab package or a picture of a document");
    exportCommand->require_subcommand(1);
    cli::AddExportGerber(*exportCommand, registry);
    cli::AddExportBitmap(*exportCommand, registry);
    cli::AddExportImage(*exportCommand, registry);
    cli::AddExportDrill(*exportCommand, registry);
    cli::AddExportFab(*exportCommand, registry);
    CLI::App* importCommand = app.add_subcommand("import", "Bring a file of another format into a document");
    importCommand->require_subcommand(1);
    cli::AddImportVem(*importCommand, registry);
    cli::AddImportGerber(*importCommand, registry);
    cli::AddGraph(app, registry);
    cli::AddCheck(app, registry);
    cli::AddGenerateBoard(app, registry);
    cli::AddPaths(app, registry);

    app.footer(kFooter);  // after the subcommands, which would inherit it

    // Options of the whole program (-q, -v) may follow the subcommand too.
    std::set<std::string> names;
    for (CLI::App* sub : app.get_subcommands({})) {
        names.insert(sub->get_name());
        sub->fallthrough();
        for (CLI::App* inner : sub->get_subcommands({})) inner->fallthrough();
    }

    // Without a subcommand the program is the editor: "zelko" or "zelko FILE.vbf".
    if (argc == 1) return cli::OpenEditor(argc, argv, {});
    const std::string first = argv[1];
    if (first == "--screenshot") {
        session.command = "zelko --screenshot";
        if (argc < 3 || argc > 4) return session.Usage("give the picture to write and at most one board");
        std::string out = argv[2];
        if (const std::string problem = cli::kOutputPath(out); !problem.empty())
            return session.Usage(problem);
        std::string file = argc == 4 ? argv[3] : "";
        if (!file.empty())
            if (const std::string problem = cli::kInputFile(file); !problem.empty())
                return session.Usage(problem);
        qInstallMessageHandler(FilterQtMessages);
        return cli::OpenEditor(argc, argv, file, out);
    }
    if (!first.empty() && first[0] != '-' && names.count(first) == 0) {
        session.command = "zelko";
        if (first.find_first_of("./") == std::string::npos)
            return session.Usage("unknown command \"" + first + "\"");
        if (argc > 2) return session.Usage("the editor opens one file at a time");
        std::string path = first;
        const std::string problem = cli::kInputFile(path);
        // A folder (dropped on the program, say) is told in a window too; a
        // board that does not exist yet in a folder that does is a new board
        // to be saved under that name.
        std::error_code ec;
        const std::filesystem::path parent = std::filesystem::absolute(path, ec).parent_path();
        const bool newBoard = !std::filesystem::exists(path, ec) && std::filesystem::is_directory(parent, ec);
        if (!problem.empty() && !std::filesystem::is_directory(path, ec) && !newBoard)
            return session.Usage(problem);
        return cli::OpenEditor(argc, argv, first);
    }

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForVersion&) {
        std::printf("zelko %s\n", ZELKO_VERSION);
        return 0;
    } catch (const CLI::ParseError& e) {
        std::string words;
        const CLI::App* at = Chosen(app, words);
        session.command = words;
        // A group of commands given alone: name the ones it has.
        const auto inner = at->get_subcommands({});
        if (at != &app && !inner.empty() && at->get_subcommands().empty()) {
            std::string list;
            for (const CLI::App* sub : inner) list += (list.empty() ? "" : " or ") + sub->get_name();
            return session.Usage("which one: " + list + "?");
        }
        return session.Usage(e.what());
    }

    std::string words;
    CLI::App* chosen = Chosen(app, words);
    session.command = words;
    for (const auto& [command, run] : registry.commands) {
        if (command != chosen) continue;
        // Texts need glyph outlines, which need a GUI application; batch work has
        // no window, so the offscreen platform serves when none is chosen.
        if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
        qInstallMessageHandler(FilterQtMessages);
        int qtArgc = 1;
        QGuiApplication qtApp(qtArgc, argv);
        return run(session);
    }
    // Only "-q" or "-v" without a command.
    return session.Usage("no command given");
}

}  // namespace

// Failures are reasons returned, not exceptions; one that still escapes (out of
// memory, a library's own) ends the run with its reason instead of an abort.
int main(int argc, char** argv) {
    try {
        return Run(argc, argv);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "zelko: %s\n", e.what());
    } catch (...) {
        std::fprintf(stderr, "zelko: unexpected failure\n");
    }
    return cli::kExitFailed;
}
