#pragma once
// The style window: a stay-on-top tool window with three pages. "スタイル"
// edits the stroke style of the selected objects, or the style new objects get
// when nothing is selected (TSurfaceFrame over the context's TVemoStylePanel);
// "図面" edits the document's grid, snapping, background and design area
// (TDesignFrame); "パッド" holds the pad preview. Lengths are shown and typed
// in millimetres. Texts that do not parse and values out of range are ignored.

#include <string>
#include <vector>

#include <QFrame>
#include <QWidget>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QTabWidget;
class QToolButton;
class TVemoEventContext;
class TVemoResource;

namespace app {

class TPreviewFrame;

class TSurfaceFrame : public QFrame {
    Q_OBJECT
public:
    // The width list comes from "SurfaceTab" of the settings file at settingsPath.
    TSurfaceFrame(const TVemoResource& resources, const std::string& settingsPath, QWidget* parent = nullptr);

    void SetContext(TVemoEventContext* context);
    // Shows what the style panel holds: the selection's styles or the current one.
    void Refresh();

    QLineEdit* WidthEdit = nullptr;
    QListWidget* WidthListBox = nullptr;
    QToolButton* BevelButton = nullptr;
    QToolButton* RoundButton = nullptr;
    QComboBox* LineStyleList = nullptr;
    QCheckBox* MaskCheckBox = nullptr;
    QCheckBox* FillCheckBox = nullptr;

private:
    TVemoEventContext* context_ = nullptr;
    bool updating_ = false;
};

class TDesignFrame : public QFrame {
    Q_OBJECT
public:
    // The grid list comes from "StatusTab" of the settings file at settingsPath.
    explicit TDesignFrame(const std::string& settingsPath, QWidget* parent = nullptr);

    void SetContext(TVemoEventContext* context);
    // Shows the document's settings.
    void Refresh();

    QLineEdit* GridEdit = nullptr;
    QListWidget* GridListBox = nullptr;
    QCheckBox* ShowGridCheck = nullptr;
    QCheckBox* LineGridCheck = nullptr;
    QCheckBox* SnapGridCheck = nullptr;
    QCheckBox* BackGroundCheck = nullptr;
    QCheckBox* FixAspectCheck = nullptr;
    QLineEdit* AreaLeftEdit = nullptr;
    QLineEdit* AreaTopEdit = nullptr;
    QLineEdit* AreaWidthEdit = nullptr;
    QLineEdit* AreaHeightEdit = nullptr;

private:
    void ApplyGrid();
    void ApplyOrigin(bool y, const QString& text);
    void ApplySize(bool height, const QString& text);
    void ApplyFlag(int flag, bool on);

    TVemoEventContext* context_ = nullptr;
    bool updating_ = false;
    // The area as last shown or set, to keep its aspect ratio.
    double areaX_ = 0, areaY_ = 0, areaWidth_ = 0, areaHeight_ = 0;
};

class TStyleForm : public QWidget {
    Q_OBJECT
public:
    static constexpr const char* kSection = "StyleForm";
    // Its dock's size on a first run.
    static constexpr int kFirstWidth = 260, kFirstHeight = 340;

    // The panel of the style dock; its settings are read from the file at settingsPath.
    TStyleForm(const TVemoResource& resources, std::string settingsPath, QWidget* parent);

    void SetContext(TVemoEventContext* context);

    TSurfaceFrame* SurfaceFrame() { return surface_; }
    TDesignFrame* DesignFrame() { return design_; }
    TPreviewFrame* PreviewFrame() { return preview_; }
    QTabWidget* StylePageControl = nullptr;
    // The pad page, where the pad preview goes.
    QWidget* PadTab = nullptr;

private:
    std::string settingsPath_;
    TSurfaceFrame* surface_ = nullptr;
    TDesignFrame* design_ = nullptr;
    TPreviewFrame* preview_ = nullptr;
};

// A list of lengths in millimetres from the settings file's numbered keys;
// fallback when the file offers none.
std::vector<double> OfferedLengths(const std::string& settingsPath, const char* section, const char* prefix,
                                   const std::vector<double>& fallback);

}  // namespace app
