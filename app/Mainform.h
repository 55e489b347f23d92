#pragma once
// The editor's main window: menu bar, the tool panel at the left, the design
// widget showing the document's overlay bitmap 1:1, and a status bar of three
// panels. It owns the event context and is the context's way to the screen:
// everything on the design surface is decided by the context and its states.

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QMainWindow>
#include <QTimer>
#include <QWidget>

#include "app/Checkform.h"
#include "states/Vemoeventcontext.h"
#include "states/Vemoui.h"

class QDockWidget;
class QLabel;
class QToolButton;
class QVBoxLayout;
class TVemoDocument;
class TVemoResource;

namespace app {

class TCheckForm;
class TKeyObserver;
class TGerberForm;
class TGraphToolForm;
class TLayerEdit;
class TLayerWindow;
class TPrintForm;
class TVemoImportForm;
class TSwapLayerForm;
class TVemoDialogs;
class TNumericForm;
class TStyleForm;
class TTextForm;
class TLibraryForm;
class TVemoForm;
class TVemoMenus;
class TVersionForm;

// Shows the overlay bitmap and hands pointer, wheel and size changes to the
// context in device pixels.
class TDesignWidget : public QWidget {
    Q_OBJECT
public:
    explicit TDesignWidget(TVemoForm& form);

    // Paints finished so far, and those of them that showed the final picture
    // (no redraw left to do): what a benchmark of the window waits for.
    int Paints() const { return paints_; }
    int SettledPaints() const { return settledPaints_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    friend class TVemoForm;
    TVemoForm& form_;
    bool painting_ = false;
    std::optional<QRectF> band_;     // the rubber band, device pixels
    std::optional<QPointF> marker_;  // the copper snap mark, device pixels
    // Each design-rule finding's closest points, document units; the chosen one stands out.
    std::vector<std::pair<PointF, PointF>> checkMarks_;
    int checkChosen_ = -1;
    TBoardStamp checkStamp_;  // the board the findings are about
    int wheelRest_ = 0;       // part of a wheel step from fine-grained wheels and touchpads
    int paints_ = 0;
    int settledPaints_ = 0;
};

class TVemoForm : public QMainWindow, public TVemoUi {
    Q_OBJECT
public:
    static constexpr const char* kSection = "VemoForm";
    // The docks' places and sizes, as the main window saves them, in its section.
    static constexpr const char* kDocksKey = "Docks";
    static constexpr int kDocksVersion = 1;

    // Reads its placement from the settings file at settingsPath.
    TVemoForm(const TVemoResource& resources, std::string settingsPath, QWidget* parent = nullptr);
    ~TVemoForm() override;

    // Runs the start-up at the first idle moment: the context is made with
    // document (null: a new one), the tool panel is built and the key
    // observer installed.
    void Start(std::unique_ptr<TVemoDocument> document);
    // Null until the start-up has run.
    TVemoEventContext* Context() { return context_.get(); }
    TDesignWidget* Design() { return design_; }
    QLabel* StatusPanel(int i) { return status_[i]; }
    QToolButton* ToolButton(const std::string& command);
    TVemoMenus& Menus() { return *menus_; }
    TVemoDialogs& Dialogs() { return *dialogs_; }
    TLayerWindow& LayerWindow() { return *layerWindow_; }
    TLayerEdit& LayerEdit() { return *layerEdit_; }
    TSwapLayerForm& SwapLayerForm() { return *swapLayerForm_; }
    TVersionForm& VersionForm() { return *versionForm_; }
    TPrintForm& PrintForm() { return *printForm_; }
    TVemoImportForm& ImportForm() { return *importForm_; }
    TGerberForm& GerberForm() { return *gerberForm_; }
    TGraphToolForm& GraphToolForm() { return *graphToolForm_; }
    TCheckForm& CheckForm() { return *checkForm_; }
    // Marks the design-rule findings (their closest points) on the drawing
    // until the board is no longer the one stamp names; chosen is drawn bolder.
    void ShowCheckMarks(std::vector<std::pair<PointF, PointF>> marks, int chosen, const TBoardStamp& stamp);
    const std::vector<std::pair<PointF, PointF>>& CheckMarks() const { return design_->checkMarks_; }

