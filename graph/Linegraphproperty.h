#pragma once
// The key/value rows through which the line-graph window shows and edits one
// item, and the Apply step that takes them over.

#include <string>
#include <vector>

class TLineGraphUnit;

struct TGraphProperty {
    std::string key;
    std::string value;
    bool operator==(const TGraphProperty&) const = default;
};
using TGraphProperties = std::vector<TGraphProperty>;

inline constexpr const char* kInvalidGraphValueMessage = "無効な値が含まれています。";

// The rows a new editor starts with, in their order.
TGraphProperties InitialGraphProperties();

// The values of item i: sizes and ranges of its axis, the layer names and the
// widths; doubles in general form with up to 15 significant digits. No rows
// for an index out of range.
TGraphProperties ShowGraphItem(const TLineGraphUnit& unit, int item);

// Applies rows to item i in this order: Yaxis; Width and Height; FrameWidth
// and LineWidth; Frame and Layer; Xmin and Xmax; Xtics and Xmtics; Ymin and
// Ymax; Ytics and Ymtics. Stops at the first invalid value (not a number, an
// empty range, a tic spacing or number of divisions of 0 or less, a size or
// width beyond TLineGraphUnit's limits, a layer name documents cannot hold) with kInvalidGraphValueMessage in
// message; the steps before it stay applied. Saving the settings afterwards is the caller's step.
bool ApplyGraphProperties(TLineGraphUnit& unit, int item, const TGraphProperties& rows, std::string& message);
