// A keyboard picture: the 480 x 130 image of a keyboard and where its keys
// lie, with keys coloured by filling their surface.  The VT keyboard and the
// built-in PC layout are drawn from their position tables; a plug-in layout
// brings its own picture file.
#pragma once

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

#include "keyboard/KeyPositions.h"

namespace tamsivane {

class KeyboardLayouts;

// The colours keys are painted in.
namespace KeyColour {
inline const QColor Face{0xC0, 0xC0, 0xC0}; // light grey: a key at rest
inline const QColor Latched{0xFF, 0x00, 0x00};
inline const QColor Pressed{0xFF, 0xFF, 0x00};
} // namespace KeyColour

class KeyPicture {
public:
    using KeyFinder = std::function<uint8_t(int x, int y)>;

    KeyPicture(QImage image, std::vector<KeyRect> keys, KeyFinder keyAt);

    // The VT keyboard, keys 1-108.
    static KeyPicture Vt();
    // A PC layout (an invalid number is layout 0); a plug-in picture that
    // cannot be read, or is not 480 x 130, is drawn from the key positions.
    static KeyPicture Layout(const KeyboardLayouts& layouts, int layout);

    const QImage& Image() const { return image_; }
    // The key at a point of the picture, 0 for none.
    uint8_t KeyAt(QPoint point) const;
    // The key's last rectangle; nullopt when the picture has no such key.
    std::optional<KeyRect> Position(uint8_t key) const;
    // The point inside the key whose colour its surface has: 4 pixels in
    // from the right and bottom edges of its last rectangle.
    std::optional<QPoint> SurfacePoint(uint8_t key) const;
    // Fills the key's surface (the pixels of the surface point's colour
    // joined to it, within the key's rectangles) with colour.
    void ColourKey(uint8_t key, const QColor& colour);

private:
    QImage image_;
    std::vector<KeyRect> keys_;
    KeyFinder keyAt_;
};

// Draws keys as outlined light grey faces with their labels on a light
// background; the rectangles of one key form one face.
QImage DrawKeyboard(const std::vector<KeyRect>& keys,
                    const std::function<QString(uint8_t key)>& name);

} // namespace tamsivane
