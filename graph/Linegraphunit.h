#pragma once
// The line-graph tool: a table of numbers (an x column and one or more y
// columns) drawn as artwork. Each y column is an item whose open polyline is
// scaled into a rectangle; a frame and tick marks along the bottom and left
// edges complete the graph, which is added to a document as one group.
//
// Graph sizes, positions and line widths are internal units (0.1 mm, y
// downwards); ranges and tic spacings are data units. The settings live in
// "graph_tool.ini".

#include <array>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "model/Vemosurface.h"

class TVemoDocument;
class TVemoGroup;
class TVemoLayerList;
class TVemoPath;

// One axis record; each item uses one of the unit's two.
class TLineGraphInf {
public:
    explicit TLineGraphInf(int index = 0) : index_(index) {}
    virtual ~TLineGraphInf() = default;

    int GetIndex() const { return index_; }

    // Both scales follow the size; each range sets its own scale.
    void SetSize(double width, double height);
    void SetXRange(double xmin, double xmax);
    void SetYRange(double ymin, double ymax);
    // Spacing of the major ticks (data units) and divisions between them.
    void SetXTics(double tics, int mtics) {
        xtics_ = tics;
        xmtics_ = mtics;
    }
    void SetYTics(double tics, int mtics) {
        ytics_ = tics;
        ymtics_ = mtics;
    }

    double Width() const { return width_; }
    double Height() const { return height_; }
    double OriginX() const { return ox_; }
    double OriginY() const { return oy_; }
    double XScale() const { return xscale_; }
    double YScale() const { return yscale_; }
    double XMin() const { return xmin_; }
    double XMax() const { return xmax_; }
    double YMin() const { return ymin_; }
    double YMax() const { return ymax_; }
    double XTics() const { return xtics_; }
    int XMTics() const { return xmtics_; }
    double YTics() const { return ytics_; }
    int YMTics() const { return ymtics_; }

private:
    int index_;
    double width_ = 400.0, height_ = 300.0;
    // Nothing moves the origin: every graph has its top-left corner at (0, 0).
    double ox_ = 0.0, oy_ = 0.0;
    double xscale_ = 40.0;
    double xmin_ = 0.0, xmax_ = 10.0;
    double xtics_ = 2.0;
    int xmtics_ = 5;
    double yscale_ = 5.0;
    double ymin_ = -60.0, ymax_ = 0.0;
    double ytics_ = 20.0;
    int ymtics_ = 5;
};

// One y column of the data and the curve drawn from it.
class TLineGraphItem {
public:
    TLineGraphItem(const TLineGraphInf* axis, std::string layerName);
    TLineGraphItem(const TLineGraphItem&) = delete;
    TLineGraphItem& operator=(const TLineGraphItem&) = delete;
    ~TLineGraphItem();

    void Append(double x, double y);
    const std::vector<double>& Xs() const { return xs_; }
    const std::vector<double>& Ys() const { return ys_; }

    const TLineGraphInf& GetAxis() const { return *axis_; }
    void SetAxis(const TLineGraphInf* axis);
    const std::string& GetLayerName() const { return layerName_; }
    void SetLayerName(const std::string& name);
    const TVemoSurface& GetStyle() const { return style_; }
    // Unfilled: a width below 1.0 is not taken.
    void SetLineWidth(float width);

    // The curve on the layer of the item's name (made in opaque red (235, 40, 40)
    // when layers has none): one node per value up to the first x beyond xmax, y
    // held to the graph's edges. Built once; later calls return the same curve
    // until ResetCurve. Points that fall outside float range are left out.
    const TVemoPath& BuildCurve(TVemoLayerList& layers);
    void ResetCurve();

private:
    std::unique_ptr<TVemoPath> curve_;
    TVemoSurface style_;
    const TLineGraphInf* axis_;
    std::string layerName_;
    std::vector<double> xs_;
    std::vector<double> ys_;
};

class TLineGraphUnit {
public:
    // Ticks drawn along one edge at most; closer ticks could not be told apart.
    static constexpr int kMaxTicks = 10000;
    // Data files larger than this are refused.
    static constexpr std::size_t kMaxDataBytes = std::size_t(256) << 20;

    TLineGraphUnit();
    TLineGraphUnit(const TLineGraphUnit&) = delete;
    TLineGraphUnit& operator=(const TLineGraphUnit&) = delete;
    virtual ~TLineGraphUnit();

