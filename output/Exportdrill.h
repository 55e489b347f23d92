#pragma once
// Excellon drill file of a board: every filled circle, and every round dot (a
// path that stays on one point, drawn with a round pen), on the drill layer is
// a hole of its diameter, at the place the Gerber files put it (millimetres from
// the bottom-left corner of the design area). Tools are sorted by size.
// Anything else on that layer cannot be drilled; it is listed, never dropped
// without a word.

#include <string>
#include <vector>

#include "model/Vemotypes.h"

class TVemoDocument;

struct TDrillFile {
    std::string bytes;              // the Excellon file
    std::vector<double> tools;      // diameters in mm, smallest first
    std::vector<int> holesPerTool;  // in the order of tools
    int holes = 0;
    std::vector<std::string> refused;  // objects that are not round holes, and why
};

// The layer a board's holes are drawn on: the one named name when given, else
// the first with the hole flag, else the one named "hole". Null when there is none.
TVemoLayerPtr DrillLayer(const TVemoDocument& document, const std::string& name = {});

// The drill file of the visible objects on layer; comment goes into the header.
TDrillFile BuildDrill(const TVemoDocument& document, const TVemoLayerPtr& layer, const std::string& comment);
