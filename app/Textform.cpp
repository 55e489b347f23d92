#include "app/Textform.h"

#include <cmath>

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/Vemoformtemplate.h"
#include "geom/Units.h"
#include "model/Vemostring.h"
#include "states/Vemostylepanel.h"

namespace app {

namespace {

QToolButton* StyleButton(QWidget* parent, const char* name, const QString& caption, const QString& hint) {
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setText(caption);
    button->setToolTip(hint);
    button->setAccessibleName(hint);
    button->setCheckable(true);
    button->setFixedSize(28, 28);
    return button;
}

}  // namespace

bool TPlainTextBox::canInsertFromMimeData(const QMimeData* source) const {
    return source && source->hasText();
}

void TPlainTextBox::insertFromMimeData(const QMimeData* source) {
    if (!source || !source->hasText()) return;
    insertPlainText(source->text());
}

TTextForm::TTextForm(std::string settingsPath, QWidget* parent)
    : QDialog(parent), settingsPath_(std::move(settingsPath)), families_(TVemoFont::InstalledFamilies()) {
    setObjectName(kSection);
    setWindowTitle(tr("テキスト"));
    setAccessibleName(tr("テキスト"));
    // A new text starts in the first family at 4 mm.
    if (!families_.empty()) font_.SetFamily(families_.front());
    font_.SetSize(40.0f);
    font_.SetStyle(0);

    FontListBox = new QComboBox(this);
    FontListBox->setObjectName("FontListBox");
    FontListBox->setAccessibleName(tr("フォント"));
    FontListBox->setToolTip(tr("フォント"));
    for (const std::string& family : families_) FontListBox->addItem(QString::fromStdString(family));
    FontListBox->setCurrentIndex(families_.empty() ? -1 : 0);
    FontListBox->setMinimumContentsLength(18);
    FontListBox->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);

    BoldButton = StyleButton(this, "BoldButton", QStringLiteral("B"), QStringLiteral("Bold"));
    QFont bold = BoldButton->font();
    bold.setBold(true);
    BoldButton->setFont(bold);
    ItalicButton = StyleButton(this, "ItalicButton", QStringLiteral("I"), QStringLiteral("Italic"));
    QFont italic = ItalicButton->font();
    italic.setItalic(true);
    ItalicButton->setFont(italic);
    UnderButton = StyleButton(this, "UnderButton", QStringLiteral("U"), QStringLiteral("Underline"));
    QFont under = UnderButton->font();
    under.setUnderline(true);
    UnderButton->setFont(under);

    SizeEdit = new QLineEdit(this);
    SizeEdit->setObjectName("SizeEdit");
    SizeEdit->setAccessibleName(tr("文字の大きさ (mm)"));
    SizeEdit->setToolTip(tr("文字の大きさ (mm)"));
    SizeEdit->setFixedWidth(56);
    auto* sizeLabel = new QLabel(tr("大きさ"), this);
    sizeLabel->setBuddy(SizeEdit);
    auto* mmLabel = new QLabel(QStringLiteral("mm"), this);

    TextBox = new TPlainTextBox(this);
    TextBox->setObjectName("TextBox");
    TextBox->setAccessibleName(tr("文字列"));
    TextBox->setTabChangesFocus(true);
    QFont boxFont = TextBox->font();
    boxFont.setPointSize(12);
    TextBox->setFont(boxFont);

    OkButton = new QPushButton(QStringLiteral("OK"), this);
    OkButton->setObjectName("OkButton");
    OkButton->setAccessibleName(QStringLiteral("OK"));
    // Enter makes new lines in the text box; OK is a click or Ctrl+Enter away.
    OkButton->setAutoDefault(false);
    OkButton->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Return));
    CancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    CancelButton->setObjectName("CancelButton");
    CancelButton->setAccessibleName(QStringLiteral("Cancel"));
    CancelButton->setAutoDefault(false);
    connect(OkButton, &QPushButton::clicked, this, &TTextForm::accept);
    connect(CancelButton, &QPushButton::clicked, this, &TTextForm::reject);

    connect(FontListBox, &QComboBox::currentIndexChanged, this, [this] { ShowFontInTextBox(); });
    for (QToolButton* b : {BoldButton, ItalicButton, UnderButton})
        connect(b, &QToolButton::toggled, this, [this] { ShowFontInTextBox(); });

    auto* fontRow = new QHBoxLayout;
    fontRow->addWidget(FontListBox, 1);
    fontRow->addWidget(BoldButton);
    fontRow->addWidget(ItalicButton);
    fontRow->addWidget(UnderButton);
    fontRow->addSpacing(8);
    fontRow->addWidget(sizeLabel);
    fontRow->addWidget(SizeEdit);
    fontRow->addWidget(mmLabel);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(OkButton);
    buttons->addWidget(CancelButton);
    auto* column = new QVBoxLayout(this);
    column->addLayout(fontRow);
    column->addWidget(TextBox, 1);
    column->addLayout(buttons);
    ShowFontInTextBox();

    LoadFormPlacement(*this, settingsPath_, kSection, CentredOnFirstScreen(440, 240));
}

TTextForm::~TTextForm() {
    std::string error;
    SaveFormPlacement(*this, settingsPath_, kSection, error);
}

void TTextForm::EditText(TVemoString& text) {
    text_ = &text;
    font_.Assign(text.GetFont());
    for (std::size_t i = 0; i < families_.size(); ++i)
        if (families_[i] == font_.FamilyName()) {
            FontListBox->setCurrentIndex(int(i));
            break;
        }
    const QSignalBlocker b(BoldButton), it(ItalicButton), u(UnderButton);
    BoldButton->setChecked(font_.GetStyle() & TVemoFont::Bold);
    ItalicButton->setChecked(font_.GetStyle() & TVemoFont::Italic);
    UnderButton->setChecked(font_.GetStyle() & TVemoFont::Underline);
    SizeEdit->setText(QString::fromStdString(ShortestDecimal(units::ToMm(font_.GetSize()))));
    TextBox->setPlainText(QString::fromStdU16String(text.GetText()));
    ShowFontInTextBox();
}

void TTextForm::ShowFontInTextBox() {
    QFont f = TextBox->font();
    const int i = FontListBox->currentIndex();
    if (i >= 0 && i < int(families_.size())) f.setFamilies({QString::fromStdString(families_[i])});
    f.setBold(BoldButton->isChecked());
    f.setItalic(ItalicButton->isChecked());
    f.setUnderline(UnderButton->isChecked());
    TextBox->setFont(f);
}

void TTextForm::accept() {
    if (text_) {
        bool ok = false;
        const double size = SizeEdit->text().trimmed().toDouble(&ok);
        // A size that is not a number, or not a size at all, keeps the old one.
        if (ok && std::isfinite(size) && size > 0) font_.SetSize(float(units::FromMm(size)));
        const int i = FontListBox->currentIndex();
        if (i >= 0 && i < int(families_.size())) font_.SetFamily(families_[i]);
        font_.SetStyle((BoldButton->isChecked() ? TVemoFont::Bold : 0) |
                       (ItalicButton->isChecked() ? TVemoFont::Italic : 0) |
                       (UnderButton->isChecked() ? TVemoFont::Underline : 0));
        text_->SetFont(font_);
        text_->SetText(TextBox->toPlainText().toStdU16String());
        text_ = nullptr;
    }
    QDialog::accept();
}

void TTextForm::reject() {
    text_ = nullptr;
    QDialog::reject();
}

void TTextForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    TextBox->setFocus();
}

}  // namespace app
