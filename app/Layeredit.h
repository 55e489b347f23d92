#pragma once
// The layer editor: a layer's name, colour and drawing flags (cut out, wire
// frame, opaque, output as text), applied to the layer only on OK. A name is
// refused, with a message saying why, when it is empty, when the document
// file cannot hold it (its 8-bit encoding), or when another layer of the
// list already has it (a new layer not yet in the list is made unique by its
// caller instead).

#include <QColor>
#include <QDialog>

#include "model/Vemolayer.h"

class QCheckBox;
class QColorDialog;
class QLineEdit;
class QPushButton;
class TVemoLayerList;

namespace app {

class TLayerEdit : public QDialog {
    Q_OBJECT
public:
    explicit TLayerEdit(QWidget* parent = nullptr);

    // Shows the layer's name, flags and colour; list is where its name must be
    // unique (may be null).
    void LoadLayer(const TVemoLayerPtr& layer, const TVemoLayerList* list = nullptr);
    const TVemoLayerPtr& Layer() const { return layer_; }

    // Why name cannot be a layer's name in list ("" when it can). A layer in
    // list may keep its own name; a layer not in list may share one.
    static QString NameProblem(const QString& name, const TVemoLayer* layer, const TVemoLayerList* list);

    QLineEdit* NameEdit() const { return nameEdit_; }
    QPushButton* PalletBox() const { return pallet_; }
    QCheckBox* MaskCheckBox() const { return mask_; }
    QCheckBox* WireCheckBox() const { return wire_; }
    QCheckBox* OpaqueCheckBox() const { return opaque_; }
    QCheckBox* TextDrawCheckBox() const { return textDraw_; }
    QPushButton* ButtonOK() const { return ok_; }
    QPushButton* ButtonCancel() const { return cancel_; }
    QColor Colour() const { return colour_; }

public slots:
    // OK: checks the name, applies everything and closes; a refused name keeps the editor open.
    void accept() override;

private:
    void ChooseColour();
    void ShowColour();

    TVemoLayerPtr layer_;
    const TVemoLayerList* list_ = nullptr;
    QColor colour_;
    QLineEdit* nameEdit_;
    QPushButton* pallet_;
    QCheckBox* mask_;
    QCheckBox* wire_;
    QCheckBox* opaque_;
    QCheckBox* textDraw_;
    QPushButton* ok_;
    QPushButton* cancel_;
};

}  // namespace app
