// The PC keyboard to pick a key from: "Layout:" with the list of layouts
// (hidden when the built-in layout is the only one) above the chosen
// layout's picture.
#pragma once

#include <QWidget>

#include "keyboard/KeyboardLayouts.h"

class QComboBox;
class QLabel;

namespace tamsivane {

class KeyPictureWidget;

class LayoutPanel final : public QWidget {
    Q_OBJECT
public:
    // layouts must outlive the panel; layout: the stored number (KBLayout),
    // made valid.
    LayoutPanel(const KeyboardLayouts& layouts, int layout, QWidget* parent = nullptr);

    int Layout() const { return layout_; }
    void SetLayout(int layout);
    const KeyboardLayouts& Layouts() const { return layouts_; }
    // The picture, to colour keys on (ColourKey) and read.
    KeyPictureWidget* Picture() const { return picture_; }

signals:
    // A click on a PC key of the picture.
    void keyClicked(int key);
    // The user chose another layout; the picture shows it, uncoloured.
    void layoutChanged(int layout);

private:
    const KeyboardLayouts& layouts_;
    int layout_;
    QLabel* label_;
    QComboBox* list_;
    KeyPictureWidget* picture_;
};

} // namespace tamsivane
