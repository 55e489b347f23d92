// zelko batch front end: converts and inspects boards without opening a window.

#include <QGuiApplication>
#include <QtGlobal>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "cli/Commands.h"

namespace {

void PrintUsage(std::FILE* out) {
    std::fprintf(out,
                 "zelko %s - printed-circuit-board artwork editor\n"
                 "\n"
                 "usage: zelko OPTION ...\n"
                 "\n"
                 "  --info FILE.vbf                       describe a document\n"
                 "  --convert IN.vbf -o OUT.vbf           rewrite a document in the current format\n"
                 "  --generate-board N [--seed S] -o OUT.vbf\n"
                 "                                        make a synthetic board of N objects\n"
                 "  --export-gerber DIR [--pen-width MM] [--text-pen-width MM]\n"
                 "                  [--layers NAME,NAME...] FILE.vbf\n"
                 "                                        one Gerber file per output layer\n"
                 "  --export-bitmap OUT.bmp|OUT.png [--ppi N] [--mono] [--mirror] [--negative]\n"
                 "                  [--antialias] [--layers NAME,NAME...] FILE.vbf\n"
                 "                                        the output layers as an image\n"
                 "  --import-vem FILE.vem [--map LEGACY=LAYER ...] [--into BASE.vbf] -o OUT.vbf\n"
                 "                                        import a line-and-land file\n"
                 "  --graph DATA.csv|DATA.tab [--graph-settings FILE.ini] [--into BASE.vbf] -o OUT.vbf\n"
                 "                                        draw a line graph of a data file\n"
                 "  --help                                show this text\n"
                 "  --version                             show the version\n",
                 ZELKO_VERSION);
}

// Qt's notes go to stderr as usual, except the one about a missing runtime
// folder, which every batch run on a server would print and which means nothing here.
void FilterQtMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (message.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR"))) return;
    std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
    if (type == QtFatalMsg) std::abort();
}

using Command = int (*)(const cli::Args&);

struct Entry {
    const char* option;
    Command run;
};

constexpr Entry kCommands[] = {
    {"--info", cli::CmdInfo},
    {"--convert", cli::CmdConvert},
    {"--generate-board", cli::CmdGenerateBoard},
    {"--export-gerber", cli::CmdExportGerber},
    {"--export-bitmap", cli::CmdExportBitmap},
    {"--import-vem", cli::CmdImportVem},
    {"--graph", cli::CmdGraph},
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        PrintUsage(stdout);
        return 0;
    }
    const std::string arg = argv[1];
    if (arg == "--help" || arg == "-h") {
        PrintUsage(stdout);
        return 0;
    }
    if (arg == "--version") {
        std::printf("zelko %s\n", ZELKO_VERSION);
        return 0;
    }
    for (const Entry& entry : kCommands) {
        if (arg != entry.option) continue;
        // Texts need glyph outlines, which need a GUI application; batch work has
        // no window, so the offscreen platform serves when none is chosen.
        if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
        qInstallMessageHandler(FilterQtMessages);
        int qtArgc = 1;
        QGuiApplication app(qtArgc, argv);
        const cli::Args rest(argv + 2, argv + argc);
        return entry.run(rest);
    }
    std::fprintf(stderr, "zelko: unknown option '%s'\n\n", argv[1]);
    PrintUsage(stderr);
    return 2;
}
