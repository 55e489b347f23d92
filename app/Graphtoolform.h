#pragma once
// The line-graph tool's window: read a table of numbers, look at and change
// each item's settings (size, ranges, ticks, layers, widths) in a key/value
// editor, and add the graph to the document as one group. The settings go to
// "graph_tool.ini" at every Apply and come from it at every read.

#include <functional>
#include <memory>
#include <string>

#include <QDialog>
#include <QWidget>

#include "graph/Linegraphproperty.h"
#include "graph/Linegraphunit.h"

class QListWidget;
class QPushButton;
class QTableWidget;
class TVemoDocument;
class TVemoGroup;

namespace app {

class TLineGraphFrame : public QWidget {
    Q_OBJECT
public:
    // settingsPath: the tool's settings file ("graph_tool.ini"); oldSettingsPath:
    // the program's zelko.ini, where earlier versions kept them, adopted once
    // (see TLineGraphUnit::AdoptOldSettings).
    explicit TLineGraphFrame(std::string settingsPath, QWidget* parent = nullptr,
                             std::string oldSettingsPath = {});

    void SetDocument(TVemoDocument* document);
    TLineGraphUnit& Unit() { return unit_; }

    // Asks for the data file; empty means cancelled.
    std::function<std::string(const std::string& last)> askDataFile;
    // Shows a message; a message box unless replaced.
    std::function<void(const std::string&)> tell;
    // Called with the group OK added to the document (for the undo step and redraw).
    std::function<void(TVemoGroup*)> added;

    QListWidget* ItemList() { return items_; }
    QTableWidget* Property() { return property_; }
    QPushButton* ApplyButton() { return apply_; }
    QPushButton* OkButton() { return ok_; }
    // Sets one value of the key/value editor by its key.
    bool SetValue(const std::string& key, const std::string& value);

    bool ReadFile(const std::string& file);
    bool Apply();
    // Adds the graph to the document; the group, or null without data or document.
    TVemoGroup* AddGraph();

private:
    void ShowItem(int item);
    void FillProperty(const TGraphProperties& rows);

    std::string settingsPath_;
    std::string oldSettingsPath_;
    std::string lastFile_;
    TLineGraphUnit unit_;
    TVemoDocument* document_ = nullptr;
    QListWidget* items_;
    QTableWidget* property_;
    QPushButton* read_;
    QPushButton* ok_;
    QPushButton* apply_;
    bool filling_ = false;
};

class TGraphToolForm : public QDialog {
    Q_OBJECT
public:
    static constexpr const char* kCaption = "GraphToolForm";
    explicit TGraphToolForm(std::string settingsPath, QWidget* parent = nullptr,
                            std::string oldSettingsPath = {});
    TLineGraphFrame* Frame() { return frame_; }

private:
    TLineGraphFrame* frame_;
};

}  // namespace app
