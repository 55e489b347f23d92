#pragma once
// The text window: the characters and the font of a text object for the text
// tool. The font chosen last stays as the current font, so a new text starts
// with it. Shown modally; OK gives the text its font and characters.

#include <string>
#include <vector>

#include <QDialog>
#include <QPlainTextEdit>

#include "model/Vemofont.h"

class QComboBox;
class QLineEdit;
class QPushButton;
class QToolButton;
class TVemoString;

namespace app {

// A plain-text box whose paste takes only text, and nothing when the clipboard
// holds nothing: Qt's own box ends the program on a paste from an X clipboard
// that nobody owns, and would take rich text or pictures as they come.
class TPlainTextBox : public QPlainTextEdit {
    Q_OBJECT
public:
    using QPlainTextEdit::QPlainTextEdit;

protected:
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;
};

class TTextForm : public QDialog {
    Q_OBJECT
public:
    static constexpr const char* kSection = "TextForm";

    // Placed as it was last time (settings file at settingsPath).
    explicit TTextForm(std::string settingsPath, QWidget* parent = nullptr);
    // Writes the placement.
    ~TTextForm() override;

    // Fills the window from text, which OK then changes; the current font
    // becomes the text's font.
    void EditText(TVemoString& text);
    const TVemoFont& CurrentFont() const { return font_; }
    const std::vector<std::string>& Families() const { return families_; }

    QComboBox* FontListBox = nullptr;
    QToolButton* BoldButton = nullptr;
    QToolButton* ItalicButton = nullptr;
    QToolButton* UnderButton = nullptr;
    QLineEdit* SizeEdit = nullptr;
    QPlainTextEdit* TextBox = nullptr;
    QPushButton* OkButton = nullptr;
    QPushButton* CancelButton = nullptr;

public slots:
    // OK: the size (when it parses), family, style and characters go to the text.
    void accept() override;
    // Cancel: the text being edited is let go unchanged.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    // The text field shows the chosen family and the style of the buttons.
    void ShowFontInTextBox();

    std::string settingsPath_;
    std::vector<std::string> families_;
    TVemoFont font_;
    TVemoString* text_ = nullptr;
};

}  // namespace app
