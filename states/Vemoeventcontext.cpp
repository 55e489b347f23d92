#include "states/Vemoeventcontext.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include <QCoreApplication>
#include <QPainter>

#include "archive/Vemodocumentfile.h"
#include "model/Vemodocument.h"
#include "model/Vemodrawstyle.h"
#include "render/Qtgraphics.h"
#include "states/Vemostatebank.h"

namespace {

// Millimetres from document units, rounded to 5 places; never "-0".
double Millimetres(double units) { return std::round(units * 0.1 * 1e5) / 1e5 + 0.0; }

std::string PositionText(double x, double y) {
    char text[96];
    std::snprintf(text, sizeof text, "X %10f Y %10f", Millimetres(x), Millimetres(y));
    return text;
}

bool IsArrowKey(int key) { return key >= vk::Left && key <= vk::Down; }

}  // namespace

TVemoEventContext::TVemoEventContext(TVemoUi& ui)
    : ui_(ui),
      edited_(std::make_unique<TEditedDocument>()),
      main_(edited_->Document().GetWindowWidth(), edited_->Document().GetWindowHeight()),
      overlay_(edited_->Document().GetWindowWidth(), edited_->Document().GetWindowHeight()),
      menuControl_(std::make_unique<TMenuControl>()),
      stylePanel_(std::make_unique<TVemoStylePanel>(*this)) {
    DrawStyle().SetZoom(float(Document().GetZoom()));
    TVemoSelectStateIF::Forget();
    menuControl_->SetContext(this);
}

TVemoEventContext::~TVemoEventContext() {
    menuControl_.reset();
    TVemoSelectStateIF::Forget();
    // The states outlive the context in the bank; they must not reach it.
    if (current_) {
        current_->SetContext(nullptr);
        current_->SetDocument(nullptr);
    }
}

PointF TVemoEventContext::ToDocument(double x, double y) const {
    const TVemoDocument& doc = edited_->Document();
    const double z = doc.GetZoom();
    return PointF(float((x - doc.GetWindowWidth() * 0.5) / z - doc.GetPanX()),
                  float((y - doc.GetWindowHeight() * 0.5) / z - doc.GetPanY()));
}

void TVemoEventContext::MouseDown(TShiftState shift, int x, int y) {
    if (TVemoEventState* next = current_->MouseDown(shift, ToDocument(x, y))) current_ = next;
}

void TVemoEventContext::MouseMove(TShiftState shift, int x, int y) {
    if (y < 0) return;
    const PointF point = ToDocument(x, y);
    ShowPosition(point);
    if (TVemoEventState* next = current_->MouseMove(shift, point)) current_ = next;
}

void TVemoEventContext::MouseUp(TShiftState shift, int x, int y) {
    if (TVemoEventState* next = current_->MouseUp(shift, ToDocument(x, y))) current_ = next;
}

void TVemoEventContext::MouseWheel(TShiftState shift, int delta, int x, int y) {
    if (TVemoEventState* next = current_->MouseWheel(shift, delta, ToDocument(x, y))) current_ = next;
}

void TVemoEventContext::KeyDown(int key, bool autoRepeat) {
    if (autoRepeat && !IsArrowKey(key)) return;
    if (TVemoEventState* next = current_->KeyDown(key)) current_ = next;
}

void TVemoEventContext::KeyUp(int key, bool autoRepeat) {
    if (autoRepeat) return;
    if (TVemoEventState* next = current_->KeyUp(key)) current_ = next;
}

void TVemoEventContext::Resize(int width, int height) {
    windowWidth_ = std::max(width, 0);
    windowHeight_ = std::max(height, 0);
    Document().SetWindowSize(windowWidth_, windowHeight_);
    main_.Resize(Document().GetWindowWidth(), Document().GetWindowHeight());
    overlay_.Resize(Document().GetWindowWidth(), Document().GetWindowHeight());
    mainView_.reset();
    previewView_.reset();
    Invalidate();
}

