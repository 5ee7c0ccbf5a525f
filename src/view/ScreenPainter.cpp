#include "view/ScreenPainter.h"

#include <QBitmap>
#include <QGlyphRun>
#include <QList>
#include <QPainter>
#include <algorithm>
#include <utility>

namespace tamsivane {

namespace {

// Codes that leave the cell blank: spaces, controls and lone surrogate halves.
bool HasInk(uint16_t code) {
    return code > 0x20 && !(code >= 0x7F && code <= 0xA0) && !(code >= 0xD800 && code <= 0xDFFF);
}

QColor PaletteEntry(const uint8_t* palette, int index) {
    const uint8_t* rgb = palette + index * 4;
    return QColor(rgb[0], rgb[1], rgb[2]);
}

// A soft-font glyph as a bitmap whose set bits are the glyph's pixels.
QBitmap SoftGlyphBitmap(const SoftFont::Glyph& glyph, int width, int height) {
    QImage image(width, height, QImage::Format_MonoLSB);
    image.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    for (int y = 0; y < height; ++y) {
        uchar* line = image.scanLine(y);
        line[0] = static_cast<uchar>(glyph.rows[y] & 0xFF);
        if (width > 8) line[1] = static_cast<uchar>(glyph.rows[y] >> 8);
    }
    return QBitmap::fromImage(image);
}

} // namespace

// --- colours ----------------------------------------------------------------------

void ScreenColours::Read(const SettingsStore& settings) {
    const uint8_t* bytes = settings.GetBlock(P::Palette);
    for (int i = 0; i < CellAttribute::kColours; ++i) palette[i] = PaletteEntry(bytes, i);
    for (int i = 0; i < CellAttribute::kColours; ++i) map[i] = settings.MappedColours(i);
    darkScreen = settings.GetNumber(P::DarkScreen) != 0;
    blinkText = settings.GetNumber(P::BlinkText) != 0;
}

ScreenColours::Cell ScreenColours::Resolve(CellAttribute attribute, bool selected,
                                           bool blinkVisible) const {
    // Unmapped combinations keep the cell's own colours.
    const ColourMapEntry colours = map[attribute.ColourMapIndex()].value_or(
        ColourMapEntry{attribute.Foreground(), attribute.Background(), true});
    int fore = colours.foreground;
    int back = colours.background;
    const bool show = colours.showAttribute;
    if (selected) std::swap(fore, back);
    if (show && attribute.Has(CellAttribute::Blink) && !blinkVisible && blinkText) fore = back;
    return {palette[fore], palette[back], show};
}

QColor ScreenColours::ScreenBackground() const {
    const Cell normal = Resolve(CellAttribute(), false, true);
    return darkScreen ? normal.back : normal.fore;
}

void RowCells::CopyFrom(const DisplayLine& line) {
    size = line.size;
    std::copy(line.codes, line.codes + kStride, codes.begin());
    std::copy(line.attrs, line.attrs + kStride, attrs.begin());
}

// --- rows -------------------------------------------------------------------------

void ScreenPainter::PaintRow(QPainter& painter, const PaintContext& context, const RowCells& row,
                             int bufferRow, int x, int y) {
    if (row.size == LineSize::Single) {
        PaintRuns(painter, context, row, bufferRow, x, y);
        return;
    }
    // A double-size row is drawn at normal size off screen, then its left
    // half is stretched over the whole row.
    const int cellWidth = context.font.width;
    const int cellHeight = context.font.height;
    const QSize size(kStride * cellWidth, cellHeight);
    if (doubleSizeRow_.size() != size) {
        doubleSizeRow_ = QImage(size, QImage::Format_ARGB32_Premultiplied);
    }
    {
        QPainter offscreen(&doubleSizeRow_);
        PaintRuns(offscreen, context, row, bufferRow, 0, 0);
    }
    const int width = context.columns * cellWidth;
    QRect source(0, 0, width / 2, cellHeight);
    if (row.size & 2) { // upper half of a double-height line
        source.setHeight(cellHeight / 2);
    } else if (row.size & 4) { // lower half
        source.setTop(cellHeight / 2);
        source.setHeight(cellHeight - cellHeight / 2);
    }
    if (source.height() > 0)
        painter.drawImage(QRect(x, y, width, cellHeight), doubleSizeRow_, source);
}

void ScreenPainter::PaintRuns(QPainter& painter, const PaintContext& context, const RowCells& row,
                              int bufferRow, int x, int y) {
    const Selection& s = context.selection;
    const int last = context.columns - 1;
    if (bufferRow < s.startRow || bufferRow > s.endRow) {
        PaintRun(painter, context, row, x, y, 0, last, false);
    } else if (s.rectangular || s.startRow == s.endRow) {
        PaintRun(painter, context, row, x, y, 0, s.startColumn - 1, false);
        PaintRun(painter, context, row, x, y, s.startColumn, s.endColumn, true);
        PaintRun(painter, context, row, x, y, s.endColumn + 1, last, false);
    } else if (bufferRow == s.startRow) {
        PaintRun(painter, context, row, x, y, 0, s.startColumn - 1, false);
        PaintRun(painter, context, row, x, y, s.startColumn, last, true);
    } else if (bufferRow == s.endRow) {
        PaintRun(painter, context, row, x, y, 0, s.endColumn, true);
        PaintRun(painter, context, row, x, y, s.endColumn + 1, last, false);
    } else {
        PaintRun(painter, context, row, x, y, 0, last, true);
    }
}

void ScreenPainter::PaintRun(QPainter& painter, const PaintContext& context, const RowCells& row,
                             int x, int y, int first, int last, bool selected) {
    first = std::max(first, 0);
    last = std::min(last, context.columns - 1);
    if (first > last) return;
    const int cellWidth = context.font.width;
    const int cellHeight = context.font.height;
    x += first * cellWidth;
    // A light screen shows unselected cells exchanged and selected cells plainly.
    if (!context.colours.darkScreen) selected = !selected;

    for (int column = first; column <= last;) {
        const uint16_t word = row.attrs[column];
        const CellAttribute attribute = CellAttribute::FromWord(word);
        int end = column;
        while (end < last && row.attrs[end + 1] == word) ++end;
        const int cells = end - column + 1;
        const ScreenColours::Cell colour =
            context.colours.Resolve(attribute, selected, context.blinkVisible);
        const QRect rect(x, y, cells * cellWidth, cellHeight);
        painter.fillRect(rect, colour.back);

        const uint16_t* codes = row.codes.data() + column;
        switch (attribute.Class()) {
        case CharClass::LineDrawing:
            PaintLineGlyphs(painter, context, codes, cells, x, y, colour.fore);
            break;
        case CharClass::SoftFont:
            PaintSoftGlyphs(painter, context, codes, cells, x, y, colour.fore);
            break;
        case CharClass::DoubleWidth:
            PaintWideCharacters(painter, context, codes, cells, x, y, colour.fore);
            break;
        case CharClass::Ordinary:
            PaintText(painter, context, codes, cells, x, y, colour.fore);
            break;
        }
        if (colour.showAttribute && attribute.Has(CellAttribute::Underline)) {
            painter.fillRect(QRect(x, y + cellHeight - 1, rect.width(), 1), colour.fore);
        }
        x += rect.width();
        column = end + 1;
    }
}

// --- glyph kinds ------------------------------------------------------------------

const QRawFont& ScreenPainter::RawFont(const CellFont& font) {
    if (!rawFont_.isValid() || rawFontSource_ != font.font) {
        rawFont_ = QRawFont::fromFont(font.font);
        rawFontSource_ = font.font;
    }
    return rawFont_;
}

void ScreenPainter::PaintText(QPainter& painter, const PaintContext& context, const uint16_t* codes,
                              int cells, int x, int y, const QColor& fore) {
    // Each character is placed at its own cell, whatever the font's advance.
    QChar chars[kStride];
    for (int i = 0; i < cells; ++i) chars[i] = HasInk(codes[i]) ? QChar(codes[i]) : QChar(' ');
    quint32 indexes[kStride] = {};
    int count = cells;
    const QRawFont& raw = RawFont(context.font);
    if (!raw.isValid() || !raw.glyphIndexesForChars(chars, cells, indexes, &count)) count = 0;

    const int cellWidth = context.font.width;
    QList<quint32> glyphs;
    QList<QPointF> positions;
    glyphs.reserve(cells);
    positions.reserve(cells);
    int fallback[kStride];
    int fallbackCount = 0;
    for (int i = 0; i < cells; ++i) {
        if (!HasInk(codes[i])) continue;
        if (i < count && indexes[i] != 0) {
            glyphs.append(indexes[i]);
            positions.append(QPointF(i * cellWidth, context.font.ascent));
        } else {
            fallback[fallbackCount++] = i;
        }
    }
    painter.setPen(fore);
    if (!glyphs.isEmpty()) {
        QGlyphRun run;
        run.setRawFont(raw);
        run.setGlyphIndexes(glyphs);
        run.setPositions(positions);
        painter.drawGlyphRun(QPointF(x, y), run);
    }
    // Characters the cell font lacks are drawn one by one, so that Qt may
    // take them from another font.
    if (fallbackCount > 0) {
        painter.setFont(context.font.font);
        for (int k = 0; k < fallbackCount; ++k) {
            const int i = fallback[k];
            painter.drawText(QPointF(x + i * cellWidth, y + context.font.ascent),
                             QString(QChar(codes[i])));
        }
    }
}

void ScreenPainter::PaintLineGlyphs(QPainter& painter, const PaintContext& context,
                                    const uint16_t* codes, int cells, int x, int y,
                                    const QColor& fore) {
    const int cellWidth = context.font.width;
    const int cellHeight = context.font.height;
    const QBitmap& strip = lineGlyphs_.Strip(cellWidth, cellHeight);
    painter.setPen(fore);
    painter.setBackgroundMode(Qt::TransparentMode);
    for (int i = 0; i < cells; ++i) {
        const int glyph = LineGlyphNumber(codes[i]);
        if (glyph == 0) continue;
        painter.drawPixmap(QPoint(x + i * cellWidth, y), strip,
                           QRect(glyph * cellWidth, 0, cellWidth, cellHeight));
    }
}

void ScreenPainter::PaintSoftGlyphs(QPainter& painter, const PaintContext& context,
                                    const uint16_t* codes, int cells, int x, int y,
                                    const QColor& fore) {
    const SoftFont& font = context.softFont;
    const int width = std::min(font.Width(), SoftFont::kMaxWidth);
    const int height = std::min(font.Height(), SoftFont::kMaxHeight);
    if (width <= 0 || height <= 0) return;
    painter.setPen(fore);
    painter.setBackgroundMode(Qt::TransparentMode);
    for (int i = 0; i < cells; ++i) {
        const SoftFont::Glyph* glyph = codes[i] < 256 ? font.Lookup(codes[i]) : nullptr;
        if (!glyph) continue;
        painter.drawPixmap(
            QRect(x + i * context.font.width, y, context.font.width, context.font.height),
            SoftGlyphBitmap(*glyph, width, height));
    }
}

void ScreenPainter::PaintWideCharacters(QPainter& painter, const PaintContext& context,
                                        const uint16_t* codes, int cells, int x, int y,
                                        const QColor& fore) {
    const int cellWidth = context.font.width;
    painter.setPen(fore);
    painter.setFont(context.font.font);
    for (int i = 0; i < cells; ++i) {
        if (codes[i] == 0 || !HasInk(codes[i])) continue; // right halves hold 0
        painter.drawText(QRect(x + i * cellWidth, y, 2 * cellWidth, context.font.height),
                         Qt::AlignLeft | Qt::AlignTop, QString(QChar(codes[i])));
    }
}

} // namespace tamsivane
