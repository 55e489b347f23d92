#pragma once
// Everything a board house needs, in one zip: the Gerber X2 files of the
// output layers (empty ones left out, with a word), the Excellon drill file of
// the hole layer, and a readme listing the files, the layers, the board's size
// (its outline's, else the design area's, saying which) and its holes.

#include <cstdint>
#include <string>
#include <vector>

#include "gerber/Gerberx2.h"

class TVemoDocument;

struct TFabPackageResult {
    struct File {
        std::string name;
        std::uint64_t bytes = 0;
        std::string what;  // "top-copper (layer component)", "drill file", ...
    };
    std::vector<File> files;  // in the zip, in order
    std::vector<std::string> warnings;
    int holes = 0;
    std::uint64_t bytes = 0;  // of the zip
};

// Builds every file in memory and writes the zip safely only when all were
// built; on failure nothing is written and error says why. Widths and layer
// names are checked as ExportGerberX2 checks them; the drill layer goes to
// the drill file even when named. options.folder, leaveOutEmpty and progress
// are set by the package itself.
bool ExportFabPackage(TVemoDocument& document, const std::string& zipPath, const TX2ExportOptions& options,
                      TFabPackageResult& result, std::string& error);
