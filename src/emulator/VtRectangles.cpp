// Rectangular area operations: change and reverse attributes, copy, fill,
// erase and selective erase.
#include <algorithm>

#include "emulator/VtEmulator.h"

namespace tamsivane {

// The area on the page, 0-based: what the host left out (and a bottom or
// right of 0) defaults to the margins; false when the area is empty.  A
// character stream over several rows may end left of where it starts.
bool VtEmulator::ResolveArea(const AreaArgument& area, Rect& rect, bool stream) const {
    auto corner = [](std::optional<int> v, int fallback) { return v && *v != 0 ? *v : fallback; };
    const int top = std::max(area.top.value_or(top_ + 1), 1);
    const int left = std::max(area.left.value_or(left_ + 1), 1);
    const int bottom = std::min(corner(area.bottom, bottom_ + 1), lines_);
    const int right = std::min(corner(area.right, right_ + 1), columns_);
    if (top > bottom || (left > right && !(stream && top < bottom))) return false;
    rect = {top - 1, left - 1, bottom - 1, right - 1};
    return true;
}

// The cells an attribute change affects: the rectangle, or with stream extent
// the character stream from the top-left to the bottom-right corner.
template <typename Value>
void VtEmulator::ForEachAffectedSpan(const Rect& r, void (VtEmulator::*span)(int, int, int, Value),
                                     Value value) {
    if (rectangleExtent_ || r.top == r.bottom) {
        for (int row = r.top; row <= r.bottom; ++row) (this->*span)(row, r.left, r.right, value);
        return;
    }
    (this->*span)(r.top, r.left, right_, value);
    for (int row = r.top + 1; row < r.bottom; ++row) (this->*span)(row, left_, right_, value);
    (this->*span)(r.bottom, left_, r.right, value);
}

// The character class and the protection stay with the cell.
void VtEmulator::ReplaceAttributesInSpan(int row, int left, int right, CellAttribute attribute) {
    uint16_t* attrs = screen_.ChangeRow(row).attrs;
    for (int c = std::max(left, 0); c <= std::min(right, kStride - 1); ++c)
        attrs[c] = CellAttribute::FromWord(attrs[c]).Restyled(attribute).Word();
}

void VtEmulator::ToggleFlagsInSpan(int row, int left, int right, uint16_t flags) {
    if (left <= right) screen_.ToggleRectFlags(row, left, row, right, flags);
}

void VtEmulator::ChangeAttributesInRectangle(const AreaArgument& area, const SequenceCollector& rendition,
                                             int first) {
    Rect rect{};
    if (!ResolveArea(area, rect, !rectangleExtent_)) return;
    const CellAttribute attribute = ApplyRenditions(CellAttribute(), rendition, first);
    ForEachAffectedSpan(rect, &VtEmulator::ReplaceAttributesInSpan, attribute);
}

void VtEmulator::ReverseAttributesInRectangle(const AreaArgument& area, const SequenceCollector& rendition,
                                              int first) {
    Rect rect{};
    if (!ResolveArea(area, rect, !rectangleExtent_)) return;
    const uint16_t flags = ApplyRenditions(CellAttribute::Empty(), rendition, first).RenditionFlags();
    if (flags) ForEachAffectedSpan(rect, &VtEmulator::ToggleFlagsInSpan, flags);
}

void VtEmulator::CopyRectangle(const AreaArgument& area, const CopyTarget& target) {
    Rect rect{};
    if (!ResolveArea(area, rect)) return;
    const int pages = screen_.Pages();
    const int displayed = screen_.DisplayedPage() + 1;
    const int sourcePage = std::clamp(target.sourcePage.value_or(displayed), 1, pages) - 1;
    const int targetTop = std::clamp(target.top.value_or(top_ + 1), 1, lines_) - 1;
    const int targetLeft = std::clamp(target.left.value_or(left_ + 1), 1, columns_) - 1;
    const int targetPage = std::clamp(target.page.value_or(displayed), 1, pages) - 1;
    // The copy is clipped to the target page.
    const int bottom = std::min(rect.bottom, rect.top + (lines_ - 1 - targetTop));
    const int right = std::min(rect.right, rect.left + (columns_ - 1 - targetLeft));
    screen_.CopyRect(sourcePage, rect.top, rect.left, bottom, right, targetPage, targetTop,
                     targetLeft);
}

void VtEmulator::FillRectangle(int ch, const AreaArgument& area) {
    if (!((ch >= 0x20 && ch <= 0x7E) || (ch >= 0xA0 && ch <= 0xFF))) return;
    Rect rect{};
    if (!ResolveArea(area, rect)) return;
    const uint16_t code = charsets_.Translate(static_cast<uint8_t>(ch));
    if (code == 0) return;
    const CellCode cell = Classify(code);
    if (cell.cls == CharClass::DoubleWidth) return; // cannot fill single cells
    screen_.FillRect(rect.top, rect.left, rect.bottom, rect.right, cell.code,
                     attribute_.WithClass(cell.cls));
}

void VtEmulator::EraseRectangle(const AreaArgument& area) {
    Rect rect{};
    if (ResolveArea(area, rect))
        screen_.FillRect(rect.top, rect.left, rect.bottom, rect.right, kBlankCode, CellAttribute());
}

void VtEmulator::SelectiveEraseRectangle(const AreaArgument& area) {
    Rect rect{};
    if (ResolveArea(area, rect))
        screen_.SelectiveErase(rect.top, rect.bottom - rect.top + 1, rect.left, rect.right);
}

} // namespace tamsivane
