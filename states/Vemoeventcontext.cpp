#include "states/Vemoeventcontext.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include <QCoreApplication>
#include <QImage>

#include "archive/Vemodocumentfile.h"
#include "geom/Units.h"
#include "model/Vemodocument.h"
#include "model/Vemodrawstyle.h"
#include "states/Vemoeditstep.h"
#include "states/Vemostatebank.h"

namespace {

// Millimetres from document units, rounded to 5 places; never "-0".
double Millimetres(double documentUnits) {
    return std::round(units::ToMm(documentUnits) * 1e5) / 1e5 + 0.0;
}

std::string PositionText(double x, double y) {
    char text[96];
    std::snprintf(text, sizeof text, "X %10f Y %10f", Millimetres(x), Millimetres(y));
    return text;
}

bool IsArrowKey(int key) {
    return key >= vk::Left && key <= vk::Down;
}

}  // namespace

TVemoEventContext::TVemoEventContext(TVemoUi& ui)
    : ui_(ui),
      edited_(std::make_unique<TEditedDocument>()),
      bank_(std::make_unique<TVemoStateBank>(*this)),
      view_(edited_->Document().GetWindowWidth(), edited_->Document().GetWindowHeight()),
      menuControl_(std::make_unique<TMenuControl>()),
      stylePanel_(std::make_unique<TVemoStylePanel>(*this)) {
    DrawStyle().SetZoom(float(Document().GetZoom()));
    menuControl_->SetContext(this);
}

TVemoEventContext::~TVemoEventContext() {
    // The panels go first: their buttons reach the states.
    stylePanel_.reset();
    menuControl_.reset();
    current_ = nullptr;
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
    view_.Resize(Document().GetWindowWidth(), Document().GetWindowHeight());
    ui_.ScheduleIdle();
}

bool TVemoEventContext::Idle() {
    // Every edit, undo and redo asks for a redraw: the mark follows here.
    ui_.ShowModified(History().DiffersFromSaved());
    const auto step = view_.Idle(Document(), [this](const TDIBitmap& shown) { ui_.Present(shown); });
    if (step != render::TRenderView::Step::Preview) return false;
    ui_.ScheduleIdle();
    return true;
}

void TVemoEventContext::ChangeState(TVemoEventState* state) {
    if (!state) return;
    if (current_) current_->Leave();
    current_ = state;
}

void TVemoEventContext::SetDocument(std::unique_ptr<TVemoDocument> document) {
    if (!document) document = std::make_unique<TVemoDocument>();
    if (current_) current_->Leave();
    session_.ForgetDocument();
    edited_->Replace(std::move(document));
    view_.SetBackground(QImage());  // the picture belonged to the old document
    diskStamp_.reset();
    if (!Document().GetFileName().empty()) diskStamp_ = StampFile(Document().GetFileName());
    DrawStyle().SetZoom(float(Document().GetZoom()));
    // The select tool, without leaving the old state a second time; its button
    // goes down too, so the panel never shows another tool than the current one.
    current_ = bank_->Get<TVemoSelectState>(nullptr);
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

void TVemoEventContext::RecordStep(TStepKind kind) {
    current_->RecordStep(kind);
}

void TEditStep::Commit() {
    if (!open_) return;
    open_ = false;
    context_.RecordStep(kind_);
}

void TVemoEventContext::Invalidate() {
    view_.Requests().Invalidate();
    ui_.ScheduleIdle();
}

void TVemoEventContext::InvalidateOverlay() {
    view_.Requests().InvalidateOverlay();
    ui_.ScheduleIdle();
}

void TVemoEventContext::InvalidateWindow() {
    view_.Requests().InvalidateWindow();
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
    view_.LivePan(Document(), dx, dy, [this](const TDIBitmap& shown) { ui_.Present(shown); });
}

void TVemoEventContext::ShowRubberBand(PointF a, PointF b) {
    const Matrix& view = Document().GetViewMatrix();
    const PointF p = view.Map(a), q = view.Map(b);
    const float left = std::min(p.x, q.x), top = std::min(p.y, q.y);
    ui_.ShowRubberBand(RectF(left, top, std::max(p.x, q.x) - left, std::max(p.y, q.y) - top));
    bandShown_ = true;
    ui_.Present(view_.Overlay());
}

void TVemoEventContext::HideRubberBand() {
    if (!bandShown_) return;
    bandShown_ = false;
    ui_.ShowRubberBand(std::nullopt);
}

void TVemoEventContext::SetBackground(const QImage& image) {
    view_.SetBackground(image);
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
    const TAnswer answer = ui_.AskYesNoCancel(
        QCoreApplication::translate("TVemoEventContext", "ファイルの変更を保存しますか?").toStdString());
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
            case TChangedFileAnswer::Overwrite:
                break;
            case TChangedFileAnswer::SaveAs: {
                const std::optional<std::string> chosen = ui_.AskSaveFileName();
                if (!chosen || chosen->empty()) return false;
                if (*chosen == name) break;  // chosen again, knowingly
                return WriteDocument(*chosen);
            }
            case TChangedFileAnswer::Cancel:
                return false;
        }
    }
    std::string error;
    if (name.empty() || !WriteDocumentFile(Document(), name, error)) {
        ui_.ShowError(
            QCoreApplication::translate("TVemoEventContext", "ファイル \"%1\" を保存できませんでした。\n%2")
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

TVemoPart& TVemoEventContext::RootObject() {
    return Document().GetRoot();
}
