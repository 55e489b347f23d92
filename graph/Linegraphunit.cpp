#include "graph/Linegraphunit.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <string_view>
#include <system_error>

#include "archive/Safefile.h"
#include "model/Vemodocument.h"
#include "model/Vemogroup.h"
#include "model/Vemolayer.h"
#include "model/Vemolayerlist.h"
#include "model/Vemopath.h"
#include "model/Vemorectangle.h"
#include "settings/Settings.h"

namespace {

constexpr Argb kCurveLayerColour = 0xFFEB2828u;  // opaque (235, 40, 40)
constexpr Argb kFrameLayerColour = 0xFF000000u;  // opaque black
constexpr const char* kGraphSection = "GraphProperty";
// Columns beyond this are read past but make no items: one line of a data file
// must not be able to claim memory for millions of them.
constexpr std::size_t kMaxItems = 1000;

// The document layer of that name, or a new one inserted in the list.
TVemoLayerPtr LayerNamed(TVemoLayerList& layers, const std::string& name, Argb colour) {
    if (TVemoLayerPtr layer = layers.Find(name)) return layer;
    auto layer = std::make_shared<TVemoLayer>(colour, name);
    layers.Insert(layer);
    return layer;
}

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// Numbers of a data file as a text stream reads them: white space before the
// number is skipped, the number ends where it cannot go on. Numbers that are
// not finite, or do not fit a double, do not read.
class TNumberReader {
public:
    explicit TNumberReader(std::string_view text) : text_(text) {}

    bool AtEnd() const { return pos_ >= text_.size(); }
    std::size_t Position() const { return pos_; }

