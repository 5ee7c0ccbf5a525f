// Draws rows of the screen buffer: selection runs, attribute sub-runs, the
// colour map, blink, underline, line-drawing and soft-font glyphs, double-width
// characters and double-size lines.  Works on copies of the cells, so it runs
// without the session lock.
#pragma once

#include <QColor>
#include <QImage>
#include <QRawFont>
#include <array>
#include <cstdint>
#include <optional>

#include "config/SettingsStore.h"
#include "emulator/ScreenBuffer.h"
#include "emulator/SoftFont.h"
#include "view/CellFont.h"
#include "view/LineGlyphs.h"
#include "view/TextSelection.h"

class QPainter;

namespace tamsivane {

// The colours of a session: the palette, the colour map and the screen mode.
struct ScreenColours {
    struct Cell {
        QColor fore;
        QColor back;
        bool showAttribute = true;
    };

    std::array<QColor, CellAttribute::kColours> palette;
    // Indexed by CellAttribute::ColourMapIndex; empty where unmapped.
    std::array<std::optional<ColourMapEntry>, CellAttribute::kColours> map;
    bool darkScreen = true;
    bool blinkText = true;

    // Session lock held.
    void Read(const SettingsStore& settings);
    // Colours of a sub-run.  selected: foreground and background exchange;
    // blinkVisible false: blinking text takes the background colour.
    Cell Resolve(CellAttribute attribute, bool selected, bool blinkVisible) const;
    // What an empty part of the view shows: the background of a normal cell,
    // its foreground on a light screen.
    QColor ScreenBackground() const;
};

// One display line, copied out of the screen buffer.
struct RowCells {
    uint16_t size = LineSize::Single;
    std::array<uint16_t, kStride> codes{};
    std::array<uint16_t, kStride> attrs{};

    void CopyFrom(const DisplayLine& line);
};

struct PaintContext {
    const ScreenColours& colours;
    const CellFont& font;
    const SoftFont& softFont;
    const Selection& selection;
    int columns;
    bool blinkVisible;
};

class ScreenPainter {
public:
    // Draws the columns of one buffer row with its top-left corner at (x, y).
    void PaintRow(QPainter& painter, const PaintContext& context, const RowCells& row,
                  int bufferRow, int x, int y);

private:
    void PaintRuns(QPainter& painter, const PaintContext& context, const RowCells& row,
                   int bufferRow, int x, int y);
    void PaintRun(QPainter& painter, const PaintContext& context, const RowCells& row, int x, int y,
                  int first, int last, bool selected);
    void PaintText(QPainter& painter, const PaintContext& context, const uint16_t* codes, int cells,
                   int x, int y, const QColor& fore);
    void PaintLineGlyphs(QPainter& painter, const PaintContext& context, const uint16_t* codes,
                         int cells, int x, int y, const QColor& fore);
    void PaintSoftGlyphs(QPainter& painter, const PaintContext& context, const uint16_t* codes,
                         int cells, int x, int y, const QColor& fore);
    void PaintWideCharacters(QPainter& painter, const PaintContext& context, const uint16_t* codes,
                             int cells, int x, int y, const QColor& fore);
    const QRawFont& RawFont(const CellFont& font);

    LineGlyphCache lineGlyphs_;
    QImage doubleSizeRow_;
    QRawFont rawFont_;
    QFont rawFontSource_;
};

} // namespace tamsivane
