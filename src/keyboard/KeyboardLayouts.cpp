#include "keyboard/KeyboardLayouts.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "keyboard/LayoutPlugin.h"
#include "keyboard/PcKeys.h"
#include "platform/BuildInfo.h"
#include "platform/Paths.h"
#include "platform/SharedLibrary.h"

namespace tamsivane {

struct LayoutPluginCalls {
    decltype(&KBCount) count = nullptr;
    decltype(&GetLayoutName) layoutName = nullptr;
    decltype(&GetLayoutBmp) layoutPicture = nullptr;
    decltype(&GetKeyPos) keyPosition = nullptr;
    decltype(&GetKeyFromPos) keyAt = nullptr;
    decltype(&IsKeyMappable) mappable = nullptr;
    decltype(&GetKeyName) keyName = nullptr;
};

namespace {

namespace fs = std::filesystem;

// Texts from the plug-in are copied up to this length.
constexpr size_t kMaxPluginText = 1024;

std::string PluginText(const char* text) {
    return text ? std::string(text, strnlen(text, kMaxPluginText)) : std::string();
}

template <typename Function>
bool Resolve(const SharedLibrary& library, const char* name, Function& function) {
    function = reinterpret_cast<Function>(library.Symbol(name));
    return function != nullptr;
}

const PcKeyInfo* BuiltInRow(uint8_t key) {
    for (const PcKeyInfo& row : BuiltInLayoutKeys()) {
        if (row.code == key) return &row;
    }
    return nullptr;
}

// A rectangle the plug-in reports, kept only when it lies in the picture.
std::optional<KeyRect> InPicture(uint8_t key, int x, int y, int width, int height) {
    if (x < 0 || y < 0 || width < 0 || height < 0 || x >= kKeyPictureWidth ||
        y >= kKeyPictureHeight || width > kKeyPictureWidth - x || height > kKeyPictureHeight - y) {
        return std::nullopt;
    }
    return KeyRect{static_cast<int16_t>(x), static_cast<int16_t>(y), static_cast<int16_t>(width),
                   static_cast<int16_t>(height), key};
}

} // namespace

KeyboardLayouts::KeyboardLayouts() = default;

KeyboardLayouts::KeyboardLayouts(const std::string& pluginPath) {
    auto library = std::make_unique<SharedLibrary>(pluginPath);
    if (!library->IsOpen()) return;
    auto calls = std::make_unique<LayoutPluginCalls>();
    // A library lacking any of the functions would be called through a null
    // pointer later; it is not used at all.
    const bool complete = Resolve(*library, "KBCount", calls->count) &&
                          Resolve(*library, "GetLayoutName", calls->layoutName) &&
                          Resolve(*library, "GetLayoutBmp", calls->layoutPicture) &&
                          Resolve(*library, "GetKeyPos", calls->keyPosition) &&
                          Resolve(*library, "GetKeyFromPos", calls->keyAt) &&
                          Resolve(*library, "IsKeyMappable", calls->mappable) &&
                          Resolve(*library, "GetKeyName", calls->keyName);
    if (!complete) return;
    pluginCount_ = std::clamp(calls->count(), 0, kMaxPluginLayouts);
    libraryFolder_ = fs::path(pluginPath).parent_path().string();
    library_ = std::move(library);
    calls_ = std::move(calls);
}

KeyboardLayouts::~KeyboardLayouts() = default;

const KeyboardLayouts& KeyboardLayouts::Installed() {
    static const KeyboardLayouts layouts = [] {
        const std::string program = ProgramFolder();
        const fs::path prefix = fs::path(program).parent_path();
        // Installed, the plug-in is in the architecture's library folder.
        for (const fs::path& folder : {fs::path(program), prefix / InstalledPluginFolder(),
                                       prefix / "lib" / "tamsivane"}) {
            std::error_code error;
            const fs::path path = folder / kLayoutPluginFile;
            if (!program.empty() && fs::is_regular_file(path, error)) {
                return KeyboardLayouts(path.string());
            }
        }
        return KeyboardLayouts();
    }();
    return layouts;
}

int KeyboardLayouts::Count() const { return 1 + pluginCount_; }

int KeyboardLayouts::Valid(int layout) const {
    return layout >= 0 && layout < Count() ? layout : 0;
}

std::optional<int> KeyboardLayouts::PluginIndex(int layout) const {
    layout = Valid(layout);
    if (layout == 0) return std::nullopt;
    return layout - 1;
}

std::string KeyboardLayouts::Name(int layout) const {
    const auto index = PluginIndex(layout);
    return index ? PluginText(calls_->layoutName(*index)) : kBuiltInLayoutName;
}

std::string KeyboardLayouts::PicturePath(int layout) const {
    const auto index = PluginIndex(layout);
    if (!index) return {};
    const std::string path = PluginText(calls_->layoutPicture(*index));
    if (path.empty() || fs::path(path).is_absolute()) return path;
    return (fs::path(libraryFolder_) / path).string();
}

std::optional<KeyRect> KeyboardLayouts::KeyPosition(int layout, uint8_t key) const {
    const auto index = PluginIndex(layout);
    if (!index) return FindKeyRect(UsKeyPositions(), key);
    int x = 0, y = 0, width = 0, height = 0;
    if (key == 0 || calls_->keyPosition(*index, key, &x, &y, &width, &height) == 0) {
        return std::nullopt;
    }
    return InPicture(key, x, y, width, height);
}

uint8_t KeyboardLayouts::KeyAt(int layout, int x, int y) const {
    const auto index = PluginIndex(layout);
    return index ? calls_->keyAt(*index, x, y) : KeyAtPoint(UsKeyPositions(), x, y);
}

bool KeyboardLayouts::IsMappable(int layout, uint8_t key, uint8_t modifiers) const {
    if (modifiers >= 32) return false;
    const auto index = PluginIndex(layout);
    if (index) return calls_->mappable(*index, key, modifiers) != 0;
    const PcKeyInfo* row = BuiltInRow(key);
    return row != nullptr && (row->mappable & (1u << modifiers)) != 0;
}

std::string KeyboardLayouts::KeyName(int layout, uint8_t key) const {
    const auto index = PluginIndex(layout);
    if (index) return PluginText(calls_->keyName(*index, key));
    const char* name = PcKeyName(key);
    return name ? name : std::string();
}

std::vector<KeyRect> KeyboardLayouts::Keys(int layout) const {
    if (!PluginIndex(layout)) {
        const auto table = UsKeyPositions();
        return {table.begin(), table.end()};
    }
    std::vector<KeyRect> keys;
    for (int key = 1; key <= 0xFF; ++key) {
        if (auto rect = KeyPosition(layout, static_cast<uint8_t>(key))) keys.push_back(*rect);
    }
    return keys;
}

} // namespace tamsivane
