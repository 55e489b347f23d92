#pragma once
// A scripted stand-in for the windows: records what the states show and
// answers the questions they ask from a queue set by the test.

#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "model/Vemofont.h"
#include "model/Vemostring.h"
#include "render/Dibwrap.h"
#include "states/Vemoui.h"

class TFakeUi : public TVemoUi {
public:
    void SetStatusText(int panel, const std::string& text) override { status[panel] = text; }
    void SetCaption(const std::string& text) override { caption = text; }
    void SetCursor(int id) override { cursor = id; }
    void Present(const TDIBitmap& overlay) override {
        ++presents;
        if (overlay.Width() > 0 && overlay.Height() > 0)
            lastCentre = overlay.Pixel(overlay.Width() / 2, overlay.Height() / 2);
    }
    void ScheduleIdle() override { ++idleRequests; }
    void ToolPanelChanged() override { ++panelChanges; }
    TAnswer AskYesNoCancel(const std::string& question) override {
        questions.push_back(question);
        return answer;
    }
    std::optional<std::string> AskSaveFileName() override {
        ++saveDialogs;
        return saveName;
    }
    std::optional<std::string> AskOpenFileName(TFileKind kind) override {
        openKinds.push_back(kind);
        return openName;
    }
    void ShowError(const std::string& message) override { errors.push_back(message); }
    TChangedFileAnswer AskChangedFile(const std::string& name) override {
        changedFiles.push_back(name);
        return changedAnswer;
    }
    bool IsEditorActive() override { return active; }
    void ShowSnapMarker(const std::optional<PointF>& pixels) override { marker = pixels; }
    void ShowRubberBand(const std::optional<RectF>& pixels) override {
        band = pixels;
        if (pixels) ++bandsShown;
    }
    std::optional<Matrix> AskNumericTransform(PointF anchor) override {
        numericAnchors.push_back(anchor);
        return numeric;
    }
    // The text window: records the text it was given (and its font then); with
    // textAnswer set it types those characters and closes with OK, else Cancel.
    bool EditTextModal(TVemoString& text) override {
        editedTexts.push_back(&text);
        editedFonts.push_back(text.GetFont());
        if (!textAnswer) return false;
        text.SetText(*textAnswer);
        return true;
    }
    const TVemoFont* CurrentTextFont() override { return textFont ? &*textFont : nullptr; }
    const TVemoGroup* SelectedPad() override { return pad; }
    // The library window answers from the queue, one per showing; Cancel when it is empty.
    const TVemoGroup* ChooseLibraryPart() override {
        ++libraryShown;
        if (libraryAnswers.empty()) return nullptr;
        const TVemoGroup* part = libraryAnswers.front();
        libraryAnswers.pop_front();
        return part;
    }
    void ShowSelectionStyle() override { ++styleRefreshes; }
    void RefreshLayers() override { ++layerRefreshes; }
    void SetClipboardObjects(const std::string& bytes) override { clipboard = bytes; }
    std::optional<std::string> ClipboardObjects() override { return clipboard; }
    void AddRecentFile(const std::string& name) override { recent.push_back(name); }
    void RefreshDesignPanel() override { ++designRefreshes; }

    std::map<int, std::string> status;
    std::vector<std::string> changedFiles;
    TChangedFileAnswer changedAnswer = TChangedFileAnswer::Cancel;
    std::string caption;
    int cursor = 0;
    int presents = 0;
    std::uint32_t lastCentre = 0;
    int idleRequests = 0;
    int panelChanges = 0;
    TAnswer answer = TAnswer::Yes;
    std::optional<std::string> saveName;
    int saveDialogs = 0;
    std::optional<std::string> openName;
    std::vector<TFileKind> openKinds;
    std::vector<std::string> recent;
    int designRefreshes = 0;
    std::vector<std::string> questions;
    std::vector<std::string> errors;
    bool active = true;
    std::optional<PointF> marker;
    std::optional<RectF> band;
    int bandsShown = 0;
    std::optional<Matrix> numeric;
    std::vector<PointF> numericAnchors;
    int styleRefreshes = 0;
    int layerRefreshes = 0;
    std::optional<std::string> clipboard;
    std::optional<std::u16string> textAnswer;
    std::vector<const TVemoString*> editedTexts;
    std::vector<TVemoFont> editedFonts;
    std::optional<TVemoFont> textFont;
    const TVemoGroup* pad = nullptr;
    std::deque<const TVemoGroup*> libraryAnswers;
    int libraryShown = 0;
};
