#include "view/KeyPicture.h"

#include <QFont>
#include <QPainter>

#include <algorithm>
#include <cstring>
#include <map>
#include <queue>

#include "keyboard/KeyboardInput.h"
#include "keyboard/KeyboardLayouts.h"

namespace tamsivane {
namespace {

const QColor kBackground{0xF0, 0xF0, 0xF0};
const QColor kOutline{0x40, 0x40, 0x40};
constexpr int kSurfaceInset = 4;
constexpr int kLabelPixels = 8;

// Shorter labels for names that do not fit on a key.
const std::map<QString, QString> kShortLabels = {
    {"Print Screen/SysRq", "PrtSc"}, {"Scroll Lock", "ScrLk"}, {"Caps Lock", "Caps"},
    {"Page Up", "PgUp"},           {"Page Down", "PgDn"},    {"Backspace", "BkSp"},
    {"Num Lock", "Num"},           {"Multiply", "*"},        {"Divide", "/"},
    {"Subtract", "-"},             {"Add", "+"},             {"Decimal", "."},
    {"Insert", "Ins"},             {"Delete", "Del"},        {"Remove", "Rem"},
    {"Select", "Sel"},             {"Numpad Enter", "Ent"},  {"Enter", "Enter"},
};

QString Label(const QString& name) {
    if (auto it = kShortLabels.find(name); it != kShortLabels.end()) return it->second;
    QString label = name;
    for (const char* prefix : {"Numpad ", "Left ", "Right "}) {
        if (label.startsWith(prefix) && label.size() > static_cast<int>(strlen(prefix))) {
            label.remove(0, static_cast<int>(strlen(prefix)));
        }
    }
    return label;
}

QRect ToQRect(const KeyRect& r) { return QRect(r.x, r.y, r.width + 1, r.height + 1); }

// The pixels of a key: its rectangles with their edges.
QRect Bounds(const std::vector<KeyRect>& rects) {
    QRect bounds;
    for (const KeyRect& r : rects) bounds = bounds.united(ToQRect(r));
    return bounds;
}

bool OnKey(const std::vector<KeyRect>& rects, int x, int y) {
    return std::any_of(rects.begin(), rects.end(),
                       [&](const KeyRect& r) { return r.Contains(x, y); });
}

std::map<uint8_t, std::vector<KeyRect>> ByKey(const std::vector<KeyRect>& keys) {
    std::map<uint8_t, std::vector<KeyRect>> byKey;
    for (const KeyRect& r : keys) byKey[r.key].push_back(r);
    return byKey;
}

// One face: the pixels of the key whose eight neighbours are all on it;
// the others are its outline.
void DrawFace(QImage& image, const std::vector<KeyRect>& rects) {
    const QRect bounds = Bounds(rects).intersected(image.rect());
    for (int y = bounds.top(); y <= bounds.bottom(); ++y) {
        for (int x = bounds.left(); x <= bounds.right(); ++x) {
            if (!OnKey(rects, x, y)) continue;
            bool inner = true;
            for (int dy = -1; dy <= 1 && inner; ++dy) {
                for (int dx = -1; dx <= 1 && inner; ++dx) inner = OnKey(rects, x + dx, y + dy);
            }
            image.setPixelColor(x, y, inner ? KeyColour::Face : kOutline);
        }
    }
}

} // namespace

QImage DrawKeyboard(const std::vector<KeyRect>& keys,
                    const std::function<QString(uint8_t key)>& name) {
    QImage image(kKeyPictureWidth, kKeyPictureHeight, QImage::Format_RGB32);
    image.fill(kBackground);
    const auto byKey = ByKey(keys);
    for (const auto& [key, rects] : byKey) DrawFace(image, rects);

    QPainter painter(&image);
    QFont font = painter.font();
    font.setPixelSize(kLabelPixels);
    // Solid glyphs leave the face around them one colour, so that a fill
    // recolours the whole face.
    font.setStyleStrategy(QFont::NoAntialias);
    painter.setFont(font);
    painter.setPen(Qt::black);
    for (const auto& [key, rects] : byKey) {
        // The label goes on the first rectangle (the upper part of Return).
        const QRect face = ToQRect(rects.front()).adjusted(2, 1, -1, -1);
        painter.save();
        painter.setClipRect(face);
        painter.drawText(face, Qt::AlignLeft | Qt::AlignTop, Label(name(key)));
        painter.restore();
    }
    return image;
}

KeyPicture::KeyPicture(QImage image, std::vector<KeyRect> keys, KeyFinder keyAt)
    : image_(std::move(image)), keys_(std::move(keys)), keyAt_(std::move(keyAt)) {}

KeyPicture KeyPicture::Vt() {
    const auto table = VtKeyPositions();
    std::vector<KeyRect> keys(table.begin(), table.end());
    QImage image = DrawKeyboard(keys, [](uint8_t key) { return QString(VtKeyName(key)); });
    return KeyPicture(std::move(image), std::move(keys),
                      [](int x, int y) { return KeyAtPoint(VtKeyPositions(), x, y); });
}

KeyPicture KeyPicture::Layout(const KeyboardLayouts& layouts, int layout) {
    layout = layouts.Valid(layout);
    std::vector<KeyRect> keys = layouts.Keys(layout);
    QImage image;
    const std::string path = layouts.PicturePath(layout);
    if (!path.empty()) image.load(QString::fromStdString(path));
    if (image.size() != QSize(kKeyPictureWidth, kKeyPictureHeight)) {
        image = DrawKeyboard(keys, [&](uint8_t key) {
            return QString::fromStdString(layouts.KeyName(layout, key));
        });
    } else {
        image = image.convertToFormat(QImage::Format_RGB32);
    }
    return KeyPicture(std::move(image), std::move(keys),
                      [&layouts, layout](int x, int y) { return layouts.KeyAt(layout, x, y); });
}

uint8_t KeyPicture::KeyAt(QPoint point) const { return keyAt_(point.x(), point.y()); }

std::optional<KeyRect> KeyPicture::Position(uint8_t key) const {
    for (auto row = keys_.rbegin(); row != keys_.rend(); ++row) {
        if (row->key == key) return *row;
    }
    return std::nullopt;
}

std::optional<QPoint> KeyPicture::SurfacePoint(uint8_t key) const {
    const auto rect = Position(key);
    if (!rect) return std::nullopt;
    return QPoint(rect->x + rect->width - kSurfaceInset, rect->y + rect->height - kSurfaceInset);
}

void KeyPicture::ColourKey(uint8_t key, const QColor& colour) {
    const auto seed = SurfacePoint(key);
    if (!seed || !image_.rect().contains(*seed)) return;
    std::vector<KeyRect> rects;
    for (const KeyRect& r : keys_) {
        if (r.key == key) rects.push_back(r);
    }
    const QRect bounds = Bounds(rects).intersected(image_.rect());
    const QRgb surface = image_.pixel(*seed);
    const QRgb fill = colour.rgb();
    if (surface == fill) return;
    std::queue<QPoint> todo;
    todo.push(*seed);
    image_.setPixel(*seed, fill);
    while (!todo.empty()) {
        const QPoint p = todo.front();
        todo.pop();
        for (const QPoint next : {p + QPoint(1, 0), p - QPoint(1, 0), p + QPoint(0, 1),
                                  p - QPoint(0, 1)}) {
            if (bounds.contains(next) && image_.pixel(next) == surface) {
                image_.setPixel(next, fill);
                todo.push(next);
            }
        }
    }
}

} // namespace tamsivane
