// Writes the demo board, pads and library parts under the folder given, as
// they are checked in: zelko_make_demo <repository root>.

#include <QGuiApplication>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "archive/Vemodocumentfile.h"
#include "boardgen/Demo.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: zelko_make_demo FOLDER\n");
        return 2;
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QGuiApplication app(argc, argv);
    const std::filesystem::path root(argv[1]);
    int failures = 0;
    for (const TDemoFile& file : BuildDemoContent()) {
        const std::filesystem::path target = root / file.path;
        std::error_code ec;
        std::filesystem::create_directories(target.parent_path(), ec);
        std::string error;
        if (WriteDocumentFile(*file.document, target.string(), error)) {
            std::printf("wrote %s\n", target.c_str());
        } else {
            std::fprintf(stderr, "cannot write %s: %s\n", target.c_str(), error.c_str());
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}
