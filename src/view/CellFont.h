// The session's cell font: one font for every attribute, and the cell size
// measured from the text "A".
#pragma once

#include <QFont>
#include <QString>

namespace tamsivane {

class SettingsStore;

inline constexpr int kMinFontPoints = 1;
inline constexpr int kMaxFontPoints = 144;
inline constexpr int kPointsPerInch = 72;

struct CellFont {
    QFont font;
    int width = 1;  // pixels, at least 1
    int height = 1; // pixels, at least 1
    int ascent = 0; // baseline below the cell's top
    QString face;   // the face asked for; kept even when a fallback draws
    int points = 0; // the size asked for, after clamping
    bool bold = false;
};

// The font settings that apply to the current column mode: FontName,
// FontSize, FontBold, or their 132-column twins when Columns is 132 and
// FontUse80 is off.
struct FontChoice {
    QString face;
    int points = 0;
    bool bold = false;
    int sizeParam = 0; // the parameter that holds the size
};
FontChoice ApplicableFont(const SettingsStore& settings);

// A cell font of height dpi x points / 72 pixels.  The size is clamped to
// 1-144 points whatever a setup file stored; a face that is not installed is
// replaced by the system's fixed-pitch font.
CellFont MakeCellFont(const QString& face, int points, bool bold, int dpi);

// The largest size from the one that fills the row height down to 6 points
// whose "A" fits `columns` times into width; 5 when even 6 points is too
// wide.  0 when the window has no area.
int FitFontSize(const QString& face, bool bold, int dpi, int columns, int rows, int width,
                int height);

// The size after `points` in `direction` (+1 larger, -1 smaller) within
// lowest-highest whose cell height differs from that of `points`: a face
// rounds neighbouring sizes to the same pixel height, and a step that shows
// no change looks broken.  The bound itself when no size within reach
// changes the height.
int NextFontSize(const QString& face, bool bold, int dpi, int points, int direction, int lowest,
                 int highest);

} // namespace tamsivane
