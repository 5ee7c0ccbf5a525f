// The Palette page (the 16 colours) and the Color Map page (colours for
// combinations of the bold, underline, blink and inverse attributes).
#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <cstring>

#include "app/CSettingsSheet.h"
#include "app/SettingsPages.h"

namespace tamsivane {
namespace {

constexpr int kColours = 16;
constexpr int kNormalForeground = 7;
constexpr int kNormalBackground = 0;

QColor PaletteColour(const uint8_t* palette, int index) {
    const uint8_t* rgb = palette + 4 * (index & 15);
    return QColor(rgb[0], rgb[1], rgb[2]);
}

// Attribute bits of a colour-map index, as the Color Map page shows them.
struct AttributeBit {
    const char* checkCaption;
    const char* name; // in a combination's name
    int bit;
};
// The combination names follow the bit order; the check boxes are shown in
// the order "Bold", "Underline", "Inverse", "Blink".
constexpr AttributeBit kAttributeBits[] = {{"Bold", "Bold", 1},
                                           {"Underline", "Underline", 2},
                                           {"Blink", "Blinking", 4},
                                           {"Inverse", "Reverse", 8}};
constexpr int kCheckOrder[] = {0, 1, 3, 2};

QString CombinationName(int combination) {
    QStringList names;
    for (const AttributeBit& attribute : kAttributeBits) {
        if (combination & attribute.bit) names << attribute.name;
    }
    return names.isEmpty() ? QString("Normal") : names.join("  ");
}

QSlider* ColourSlider(QWidget* parent, const char* name, int maximum) {
    auto* slider = new QSlider(Qt::Horizontal, parent);
    slider->setObjectName(name);
    slider->setRange(0, maximum);
    return slider;
}

} // namespace

// --- Palette -----------------------------------------------------------------------

CPagePalette::CPagePalette(CSettingsSheet& sheet)
    : CSettingsPage(sheet, "Palette"), index_(new QLabel(this)) {
    auto* rows = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    rows->addLayout(grid);
    for (int i = 0; i < kColours; ++i) {
        auto* swatch = new QPushButton(this);
        swatch->setObjectName(QString("colour%1").arg(i));
        swatch->setFixedSize(32, 24);
        connect(swatch, &QPushButton::clicked, this, [this, i] { SelectColour(i); });
        grid->addWidget(swatch, i / 8, i % 8);
        swatches_[i] = swatch;
    }
    index_->setObjectName("colourIndex");
    rows->addWidget(index_);
    constexpr const char* kChannels[] = {"RED:", "GREEN:", "BLUE:"};
    for (int channel = 0; channel < 3; ++channel) {
        auto* row = new QHBoxLayout;
        rows->addLayout(row);
        row->addWidget(new QLabel(kChannels[channel], this));
        sliders_[channel] = ColourSlider(this, kChannels[channel], 255);
        fields_[channel] = new QSpinBox(this);
        fields_[channel]->setObjectName(QString(kChannels[channel]).chopped(1).toLower());
        fields_[channel]->setRange(0, 255);
        row->addWidget(sliders_[channel], 1);
        row->addWidget(fields_[channel]);
        connect(sliders_[channel], &QSlider::valueChanged, fields_[channel], &QSpinBox::setValue);
        connect(fields_[channel], &QSpinBox::valueChanged, sliders_[channel], &QSlider::setValue);
        connect(fields_[channel], &QSpinBox::valueChanged, this, &CPagePalette::ColourEdited);
    }
    auto* restore = new QPushButton("Default", this);
    restore->setObjectName("defaultPalette");
    connect(restore, &QPushButton::clicked, this, &CPagePalette::RestoreDefaults);
    rows->addWidget(restore);
    rows->addWidget(new QLabel(
        "Change color #0 for screen background, and color #7 for normal text color.", this));
    rows->addStretch(1);
}

void CPagePalette::SelectColour(int index) {
    selected_ = index;
    ShowColours(); // the chosen colour's border
    index_->setText(QString("Color Index: %1").arg(index));
    const uint8_t* rgb = palette_.data() + 4 * index;
    // The fields follow without storing: the values are the colour's own.
    for (int channel = 0; channel < 3; ++channel) {
        const QSignalBlocker blocker(fields_[channel]);
        fields_[channel]->setValue(rgb[channel]);
        sliders_[channel]->setValue(rgb[channel]);
    }
}

void CPagePalette::ColourEdited() {
    for (int channel = 0; channel < 3; ++channel) {
        palette_[4 * selected_ + channel] = static_cast<uint8_t>(fields_[channel]->value());
    }
    ShowColours();
}

void CPagePalette::RestoreDefaults() {
    const uint8_t* defaults = Descriptor(P::Palette).defaultBlock;
    std::memcpy(palette_.data(), defaults, palette_.size());
    SelectColour(selected_);
}

void CPagePalette::ShowColours() {
    for (int i = 0; i < kColours; ++i) {
        swatches_[i]->setStyleSheet(
            QString("QPushButton { background-color: %1; border: 1px solid %2; }")
                .arg(PaletteColour(palette_.data(), i).name(), i == selected_ ? "white" : "gray"));
    }
}

bool CPagePalette::Exchange(ExchangeDirection direction) {
    if (direction == ExchangeDirection::Save) {
        Working().SetBlock(P::Palette, palette_.data(), palette_.size());
        return true;
    }
    std::memcpy(palette_.data(), Working().GetBlock(P::Palette), palette_.size());
    SelectColour(selected_);
    return true;
}

// --- Color Map ---------------------------------------------------------------------

CPageColorMap::CPageColorMap(CSettingsSheet& sheet)
    : CSettingsPage(sheet, "Color Map"),
      list_(new QTreeWidget(this)),
      foreground_(ColourSlider(this, "foreground", kColours - 1)),
      background_(ColourSlider(this, "background", kColours - 1)),
      showAttribute_(new QCheckBox("Display Attribute", this)) {
    auto* rows = new QVBoxLayout(this);
    auto* checks = new QHBoxLayout;
    rows->addLayout(checks);
    for (const int index : kCheckOrder) {
        auto* box = new QCheckBox(kAttributeBits[index].checkCaption, this);
        attributes_[index] = box;
        checks->addWidget(box);
        connect(box, &QCheckBox::toggled, this, &CPageColorMap::FillList);
    }
    list_->setObjectName("combinations");
    list_->setColumnCount(2);
    list_->setHeaderHidden(true);
    list_->setRootIsDecorated(false);
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    list_->header()->setStretchLastSection(false);
    rows->addWidget(list_, 1);

    rows->addWidget(new QLabel("Mapped to:", this));
    auto* fore = new QHBoxLayout;
    fore->addWidget(new QLabel("Foreground", this));
    fore->addWidget(foreground_);
    rows->addLayout(fore);
    auto* back = new QHBoxLayout;
    back->addWidget(new QLabel("Background", this));
    back->addWidget(background_);
    rows->addLayout(back);
    showAttribute_->setObjectName("displayAttribute");
    rows->addWidget(showAttribute_);
    // The "Mapped to:" controls act at once on the selected combinations; a
    // slider dragged maps where it is let go.
    for (QSlider* slider : {foreground_, background_}) {
        connect(slider, &QSlider::valueChanged, this, [this, slider] {
            if (!slider->isSliderDown()) MapSelected();
        });
        connect(slider, &QSlider::sliderReleased, this, &CPageColorMap::MapSelected);
    }
    connect(showAttribute_, &QCheckBox::clicked, this, &CPageColorMap::MapSelected);
    connect(list_, &QTreeWidget::itemSelectionChanged, this, &CPageColorMap::ShowSelected);
    auto* buttons = new QHBoxLayout;
    auto* clear = new QPushButton("Clear", this);
    clear->setObjectName("clear");
    connect(clear, &QPushButton::clicked, this, &CPageColorMap::ClearAll);
    buttons->addWidget(clear);
    buttons->addStretch(1);
    rows->addLayout(buttons);
}

int CPageColorMap::CheckedBits() const {
    int bits = 0;
    for (size_t i = 0; i < attributes_.size(); ++i) {
        if (attributes_[i]->isChecked()) bits |= kAttributeBits[i].bit;
    }
    return bits;
}

ColourMapEntry CPageColorMap::ColoursOf(int combination) const {
    if (const auto mapped = Working().MappedColours(combination)) return *mapped;
    ColourMapEntry colours{kNormalForeground, kNormalBackground, true};
    if (combination & 8) std::swap(colours.foreground, colours.background);
    return colours;
}

// Every combination of the checked attributes (unchecked attributes off).
void CPageColorMap::FillList() {
    list_->clear();
    const int checked = CheckedBits();
    for (int combination = 0; combination < kColours; ++combination) {
        if ((combination & ~checked) != 0) continue;
        auto* item = new QTreeWidgetItem(list_, {CombinationName(combination), " Sample "});
        item->setData(0, Qt::UserRole, combination);
    }
    PaintSamples();
    list_->resizeColumnToContents(1);
}

// Each sample in the colours its combination shows with.
void CPageColorMap::PaintSamples() {
    const uint8_t* palette = Working().GetBlock(P::Palette);
    for (int row = 0; row < list_->topLevelItemCount(); ++row) {
        QTreeWidgetItem* item = list_->topLevelItem(row);
        const ColourMapEntry colours = ColoursOf(item->data(0, Qt::UserRole).toInt());
        item->setForeground(1, PaletteColour(palette, colours.foreground));
        item->setBackground(1, PaletteColour(palette, colours.background));
    }
}

// The "Mapped to:" controls show the colours of the current selected combination.
void CPageColorMap::ShowSelected() {
    const QList<QTreeWidgetItem*> selected = list_->selectedItems();
    if (selected.isEmpty()) return;
    const QTreeWidgetItem* current = list_->currentItem();
    const QTreeWidgetItem* shown =
        current != nullptr && current->isSelected() ? current : selected.front();
    const ColourMapEntry colours = ColoursOf(shown->data(0, Qt::UserRole).toInt());
    const QSignalBlocker fore(foreground_);
    const QSignalBlocker back(background_);
    foreground_->setValue(colours.foreground);
    background_->setValue(colours.background);
    showAttribute_->setChecked(colours.showAttribute);
}

void CPageColorMap::MapSelected() {
    const QList<QTreeWidgetItem*> selected = list_->selectedItems();
    if (selected.isEmpty()) {
        Tell(Msg::SelectAttribute);
        return;
    }
    const int checked = CheckedBits();
    for (const QTreeWidgetItem* item : selected) {
        const int combination = item->data(0, Qt::UserRole).toInt();
        SettingsStore::AttributePattern pattern;
        for (size_t i = 0; i < pattern.size(); ++i) {
            const int bit = kAttributeBits[i].bit;
            if (checked & bit) pattern[i] = (combination & bit) != 0;
        }
        Working().MapColours(
            pattern, {foreground_->value(), background_->value(), showAttribute_->isChecked()});
    }
    PaintSamples();
}

void CPageColorMap::ClearAll() {
    for (int combination = 0; combination < kColours; ++combination) {
        Working().UnmapColour(combination);
    }
    PaintSamples();
    ShowSelected();
}

bool CPageColorMap::Exchange(ExchangeDirection direction) {
    if (direction == ExchangeDirection::Load) FillList();
    return true;
}

} // namespace tamsivane