    // TVemoUi.
    void SetStatusText(int panel, const std::string& text) override;
    void SetCaption(const std::string& caption) override;
    void SetCursor(int id) override;
    void Present(const TDIBitmap& overlay) override;
    void ScheduleIdle() override;
    void ToolPanelChanged() override;
    void ShowModified(bool modified) override;
    TAnswer AskYesNoCancel(const std::string& question) override;
    TChangedFileAnswer AskChangedFile(const std::string& name) override;
    std::optional<std::string> AskSaveFileName() override;
    std::optional<std::string> AskOpenFileName(TFileKind kind) override;
    void ShowError(const std::string& message) override;
    bool IsEditorActive() override;
    void ShowRubberBand(const std::optional<RectF>& pixels) override;
    void ShowSnapMarker(const std::optional<PointF>& pixels) override;
    std::optional<Matrix> AskNumericTransform(PointF anchor) override;
    bool EditTextModal(TVemoString& text) override;
    const TVemoFont* CurrentTextFont() override;
    const TVemoGroup* SelectedPad() override;
    const TVemoGroup* ChooseLibraryPart() override;
    void SetClipboardObjects(const std::string& bytes) override;
    std::optional<std::string> ClipboardObjects() override;

    void ShowSelectionStyle() override;
    void RefreshDesignPanel() override;

    TNumericForm* NumericForm() { return numeric_; }
    TStyleForm* StyleWindow() { return style_; }
    // The docks the style window and the layer panel live in: on the right of
    // the drawing at first, floatable and closable; the Window menu shows and hides them.
    QDockWidget* StyleDock() { return styleDock_; }
    QDockWidget* LayerDock() { return layerDock_; }
    TTextForm* TextWindow() { return textForm_; }
    TLibraryForm* LibraryWindow() { return libraryForm_; }
    void AddRecentFile(const std::string& name) override;
    void RefreshLayers() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    friend class TDesignWidget;
    void StartUp();
    // Makes the print, import, Gerber and line-graph windows and gives the
    // menu items that show them (and the export items) their work.
    void MakeOutputWindows();
    QToolButton* MakeToolButton(TVemoToolButton& model, QWidget* parent);
    void SyncToolPanel();
    void ResizeDesign();
    void ReleaseKeys();
    // The panels' docks, where they were left: docked on a side or floating, and their sizes.
    void MakeDocks();
    void SaveDocks();
    // Says in the status bar what an export wrote, until the pointer moves over the drawing.
    void ShowWritten(const std::string& text);
    // One zoom step in (+1) or out (-1) about the pointer, as a wheel notch.
    void ZoomAtPointer(int direction);

    const TVemoResource& resources_;
    std::string settingsPath_;
    std::unique_ptr<TVemoDocument> pending_;
    std::unique_ptr<TVemoEventContext> context_;
    std::unique_ptr<TKeyObserver> keys_;
    std::unique_ptr<TVemoDialogs> dialogs_;
    TVemoMenus* menus_ = nullptr;
    // Made with the window, in this order, and handed the context at start-up.
    TLayerEdit* layerEdit_ = nullptr;
    TLayerWindow* layerWindow_ = nullptr;
    TVersionForm* versionForm_ = nullptr;
    TSwapLayerForm* swapLayerForm_ = nullptr;
    TPrintForm* printForm_ = nullptr;
    TVemoImportForm* importForm_ = nullptr;
    TGerberForm* gerberForm_ = nullptr;
    TGraphToolForm* graphToolForm_ = nullptr;
    TCheckForm* checkForm_ = nullptr;
    TDesignWidget* design_ = nullptr;
    QWidget* toolPanel_ = nullptr;
    QVBoxLayout* subLayout_ = nullptr;
    std::vector<QToolButton*> mainButtons_;
    std::vector<QToolButton*> subButtons_;
    int subGeneration_ = -1;
    QLabel* status_[3] = {};
    QTimer idle_;
    std::map<int, QCursor> cursors_;
    TNumericForm* numeric_ = nullptr;
    TStyleForm* style_ = nullptr;
    QDockWidget* styleDock_ = nullptr;
    QDockWidget* layerDock_ = nullptr;
    TTextForm* textForm_ = nullptr;
    TLibraryForm* libraryForm_ = nullptr;
};

}  // namespace app
