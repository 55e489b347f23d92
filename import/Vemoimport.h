#pragma once
// Bringing a line-and-land file into a document: the layer mapping the user
// confirms (remembered in the settings file, section "ImportLayer") and the
// step that creates missing layers, reads the items and adds them as one group.

#include <istream>
#include <map>
#include <string>
#include <vector>

#include "import/Vemoimporter.h"
#include "settings/Inifile.h"

class TVemoDocument;
class TVemoGroup;

// Legacy layer name -> document layer name, in byte order of the legacy name.
using TImportLayerMap = std::map<std::string, std::string>;

inline constexpr const char* kImportLayerSection = "ImportLayer";
// Pairs read back from the settings file; more may be written.
inline constexpr int kImportLayerMapLimit = 64;

// "Target<n>" and "Dest<n>" for n = 0 ... 63, up to the first pair with either
// missing or empty.
TImportLayerMap ReadImportLayerMap(const settings::TIniFile& ini);
// Replaces the section by every pair with a non-empty name and destination,
// numbered from 0 in map order.
void WriteImportLayerMap(settings::TIniFile& ini, const TImportLayerMap& map);

// One destination per legacy layer, in file order: the remembered one, or empty.
std::vector<std::string> DestinationsFor(const std::vector<std::string>& legacyNames,
                                         const TImportLayerMap& map);

struct TVemoImportResult {
    TVemoGroup* group = nullptr;  // the group added to the document's root
    // Layers were made, so undo must restore the layer list as well as the objects.
    bool layersCreated = false;
    std::vector<std::string> createdLayers;
    std::vector<std::string> legacyLayers;  // file order
    TVemoImportReport report;
};

// Reads the file from in and adds its items to document as one group.
// destinations[r] names the document layer for legacy layer r; an empty or
// missing entry drops that layer's items. A name no document layer has makes a
// new opaque blue layer, once however many rows name it. Every non-empty choice
// is noted in remember when given.
TVemoImportResult ImportVemo(std::istream& in, const std::vector<std::string>& destinations,
                             TVemoDocument& document, TImportLayerMap* remember = nullptr);
