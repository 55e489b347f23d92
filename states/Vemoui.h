#pragma once
// Everything the editing tools need from the windows, as one interface: the
// states and the event context reach widgets only through it, so they build
// without Qt Widgets and tests drive whole gestures with a fake.

#include <optional>
#include <string>

#include "model/Vemotypes.h"

class TDIBitmap;
class TVemoFont;
class TVemoGroup;
class TVemoString;

enum class TAnswer { Yes, No, Cancel };

// What to do with a file that was written elsewhere since this window read or saved it.
enum class TChangedFileAnswer { Overwrite, SaveAs, Cancel };

// What a file dialog is asked for; each purpose has its own file types.
enum class TFileKind { Document, Legacy, Image, Bitmap, Emf, Table };

class TVemoUi {
public:
    virtual ~TVemoUi() = default;

    // Status bar panel 0 (pointer position), 1 (offset from the origin) or 2.
    virtual void SetStatusText(int panel, const std::string& text) = 0;
    virtual void SetCaption(const std::string& caption) = 0;
    // Whether the board has changes not saved (the caption's mark).
    virtual void ShowModified(bool /*modified*/) {}
    // 0 arrow, -4 text beam, 10 pan, 11 zoom in, 12 zoom out.
    virtual void SetCursor(int id) = 0;
    // Shows the finished overlay bitmap 1:1 in the design window, before returning.
    virtual void Present(const TDIBitmap& overlay) = 0;
    // Redraw work is waiting: call the context's Idle once the pending input is handled.
    virtual void ScheduleIdle() = 0;
    // The tool buttons changed (a button went up or down, or the sub-tool set changed).
    virtual void ToolPanelChanged() = 0;

    // Modal questions and messages.
    virtual TAnswer AskYesNoCancel(const std::string& question) = 0;
    // The save dialog; none when the user cancels it.
    virtual std::optional<std::string> AskSaveFileName() = 0;
    // The open dialog for a file of that kind; none when the user cancels it.
    virtual std::optional<std::string> AskOpenFileName(TFileKind /*kind*/) { return std::nullopt; }
    virtual void ShowError(const std::string& message) = 0;
    // The file name was written by another program or window since it was
    // opened or saved here: overwrite it, save under another name, or stop.
    virtual TChangedFileAnswer AskChangedFile(const std::string& /*name*/) {
        return TChangedFileAnswer::Cancel;
    }

    // Whether the main window is the active window and the keyboard is not
    // busy typing in a field: only then do the tools' shortcut keys act.
    virtual bool IsEditorActive() { return true; }
    // The rubber band, a rectangle in window pixels, outlined over the picture
    // last presented (no bitmap holds it); none takes it away.
    virtual void ShowRubberBand(const std::optional<RectF>& /*pixels*/) {}
    // A mark on the land or track end a press would snap to, at a point in
    // window pixels, over the picture (no bitmap holds it); none takes it away.
    virtual void ShowSnapMarker(const std::optional<PointF>& /*pixels*/) {}
    // The numeric move-and-rotate dialog, shown modally with anchor (document
    // units) filled in; the transform it made, or none when it was cancelled.
    virtual std::optional<Matrix> AskNumericTransform(PointF /*anchor*/) { return std::nullopt; }

    // The text window, shown modally for text: it is filled from the text, and
    // on OK it has given the text its font and characters (true); Cancel
    // leaves the text as it was (false).
    virtual bool EditTextModal(TVemoString& /*text*/) { return false; }
    // The text window's current font, the one used last: a new text starts with it.
    virtual const TVemoFont* CurrentTextFont() { return nullptr; }
    // The pad chosen in the pad preview of the style window; null when there is none.
    virtual const TVemoGroup* SelectedPad() { return nullptr; }
    // The library window, shown modally: the part chosen there when it closed
    // with OK (it may be empty), null when it was cancelled.
    virtual const TVemoGroup* ChooseLibraryPart() { return nullptr; }

    // The panels that show the document and the selection; they may not exist yet.
    virtual void AddRecentFile(const std::string& /*name*/) {}
    virtual void RefreshDesignPanel() {}
    // The styles the style panel shows changed (see TVemoStylePanel).
    virtual void ShowSelectionStyle() {}
    virtual void RefreshLayers() {}

    // The clipboard in the program's own object format ("CF_VEMO2.02_OBJ").
    // Setting may fail silently (no clipboard); reading gives none when the
    // clipboard holds nothing of that format.
    virtual void SetClipboardObjects(const std::string& /*bytes*/) {}
    virtual std::optional<std::string> ClipboardObjects() { return std::nullopt; }
};
