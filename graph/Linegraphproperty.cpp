#include "graph/Linegraphproperty.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <optional>

#include "archive/Cp932.h"
#include "graph/Linegraphunit.h"
#include "settings/Inifile.h"

namespace {

std::string Text(double value) {
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 15);
    return std::string(buf, res.ptr);
}

const std::string* Find(const TGraphProperties& rows, const char* key) {
    for (const TGraphProperty& row : rows)
        if (row.key == key) return &row.value;
    return nullptr;
}

std::optional<double> Number(const TGraphProperties& rows, const char* key) {
    const std::string* text = Find(rows, key);
    return text ? settings::ParseFloat(*text) : std::nullopt;
}

// A count of divisions: the number's whole part, when it is at least 1.
std::optional<int> Divisions(const TGraphProperties& rows, const char* key) {
    const std::optional<double> v = Number(rows, key);
    if (!v || *v < 1.0 || *v > double(INT_MAX)) return std::nullopt;
    return int(std::trunc(*v));
}

}  // namespace

TGraphProperties InitialGraphProperties() {
    return {{"Width", "400"},   {"Height", "300"},   {"Frame", "dimension"}, {"FrameWidth", "1"},
            {"LineWidth", "1"}, {"Layer", "solder"}, {"Xmin", "0"},          {"Xmax", "4"},
            {"Xtics", "1"},     {"Xmtics", "5"},     {"Yaxis", "1"},         {"Ymin", "-10"},
            {"Ymax", "10"},     {"Ytics", "5"},      {"Ymtics", "2"}};
}

TGraphProperties ShowGraphItem(const TLineGraphUnit& unit, int i) {
    if (i < 0 || i >= unit.ItemCount()) return {};
    const TLineGraphItem& item = unit.Item(i);
    const TLineGraphInf& a = item.GetAxis();
    return {{"Width", Text(a.Width())},
            {"Height", Text(a.Height())},
            {"Frame", unit.GetFrameLayerName()},
            {"Layer", item.GetLayerName()},
            {"FrameWidth", settings::FormatFloat(unit.GetFrameWidth())},
            {"LineWidth", settings::FormatFloat(item.GetStyle().GetWidth())},
            {"Xmin", Text(a.XMin())},
            {"Xmax", Text(a.XMax())},
            {"Xtics", Text(a.XTics())},
            {"Xmtics", std::to_string(a.XMTics())},
            {"Yaxis", std::to_string(a.GetIndex())},
            {"Ymin", Text(a.YMin())},
            {"Ymax", Text(a.YMax())},
            {"Ytics", Text(a.YTics())},
            {"Ymtics", std::to_string(a.YMTics())}};
}

bool ApplyGraphProperties(TLineGraphUnit& unit, int i, const TGraphProperties& rows, std::string& message) {
    auto invalid = [&] {
        message = kInvalidGraphValueMessage;
        unit.ResetCurves();
        return false;
    };
    if (i < 0 || i >= unit.ItemCount()) return invalid();
    TLineGraphItem& item = unit.Item(i);

    const std::string* yaxisText = Find(rows, "Yaxis");
    const std::optional<int> yaxis = yaxisText ? settings::ParseInteger(*yaxisText) : std::nullopt;
    if (!yaxis) return invalid();
    TLineGraphInf& axis = unit.Axis(*yaxis);
    item.SetAxis(&axis);

    const std::optional<double> width = Number(rows, "Width"), height = Number(rows, "Height");
    if (!width || !height || !TLineGraphUnit::ValidSize(*width) || !TLineGraphUnit::ValidSize(*height))
        return invalid();
    unit.SetSize(*width, *height);

    const std::optional<double> frameWidth = Number(rows, "FrameWidth"),
                                lineWidth = Number(rows, "LineWidth");
    if (!frameWidth || !lineWidth || !TLineGraphUnit::ValidPenWidth(*frameWidth) ||
        !TLineGraphUnit::ValidPenWidth(*lineWidth))
        return invalid();
    unit.SetFrameWidth(float(*frameWidth));
    item.SetLineWidth(float(*lineWidth));

    // Names go into documents, whose files hold CP932.
    const std::string* frame = Find(rows, "Frame");
    const std::string* layer = Find(rows, "Layer");
    if (!frame || !layer || !CanEncodeCp932(*frame) || !CanEncodeCp932(*layer)) return invalid();
    unit.SetFrameLayerName(*frame);
    item.SetLayerName(*layer);

    const std::optional<double> xmin = Number(rows, "Xmin"), xmax = Number(rows, "Xmax");
    if (!xmin || !xmax || !(*xmin < *xmax)) return invalid();
    axis.SetXRange(*xmin, *xmax);

    const std::optional<double> xtics = Number(rows, "Xtics");
    const std::optional<int> xmtics = Divisions(rows, "Xmtics");
    if (!xtics || !(*xtics > 0.0) || !xmtics) return invalid();
    axis.SetXTics(*xtics, *xmtics);

    const std::optional<double> ymin = Number(rows, "Ymin"), ymax = Number(rows, "Ymax");
    if (!ymin || !ymax || !(*ymin < *ymax)) return invalid();
    axis.SetYRange(*ymin, *ymax);

    const std::optional<double> ytics = Number(rows, "Ytics");
    const std::optional<int> ymtics = Divisions(rows, "Ymtics");
    if (!ytics || !(*ytics > 0.0) || !ymtics) return invalid();
    axis.SetYTics(*ytics, *ymtics);

    unit.ResetCurves();
    message.clear();
    return true;
}
