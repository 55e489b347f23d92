#pragma once
// The fab flavour of Gerber output: Gerber X2 in millimetres (%MOMM%,
// %FSLAX46Y46%), without the deprecated codes, with file attributes saying
// what each file is (%TF.FileFunction% from the layer's role), aperture
// functions on copper, and filled shapes and texts as regions made from their
// united outline instead of hatching. Strokes and flashes are the ones the
// classic flavour writes. The classic flavour stays the default elsewhere.

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "gerber/Gerberexport.h"
#include "model/Vemotypes.h"

class TVemoDocument;

// What a layer is to a board house.
enum class TLayerRole {
    None,
    TopCopper,
    BottomCopper,
    TopMask,
    BottomMask,
    TopSilk,
    BottomSilk,
    Outline,
    Drill,
    Other
};

struct TLayerRoleInfo {
    TLayerRole role;
    const char* name;          // as users type it and files are named: "top-copper"
    const char* fileFunction;  // the value of %TF.FileFunction%
    const char* polarity;      // of %TF.FilePolarity%
};

const TLayerRoleInfo& RoleInfo(TLayerRole role);
// The role of a name users type ("top-copper", "outline", ...); None for an unknown word.
TLayerRole RoleNamed(const std::string& word);
// Every role name, for messages.
std::string RoleNames();
// The role of a layer by the names of a new document: component and solder
// copper (top and bottom: boards are drawn from the component side), stop_cmp
// and stop_sol masks, place_cmp and place_sol legends, dimension the outline,
// hole the drills; any other name None.
TLayerRole DefaultRole(const std::string& layerName);

struct TX2Options {
    bool attributes = true;    // false: the same file without any %TF/%TA/%TD
    std::string creationDate;  // ISO 8601; empty: now
};

// One layer's X2 file in memory; widths in millimetres, as BuildGerberLayer.
TGerberLayerFile BuildGerberX2Layer(TVemoDocument& document, const TVemoLayerPtr& layer, TLayerRole role,
                                    double penWidth, double textPenWidth, const TX2Options& options);

struct TX2ExportOptions : TX2Options {
    std::string folder;
    double penWidth = 0.3;      // mm
    double textPenWidth = 0.1;  // mm
    // Layers to write instead of those with the output flag; the drill layer
    // is left to the drill file unless named here.
    std::optional<std::vector<std::string>> layers;
    std::map<std::string, TLayerRole> roles;  // by layer name, over DefaultRole
    std::string board = "board";              // {board} of file names
    // {board}, {layer}, {role} (the layer's name when it has none) and {ext}.
    std::string nameTemplate = "{board}-{role}.{ext}";
    bool leaveOutEmpty = false;  // an empty layer is noted in warnings, not written
    std::function<void(int index, int count, const std::string& layer)> progress;
};

// The role a layer has under the options.
TLayerRole RoleOf(const TX2ExportOptions& options, const std::string& layerName);
// The file name of a layer under the template; a name with characters no
// file name should hold ("/", control characters) has them replaced by "_".
std::string X2FileName(const TX2ExportOptions& options, const std::string& layerName);

// Every chosen layer built first; the files are written beside their targets
// only when all were built, and put in place only when all were written, so a
// failed export leaves the folder's earlier files as they were. Two layers that
// would share a file name fail the export before anything is written.
TGerberExportResult ExportGerberX2(TVemoDocument& document, const TX2ExportOptions& options);
