#include "view/CellFont.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <algorithm>

#include "config/SettingsStore.h"

namespace tamsivane {

namespace {
constexpr int kFitMinimum = 6;
constexpr int kFitFloor = 5;
constexpr int kFitMinRowHeight = 12;
} // namespace

FontChoice ApplicableFont(const SettingsStore& settings) {
    const bool wide = settings.GetNumber(P::Columns) == 132 && !settings.GetNumber(P::FontUse80);
    const int name = wide ? P::FontName132 : P::FontName;
    const int size = wide ? P::FontSize132 : P::FontSize;
    const int bold = wide ? P::FontBold132 : P::FontBold;
    return {QString::fromStdString(settings.GetString(name)), settings.GetNumber(size),
            settings.GetNumber(bold) != 0, size};
}

CellFont MakeCellFont(const QString& face, int points, bool bold, int dpi) {
    CellFont cell;
    cell.face = face;
    cell.points = std::clamp(points, kMinFontPoints, kMaxFontPoints);
    cell.bold = bold;

    QFont font = QFontDatabase::hasFamily(face)
                     ? QFont(face)
                     : QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    // The height asked for is the whole cell, leading included, as fitting
    // rows into the window needs: shrink the em size until the line fits.
    const int cellHeight = std::max(1, dpi * cell.points / kPointsPerInch);
    font.setPixelSize(cellHeight);
    const int natural = QFontMetrics(font).height();
    if (natural > cellHeight) {
        int pixels = std::max(1, cellHeight * cellHeight / natural);
        font.setPixelSize(pixels);
        while (pixels > 1 && QFontMetrics(font).height() > cellHeight) font.setPixelSize(--pixels);
    }
    font.setWeight(bold ? QFont::Bold : QFont::Normal);
    font.setItalic(false);
    font.setUnderline(false);
    font.setStrikeOut(false);
    font.setKerning(false);

    const QFontMetrics metrics(font);
    cell.font = font;
    cell.width = std::max(1, metrics.horizontalAdvance(QLatin1Char('A')));
    cell.height = std::max(1, metrics.height());
    cell.ascent = metrics.ascent();
    return cell;
}

int FitFontSize(const QString& face, bool bold, int dpi, int columns, int rows, int width,
                int height) {
    if (width <= 0 || height <= 0 || dpi <= 0) return 0;
    const int rowHeight = std::max(height / std::max(rows, 1), kFitMinRowHeight);
    for (int size = std::min(rowHeight * kPointsPerInch / dpi, kMaxFontPoints); size >= kFitMinimum;
         --size) {
        if (MakeCellFont(face, size, bold, dpi).width * columns <= width) return size;
    }
    return kFitFloor;
}

int NextFontSize(const QString& face, bool bold, int dpi, int points, int direction, int lowest,
                 int highest) {
    const int bound = direction > 0 ? highest : lowest;
    const int from = std::clamp(points, lowest, highest);
    const int height = MakeCellFont(face, from, bold, dpi).height;
    for (int size = from + direction; size != bound + direction; size += direction) {
        if (MakeCellFont(face, size, bold, dpi).height != height) return size;
    }
    return bound;
}

} // namespace tamsivane
