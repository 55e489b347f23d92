#include "import/Vemoimport.h"

#include <memory>

#include "model/Vemodocument.h"
#include "model/Vemogroup.h"
#include "model/Vemolayer.h"

namespace {

constexpr Argb kNewLayerColour = 0xFF0000FFu;  // opaque blue

}  // namespace

TImportLayerMap ReadImportLayerMap(const settings::TIniFile& ini) {
    TImportLayerMap map;
    for (int n = 0; n < kImportLayerMapLimit; ++n) {
        const std::string target = ini.ReadString(kImportLayerSection, "Target" + std::to_string(n), "");
        const std::string dest = ini.ReadString(kImportLayerSection, "Dest" + std::to_string(n), "");
        if (target.empty() || dest.empty()) break;
        map[target] = dest;
    }
    return map;
}

void WriteImportLayerMap(settings::TIniFile& ini, const TImportLayerMap& map) {
    ini.EraseSection(kImportLayerSection);
    int n = 0;
    for (const auto& [target, dest] : map) {
        if (target.empty() || dest.empty()) continue;
        ini.WriteString(kImportLayerSection, "Target" + std::to_string(n), target);
        ini.WriteString(kImportLayerSection, "Dest" + std::to_string(n), dest);
        ++n;
    }
}

std::vector<std::string> DestinationsFor(const std::vector<std::string>& legacyNames,
                                         const TImportLayerMap& map) {
    std::vector<std::string> destinations;
    for (const std::string& name : legacyNames) {
        const auto it = map.find(name);
        destinations.push_back(it == map.end() ? std::string() : it->second);
    }
    return destinations;
}

TVemoImportResult ImportVemo(std::istream& in, const std::vector<std::string>& destinations,
                             TVemoDocument& document, TImportLayerMap* remember) {
    TVemoImportResult result;
    TVemoImporter importer(in);
    result.legacyLayers = importer.LayerNames();
    TVemoLayerList& layers = document.GetLayerList();
    for (int r = 0; r < importer.LayerCount() && r < int(destinations.size()); ++r) {
        const std::string& dest = destinations[std::size_t(r)];
        if (dest.empty()) continue;
        if (remember != nullptr) (*remember)[importer.LayerName(r)] = dest;
        TVemoLayerPtr layer = layers.Find(dest);
        if (!layer) {
            layer = std::make_shared<TVemoLayer>(kNewLayerColour, dest);
            layers.Insert(layer);
            result.layersCreated = true;
            result.createdLayers.push_back(dest);
        }
        importer.SetLayerSlot(r, layer);
    }
    const TVemoGroup* group = importer.ReadDrawItems();
    result.group = static_cast<TVemoGroup*>(document.GetRoot().AddCopy(*group));
    result.report = importer.GetReport();
    return result;
}