    // The document new items name their layer after (its current layer) and
    // BuildGroup adds layers to. Not owned.
    void SetDocument(TVemoDocument* document) { document_ = document; }

    // Replaces the items by those of the data file: the first line made only of
    // numbers (each followed by one separator, such as a tab or a comma) gives
    // an x and one y per item; the rest of the file is read as rows of numbers
    // in the same pattern. In a row with a number that does not read (not
    // finite included) the items before that number keep their values, the
    // rest of the row is dropped, and reading goes on with the next line; each
    // such row is noted in BrokenRows. A file with no such line gives no items.
    // False when the file cannot be read.
    bool ReadData(const std::string& fileName, std::string* error = nullptr);
    // The same from text already in memory.
    void ReadDataText(const std::string& text);

    // A data row cut short by a number that does not read.
    struct TBrokenRow {
        int line;     // of the number that failed, from 1
        int kept;     // y values taken from the row (0 when the x failed)
        int dropped;  // y values of the row lost with it
    };
    const std::vector<TBrokenRow>& BrokenRows() const { return brokenRows_; }

    // Section "GraphProperty" and one section "Item<i>" per item. Values that
    // would make the graph meaningless (an empty range, tic spacing or
    // divisions of 0 or less) are not taken; the record keeps its own.
    void LoadSettings(const std::string& path);
    bool SaveSettings(const std::string& path, std::string& error) const;
    // "graph_tool.ini" in the program's settings folder.
    static std::string DefaultSettingsPath();
    // "graph_tool.ini" in the folder of the program's settings file mainSettings
    // (zelko.ini): the file the command line reads by default.
    static std::string SettingsPathBeside(const std::string& mainSettings);
    // Earlier versions kept the tool's settings in zelko.ini. When path has no
    // [GraphProperty] section and oldPath has one, that section and the
    // [Item<i>] sections are copied into path (oldPath is left as it is), so
    // they move once and nobody loses them. True when something was copied;
    // false with error set when path could not be written.
    static bool AdoptOldSettings(const std::string& oldPath, const std::string& path, std::string& error);

    // The record of index n, or record 0 for any n but 0 and 1.
    TLineGraphInf& Axis(int n);
    const TLineGraphInf& Axis(int n) const;

    int ItemCount() const { return static_cast<int>(items_.size()); }
    // i must lie in 0 ... ItemCount() - 1.
    TLineGraphItem& Item(int i) { return *items_.at(std::size_t(i)); }
    const TLineGraphItem& Item(int i) const { return *items_.at(std::size_t(i)); }

    // The largest graph (100 m on a side) and the widest pen (100 mm) a graph
    // may have, in document units: beyond them the document it lands in could
    // no longer be drawn or plotted. Apply and LoadSettings refuse larger values,
    // and values that are not finite, as they refuse any other invalid value.
    static constexpr double kMaxSize = 1e6;
    static constexpr double kMaxPenWidth = 1000.0;
    static bool ValidSize(double v) { return v >= 0.0 && v <= kMaxSize; }
    static bool ValidPenWidth(double v) { return std::isfinite(v) && v <= kMaxPenWidth; }

    float GetFrameWidth() const { return frameWidth_; }
    // Only a width greater than 0 is taken.
    void SetFrameWidth(float width);
    const std::string& GetFrameLayerName() const { return frameLayer_; }
    void SetFrameLayerName(const std::string& name) { frameLayer_ = name; }

    // Both records take the size.
    void SetSize(double width, double height);
    // Curves are drawn afresh at the next BuildGroup.
    void ResetCurves();

    // A new group: each item's curve, drawn from the present data and settings,
    // then the frame (on the frame layer, made in opaque black when the
    // document has none), the x ticks and the y ticks of axis 0. The caller owns
    // the group. Null without a document.
    std::unique_ptr<TVemoGroup> BuildGroup();

private:
    std::array<TLineGraphInf, 2> axes_{TLineGraphInf(0), TLineGraphInf(1)};
    float frameWidth_ = 1.0f;
    std::string frameLayer_ = "dimension";
    TVemoDocument* document_ = nullptr;
    std::vector<std::unique_ptr<TLineGraphItem>> items_;
    std::vector<TBrokenRow> brokenRows_;
};