bool TVemoEventContext::Idle() {
    // Every edit, undo and redo asks for a redraw: the mark follows here.
    ui_.ShowModified(History().DiffersFromSaved());
    const render::TRedrawRequests::Work work = requests_.Take();
    const TVemoDocument& doc = Document();
    switch (work) {
        case render::TRedrawRequests::Work::All: {
            const QTransform view = render::ToQTransform(doc.GetViewMatrix());
            const bool viewMoved = mainView_ && *mainView_ != view;
            const bool previewShown = previewView_ && *previewView_ == view;
            if (viewMoved && !previewShown && lastMainTime_ > previewBudget_ && main_.PaintDevice() &&
                overlay_.PaintDevice()) {
                // The old picture moved to the new view, drawn at once; the exact
                // one follows when no newer view change has arrived meanwhile.
                overlay_.Fill(render::kPanGapColour);
                {
                    QPainter painter(overlay_.PaintDevice());
                    painter.setTransform(mainView_->inverted() * view);
                    painter.drawImage(0, 0, main_.Image());
                }
                previewView_ = view;
                ui_.Present(overlay_);
                requests_.Invalidate();
                ui_.ScheduleIdle();
                return true;
            }
            const auto start = std::chrono::steady_clock::now();
            render::RenderMain(doc, main_, background_.isNull() ? nullptr : &background_);
            lastMainTime_ =
                std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start);
            mainView_ = view;
            previewView_.reset();
            [[fallthrough]];
        }
        case render::TRedrawRequests::Work::Overlay:
            render::RenderOverlay(doc, main_, overlay_);
            [[fallthrough]];
        case render::TRedrawRequests::Work::Blit:
            ui_.Present(overlay_);
            break;
        case render::TRedrawRequests::Work::None:
            break;
    }
    return false;
}

void TVemoEventContext::ChangeState(TVemoEventState* state) {
    if (!state) return;
    if (current_) current_->Leave();
    current_ = state;
    state->SetDocument(&Document());
    state->SetContext(this);
}

void TVemoEventContext::SetDocument(std::unique_ptr<TVemoDocument> document) {
    if (!document) document = std::make_unique<TVemoDocument>();
    if (current_) {
        current_->Leave();
        current_->SetDocument(document.get());
    }
    edited_->Replace(std::move(document));
    background_ = QImage();  // the picture belonged to the old document
    diskStamp_.reset();
    if (!Document().GetFileName().empty()) diskStamp_ = StampFile(Document().GetFileName());
    DrawStyle().SetZoom(float(Document().GetZoom()));
    // The select tool, without leaving the old state a second time; its button
    // goes down too, so the panel never shows another tool than the current one.
    current_ = StateBank().Get<TVemoSelectState>(nullptr);
    current_->SetDocument(&Document());
    current_->SetContext(this);
    if (TVemoToolButton* select = menuControl_->Find("select")) menuControl_->SetMainDown(*select);
    if (menuControl_->SubToolSet() != TToolSet::Select) menuControl_->BuildSubTools(TToolSet::Select);
    if (windowWidth_ > 0 && windowHeight_ > 0)
        Resize(windowWidth_, windowHeight_);
    else
        Resize(Document().GetWindowWidth(), Document().GetWindowHeight());
    UpdateCaption();
    ui_.ShowModified(History().DiffersFromSaved());
    ui_.RefreshDesignPanel();
    ui_.RefreshLayers();
}

TVemoEventState* TVemoEventContext::PressTool(const std::string& name) {
    menuControl_->PressTool(name);
    return current_;
}

TVemoEventState* TVemoEventContext::ReleaseTool(const std::string& name) {
    menuControl_->ReleaseTool(name);
    return current_;
}

void TVemoEventContext::SendCommand(TEditCommand code) {
    if (TVemoEventState* next = current_->Command(code)) current_ = next;
}

void TVemoEventContext::SaveRootMemento() { current_->SaveRootMemento(); }
void TVemoEventContext::SaveLayerListMemento() { current_->SaveLayerListMemento(); }
void TVemoEventContext::SaveObjectsMemento() { current_->SaveObjectsMemento(); }

void TVemoEventContext::Invalidate() {
    requests_.Invalidate();
    ui_.ScheduleIdle();
}

void TVemoEventContext::InvalidateOverlay() {
    requests_.InvalidateOverlay();
    ui_.ScheduleIdle();
}

void TVemoEventContext::InvalidateWindow() {
    requests_.InvalidateWindow();
    ui_.ScheduleIdle();
}

