#pragma once
// The layer panel, in its dock of the main window: one row per layer of the
// document, in list order (the first row is drawn on top). A row shows and
// toggles the layer's visibility (x 0-23) and lock (x 24-47); a press further
// right makes the layer current and, dragged, moves it to another row's place
// (a line shows where it goes). A double click on the name opens the layer
// editor. "New" and "Del" add a layer and delete the current one with
// everything on it; each change that can be undone is recorded as one step.

#include <memory>
#include <string>
#include <vector>

#include <QWidget>

#include "model/Vemolayer.h"

class QPushButton;
class QScrollArea;
class TVemoEventContext;
class TVemoLayerList;
class TVemoResource;

namespace app {

class TLayerEdit;
class TLayerWindow;

// One row of the panel.
class TVemoLayerFace : public QWidget {
    Q_OBJECT
public:
    enum class TDropLine { None, Top, Bottom };

    TVemoLayerFace(TLayerWindow& window, QWidget* parent);
    void SetLayer(TVemoLayerPtr layer);
    const TVemoLayerPtr& Layer() const { return layer_; }
    void SetDropLine(TDropLine line);
    TDropLine DropLine() const { return dropLine_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    TLayerWindow& window_;
    TVemoLayerPtr layer_;
    TDropLine dropLine_ = TDropLine::None;
};

class TLayerWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr const char* kSection = "LayerWindow";
    static constexpr int kRowHeight = 25;
    // Presses left of these x go to the visibility and lock pictures.
    static constexpr int kLockX = 24, kNameX = 48;
    static constexpr int kDragDistance = 5;

    TLayerWindow(const TVemoResource& resources, TLayerEdit& editor, QWidget* parent = nullptr);
    ~TLayerWindow() override;

    // Null until the start-up; without a context the panel shows no rows.
    void SetContext(TVemoEventContext* context);
    // Row i shows layer i again, after the layer list may have changed.
    void RebuildRows();

    int RowCount() const { return int(rows_.size()); }
    // The row of layer i, made when it was not on the screen; null past the end.
    TVemoLayerFace* Row(int i);
    // How many rows exist as widgets now (those on the screen and a few more).
    int LiveRowCount() const;
    QPushButton* ButtonNew() const { return buttonNew_; }
    QPushButton* ButtonDel() const { return buttonDel_; }
    const TVemoResource& Resources() const { return resources_; }

    // "New": a blue layer named in the editor, made unique, before the current one.
    void NewLayer();
    // "Del": after the question, the current layer and every object on it.
    void DeleteLayer();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend class TVemoLayerFace;
    void RowPressed(TVemoLayerFace& row, int x, QPoint global, bool doubleClick);
    void RowMoved(TVemoLayerFace& row, QPoint global);
    void RowReleased(TVemoLayerFace& row, int x, QPoint global);
    // The row under a screen position; null when none.
    TVemoLayerFace* RowAt(QPoint global) const;
    int IndexOf(const TVemoLayerFace* row) const;
    void ClearDropLines();
    // The objects take the layers' new colours and flags, and the picture follows.
    void ShowLayerChange();
    void PlaceRows();
    // Makes the rows in the scroll box's view (and a screen around it), and
    // lets go of far ones: a document may have thousands of layers, and Qt
    // slows down with every sibling widget it repaints.
    void ShowVisibleRows();
    TVemoLayerFace* Materialize(int i);

    const TVemoResource& resources_;
    TLayerEdit& editor_;
    TVemoEventContext* context_ = nullptr;
    QPushButton* buttonNew_;
    QPushButton* buttonDel_;
    QScrollArea* scrollBox_;
    QWidget* rowsBox_;
    std::vector<TVemoLayerFace*> rows_;  // one entry per layer; null while not made

    bool doubleClick_ = false;
    TVemoLayerFace* pressed_ = nullptr;  // the row a drag may start from
    QPoint pressedAt_;
    bool dragging_ = false;
    TVemoLayerFace* dropTarget_ = nullptr;
};

// The name a new layer gets: base when free, else base followed by 0, 1, ...
std::string UniqueLayerName(const std::string& base, const TVemoLayerList& list);

}  // namespace app