    bool Read(double& value) {
        while (!AtEnd() && IsSpace(text_[pos_])) ++pos_;
        std::size_t start = pos_;
        if (start < text_.size() && text_[start] == '+') {
            ++start;
            if (start < text_.size() && text_[start] == '-') return false;
        }
        const char* first = text_.data() + start;
        const char* last = text_.data() + text_.size();
        const auto res = std::from_chars(first, last, value, std::chars_format::general);
        if (res.ec != std::errc() || !std::isfinite(value)) return false;
        pos_ = std::size_t(res.ptr - text_.data());
        return true;
    }
    // The separator that follows a number, whatever it is.
    void SkipOne() {
        if (!AtEnd()) ++pos_;
    }
    void SkipLine() {
        const std::size_t end = text_.find('\n', pos_);
        pos_ = end == std::string_view::npos ? text_.size() : end + 1;
    }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

// The numbers of a line made only of numbers, each followed by one separator
// (none after the last); empty for any other line.
std::vector<double> NumericLine(std::string_view line) {
    std::vector<double> numbers;
    TNumberReader reader(line);
    for (;;) {
        double v = 0.0;
        if (!reader.Read(v)) return {};
        numbers.push_back(v);
        if (reader.AtEnd()) return numbers;
        reader.SkipOne();
        if (reader.AtEnd()) return {};  // the line ends in a separator
    }
}

std::unique_ptr<TVemoPath> Tick(const TVemoLayerPtr& layer, const TVemoSurface& pen, PointF a, PointF b) {
    auto tick = std::make_unique<TVemoPath>();
    tick->SetLayer(layer);
    tick->SetSurface(pen);
    tick->Reset();
    tick->AppendNode(a);
    tick->AppendNode(b);
    tick->Finish();
    return tick;
}

}  // namespace

// ---- TLineGraphInf ----

void TLineGraphInf::SetSize(double width, double height) {
    width_ = width;
    height_ = height;
    xscale_ = width_ / (xmax_ - xmin_);
    yscale_ = height_ / (ymax_ - ymin_);
}

void TLineGraphInf::SetXRange(double xmin, double xmax) {
    xmin_ = xmin;
    xmax_ = xmax;
    xscale_ = width_ / (xmax_ - xmin_);
}

void TLineGraphInf::SetYRange(double ymin, double ymax) {
    ymin_ = ymin;
    ymax_ = ymax;
    yscale_ = height_ / (ymax_ - ymin_);
}

// ---- TLineGraphItem ----

TLineGraphItem::TLineGraphItem(const TLineGraphInf* axis, std::string layerName)
    : style_(3.0f, false, false), axis_(axis), layerName_(std::move(layerName)) {}

TLineGraphItem::~TLineGraphItem() = default;

void TLineGraphItem::Append(double x, double y) {
    xs_.push_back(x);
    ys_.push_back(y);
}

void TLineGraphItem::SetAxis(const TLineGraphInf* axis) {
    axis_ = axis;
    ResetCurve();
}

void TLineGraphItem::SetLayerName(const std::string& name) {
    layerName_ = name;
    ResetCurve();
}

void TLineGraphItem::SetLineWidth(float width) {
    style_.SetWidth(width);
    ResetCurve();
}

void TLineGraphItem::ResetCurve() {
    curve_.reset();
}

const TVemoPath& TLineGraphItem::BuildCurve(TVemoLayerList& layers) {
    if (curve_) return *curve_;
    const TLineGraphInf& a = *axis_;
    curve_ = std::make_unique<TVemoPath>();
    curve_->SetLayer(LayerNamed(layers, layerName_, kCurveLayerColour));
    curve_->SetSurface(style_);
    curve_->Reset();
    for (std::size_t i = 0; i < xs_.size(); ++i) {
        const double x = xs_[i], y = ys_[i];
        if (x > a.XMax()) break;
        const double px = (x - a.XMin()) * a.XScale() + a.OriginX();
        double py = a.OriginY() + a.Height();
        if (y > a.YMax())
            py = a.OriginY();
        else if (y >= a.YMin())
            py = (a.OriginY() + a.Height()) - (y - a.YMin()) * a.YScale();
        const PointF p{float(px), float(py)};
        if (std::isfinite(p.x) && std::isfinite(p.y)) curve_->AppendNode(p);
    }
    curve_->Finish();
    return *curve_;
}

// ---- TLineGraphUnit ----

TLineGraphUnit::TLineGraphUnit() = default;
TLineGraphUnit::~TLineGraphUnit() = default;

TLineGraphInf& TLineGraphUnit::Axis(int n) {
    return axes_[n == 1 ? 1 : 0];
}
const TLineGraphInf& TLineGraphUnit::Axis(int n) const {
    return axes_[n == 1 ? 1 : 0];
}

void TLineGraphUnit::SetFrameWidth(float width) {
    if (width > 0.0f) frameWidth_ = width;
}

void TLineGraphUnit::SetSize(double width, double height) {
    for (TLineGraphInf& axis : axes_) axis.SetSize(width, height);
    ResetCurves();
}

void TLineGraphUnit::ResetCurves() {
    for (auto& item : items_) item->ResetCurve();
}

bool TLineGraphUnit::ReadData(const std::string& fileName, std::string* error) {
    items_.clear();
    std::string text, reason;
    if (!ReadWholeFile(fileName, text, reason, kMaxDataBytes)) {
        if (error != nullptr) *error = reason;
        return false;
    }
    ReadDataText(text);
    return true;
}

void TLineGraphUnit::ReadDataText(const std::string& textIn) {
    items_.clear();
    brokenRows_.clear();
    const std::string_view text(textIn);

    // The first line made only of numbers; the search ends with the text.
    std::vector<double> first;
    std::size_t rest = text.size();
    for (std::size_t pos = 0; pos < text.size() && first.empty();) {
        const std::size_t end = std::min(text.find('\n', pos), text.size());
        std::string_view line = text.substr(pos, end - pos);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        first = NumericLine(line);
        pos = end + 1;
        rest = std::min(pos, text.size());
    }
    if (first.size() < 2) return;

    const std::size_t columns = first.size() - 1;
    const std::string layerName = document_ != nullptr && document_->GetLayerList().Current()
                                      ? document_->GetLayerList().Current()->GetName()
                                      : std::string("solder");
    for (std::size_t k = 0; k < std::min(columns, kMaxItems); ++k) {
        items_.push_back(std::make_unique<TLineGraphItem>(&axes_[0], layerName));
        items_.back()->Append(first[0], first[k + 1]);
    }

    // Rows follow as a stream of numbers: x, then one y per column, each with
    // one separator after it; line ends are white space before a number.
    TNumberReader reader(text.substr(rest));
    std::vector<double> row(columns);
    int line = 1;  // of the text up to counted
    std::size_t counted = 0;
    while (!reader.AtEnd()) {
        double x = 0.0;
        const bool haveX = reader.Read(x);
        std::size_t read = 0;
        if (haveX) {
            reader.SkipOne();
            while (read < columns && reader.Read(row[read])) {
                reader.SkipOne();
                ++read;
            }
        }
        // The values before a number that does not read are the file's data
        // too; only the rest of the row is lost.
        if (haveX)
            for (std::size_t k = 0; k < std::min(read, items_.size()); ++k) items_[k]->Append(x, row[k]);
        if (haveX && read == columns) continue;
        if (reader.AtEnd() && !haveX) break;  // white space at the end of the file
        const std::size_t at = rest + reader.Position();
        line +=
            int(std::count(text.begin() + std::ptrdiff_t(counted), text.begin() + std::ptrdiff_t(at), '\n'));
        counted = at;
        brokenRows_.push_back({line, int(read), int(columns - read)});
        if (!reader.AtEnd()) reader.SkipLine();
    }
}

void TLineGraphUnit::LoadSettings(const std::string& path) {
    const settings::TIniFile ini = settings::ReadSettingsFile(path);
    const double width = ini.ReadFloat(kGraphSection, "Width", 0.0),
                 height = ini.ReadFloat(kGraphSection, "Height", 0.0);
    if (ValidSize(width) && ValidSize(height)) SetSize(width, height);
    const double frameWidth = ini.ReadFloat(kGraphSection, "FrameWidth", 0.0);
    if (ValidPenWidth(frameWidth)) SetFrameWidth(float(frameWidth));
    frameLayer_ = ini.ReadString(kGraphSection, "Layer", "dimension");
    for (std::size_t i = 0; i < items_.size(); ++i) {
        const std::string section = "Item" + std::to_string(i);
        TLineGraphItem& item = *items_[i];
        TLineGraphInf& axis = Axis(ini.ReadInteger(section, "Yaxis", 0));
        item.SetAxis(&axis);
        item.SetLayerName(ini.ReadString(section, "Layer", "solder"));
        const double lineWidth = ini.ReadFloat(section, "LineWidth", 0.0);
        if (ValidPenWidth(lineWidth)) item.SetLineWidth(float(lineWidth));
        const double xmin = ini.ReadFloat(section, "Xmin", 0.0), xmax = ini.ReadFloat(section, "Xmax", 10.0);
        if (xmin < xmax) axis.SetXRange(xmin, xmax);
        const double ymin = ini.ReadFloat(section, "Ymin", -60.0), ymax = ini.ReadFloat(section, "Ymax", 0.0);
        if (ymin < ymax) axis.SetYRange(ymin, ymax);
        const double xtics = ini.ReadFloat(section, "Xtics", 1.0);
        const int xmtics = ini.ReadInteger(section, "Xmtics", 5);
        axis.SetXTics(xtics > 0.0 ? xtics : axis.XTics(), xmtics > 0 ? xmtics : axis.XMTics());
        const double ytics = ini.ReadFloat(section, "Ytics", 10.0);
        const int ymtics = ini.ReadInteger(section, "Ymtics", 5);
        axis.SetYTics(ytics > 0.0 ? ytics : axis.YTics(), ymtics > 0 ? ymtics : axis.YMTics());
    }
    ResetCurves();
}

bool TLineGraphUnit::SaveSettings(const std::string& path, std::string& error) const {
    return settings::UpdateSettingsFile(
        path,
        [this](settings::TIniFile& ini) {
            ini.WriteFloat(kGraphSection, "Width", axes_[0].Width());
            ini.WriteFloat(kGraphSection, "Height", axes_[0].Height());
            ini.WriteString(kGraphSection, "FrameWidth", settings::FormatFloat(frameWidth_));
            ini.WriteString(kGraphSection, "Layer", frameLayer_);
            for (std::size_t i = 0; i < items_.size(); ++i) {
                const std::string section = "Item" + std::to_string(i);
                const TLineGraphItem& item = *items_[i];
                const TLineGraphInf& axis = item.GetAxis();
                ini.WriteInteger(section, "Yaxis", axis.GetIndex());
                ini.WriteString(section, "Layer", item.GetLayerName());
                ini.WriteString(section, "LineWidth", settings::FormatFloat(item.GetStyle().GetWidth()));
                ini.WriteFloat(section, "Xmin", axis.XMin());
                ini.WriteFloat(section, "Xmax", axis.XMax());
                ini.WriteFloat(section, "Xtics", axis.XTics());
                ini.WriteInteger(section, "Xmtics", axis.XMTics());
                ini.WriteFloat(section, "Ymin", axis.YMin());
                ini.WriteFloat(section, "Ymax", axis.YMax());
                ini.WriteFloat(section, "Ytics", axis.YTics());
                ini.WriteInteger(section, "Ymtics", axis.YMTics());
            }
        },
        error);
}

std::string TLineGraphUnit::DefaultSettingsPath() {
    return settings::ProgramSettingsPath("graph_tool.ini");
}

std::string TLineGraphUnit::SettingsPathBeside(const std::string& mainSettings) {
    return (std::filesystem::path(mainSettings).parent_path() / "graph_tool.ini").string();
}

bool TLineGraphUnit::AdoptOldSettings(const std::string& oldPath, const std::string& path,
                                      std::string& error) {
    error.clear();
    if (oldPath.empty() || settings::ReadSettingsFile(path).HasSection(kGraphSection)) return false;
    const settings::TIniFile old = settings::ReadSettingsFile(oldPath);
    if (!old.HasSection(kGraphSection)) return false;
    const auto ours = [](const std::string& section) {
        if (section.size() > 4 && (section.compare(0, 4, "Item") == 0 || section.compare(0, 4, "item") == 0))
            return section.find_first_not_of("0123456789", 4) == std::string::npos;
        return section.size() == std::string_view(kGraphSection).size() &&
               std::equal(section.begin(), section.end(), kGraphSection, [](char a, char b) {
                   return std::tolower((unsigned char)a) == std::tolower((unsigned char)b);
               });
    };
    return settings::UpdateSettingsFile(
        path,
        [&](settings::TIniFile& ini) {
            for (const std::string& section : old.SectionNames()) {
                if (!ours(section)) continue;
                for (const std::string& key : old.KeyNames(section))
                    if (const auto value = old.Find(section, key)) ini.WriteString(section, key, *value);
            }
        },
        error);
}

std::unique_ptr<TVemoGroup> TLineGraphUnit::BuildGroup() {
    if (document_ == nullptr) return nullptr;
    TVemoLayerList& layers = document_->GetLayerList();
    auto group = std::make_unique<TVemoGroup>();
    // Curves follow the settings of this moment, not those of an earlier build.
    ResetCurves();
    for (auto& item : items_) group->AddCopy(item->BuildCurve(layers));

    const TVemoLayerPtr frameLayer = LayerNamed(layers, frameLayer_, kFrameLayerColour);
    const TVemoSurface pen(frameWidth_, false, false);
    const TLineGraphInf& a = axes_[0];
    const double ox = a.OriginX(), oy = a.OriginY(), w = a.Width(), h = a.Height();

    auto frame = std::make_unique<TVemoRect>();
    frame->SetLayer(frameLayer);
    frame->SetSurface(pen);
    frame->SetCorners(PointF(float(ox), float(oy)), PointF(float(ox + w), float(oy + h)));

    // Tick loops run only with a positive, finite step and stop at kMaxTicks,
    // so that no setting can keep them going for ever.
    auto xticks = std::make_unique<TVemoGroup>();
    const double xstep = a.XTics() / a.XMTics() * a.XScale();
    if (a.XMTics() > 0 && std::isfinite(xstep) && xstep > 0.0) {
        int n = 0;
        for (double x = ox; x < ox + w && n < kMaxTicks; x += xstep, ++n) {
            const double end = oy + (n % a.XMTics() == 0 ? 0.99 : 0.995) * h;
            xticks->AddChild(
                Tick(frameLayer, pen, PointF(float(x), float(oy + h)), PointF(float(x), float(end))));
        }
    }
    auto yticks = std::make_unique<TVemoGroup>();
    const double ystep = a.YTics() / a.YMTics() * a.YScale();
    if (a.YMTics() > 0 && std::isfinite(ystep) && ystep > 0.0) {
        int n = 0;
        for (double y = oy + h; y > oy && n < kMaxTicks; y -= ystep, ++n) {
            const double end = ox + (n % a.YMTics() == 0 ? 0.01 : 0.005) * w;
            yticks->AddChild(
                Tick(frameLayer, pen, PointF(float(ox), float(y)), PointF(float(end), float(y))));
        }
    }
    group->AddChild(std::move(frame));
    group->AddChild(std::move(xticks));
    group->AddChild(std::move(yticks));
    group->Deselect();  // placing a rectangle selects it; the new graph starts unselected
    return group;
}