void TVemoEventContext::ShowWholeArea() {
    TVemoDocument& doc = Document();
    const double w = doc.GetAreaWidth(), h = doc.GetAreaHeight();
    if (!(w > 0.0) || !(h > 0.0) || doc.GetWindowWidth() <= 0 || doc.GetWindowHeight() <= 0) return;
    // A margin of a twentieth of the window on each side.
    doc.SetZoom(0.9 * std::min(doc.GetWindowWidth() / w, doc.GetWindowHeight() / h));
    doc.SetPan(-(doc.GetAreaX() + w / 2.0), -(doc.GetAreaY() + h / 2.0));
    DrawStyle().SetZoom(float(doc.GetZoom()));
    Invalidate();
}

void TVemoEventContext::PreviewPan(double dx, double dy) {
    render::LivePan(main_, overlay_, Document().GetZoom(), dx, dy);
    ui_.Present(overlay_);
}

void TVemoEventContext::ShowRubberBand(PointF a, PointF b) {
    const Matrix& view = Document().GetViewMatrix();
    const PointF p = view.Map(a), q = view.Map(b);
    const float left = std::min(p.x, q.x), top = std::min(p.y, q.y);
    ui_.ShowRubberBand(RectF(left, top, std::max(p.x, q.x) - left, std::max(p.y, q.y) - top));
    bandShown_ = true;
    ui_.Present(overlay_);
}

void TVemoEventContext::HideRubberBand() {
    if (!bandShown_) return;
    bandShown_ = false;
    ui_.ShowRubberBand(std::nullopt);
}

void TVemoEventContext::SetBackground(const QImage& image) {
    background_ = image;
    Invalidate();
}

void TVemoEventContext::ShowPosition(PointF point) {
    ui_.SetStatusText(0, PositionText(point.x, point.y));
    ui_.SetStatusText(1, PositionText(double(point.x) - origin_.x, double(point.y) - origin_.y));
}

void TVemoEventContext::SetOrigin(PointF point) {
    origin_ = point;
    char text[64];
    std::snprintf(text, sizeof text, "X= %f Y= %f", 0.0, 0.0);
    ui_.SetStatusText(1, text);
}

void TVemoEventContext::SetFileName(const std::string& name) {
    Document().SetFileName(name);
    UpdateCaption();
}

void TVemoEventContext::UpdateCaption() {
    const std::string& name = Document().GetFileName();
    ui_.SetCaption(name.empty() ? "zelko" : name);
    if (!name.empty()) ui_.AddRecentFile(name);
}

TAnswer TVemoEventContext::QuerySave() {
    // Undone back to what was saved: nothing to lose.
    if (!History().DiffersFromSaved()) return TAnswer::Yes;
    const TAnswer answer = ui_.AskYesNoCancel(QCoreApplication::translate("TVemoEventContext", "ファイルの変更を保存しますか?").toStdString());
    if (answer != TAnswer::Yes) return answer;
    std::string name = Document().GetFileName();
    if (name.empty()) {
        const std::optional<std::string> chosen = ui_.AskSaveFileName();
        // Nothing was saved: whoever asked must not go on and drop the changes.
        if (!chosen || chosen->empty()) return TAnswer::Cancel;
        name = *chosen;
    }
    return WriteDocument(name) ? TAnswer::Yes : TAnswer::Cancel;
}

bool TVemoEventContext::WriteDocument(const std::string& name) {
    // Two windows (or programs) on one file: the last save must not silently win.
    if (!name.empty() && name == Document().GetFileName() && diskStamp_ && ChangedOnDisk(*diskStamp_, name)) {
        switch (ui_.AskChangedFile(name)) {
            case TChangedFileAnswer::Overwrite: break;
            case TChangedFileAnswer::SaveAs: {
                const std::optional<std::string> chosen = ui_.AskSaveFileName();
                if (!chosen || chosen->empty()) return false;
                if (*chosen == name) break;  // chosen again, knowingly
                return WriteDocument(*chosen);
            }
            case TChangedFileAnswer::Cancel: return false;
        }
    }
    std::string error;
    if (name.empty() || !WriteDocumentFile(Document(), name, error)) {
        ui_.ShowError(QCoreApplication::translate("TVemoEventContext", "ファイル \"%1\" を保存できませんでした。\n%2")
                          .arg(QString::fromStdString(name), QString::fromStdString(error))
                          .toStdString());
        return false;
    }
    if (Document().GetFileName() != name) SetFileName(name);
    diskStamp_ = StampFile(name);
    History().ClearModified();
    ui_.ShowModified(false);
    return true;
}

TVemoPart& TVemoEventContext::RootObject() { return Document().GetRoot(); }
