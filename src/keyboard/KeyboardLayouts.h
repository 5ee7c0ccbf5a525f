// The PC keyboard layouts the key map is edited on: number 0 is the built-in
// "U.S. 101 Key" layout; numbers 1 and up are the layouts of the optional
// plug-in (keyboard/LayoutPlugin.h), used only when it exports every
// function of that interface.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "keyboard/KeyPositions.h"

namespace tamsivane {

class SharedLibrary;
struct LayoutPluginCalls;

inline constexpr const char* kLayoutPluginFile = "libtamsivane-layouts.so";
inline constexpr const char* kBuiltInLayoutName = "U.S. 101 Key";

class KeyboardLayouts {
public:
    // A plug-in claiming more layouts than this is taken at this many.
    static constexpr int kMaxPluginLayouts = 64;

    // The built-in layout alone.
    KeyboardLayouts();
    // With the plug-in at pluginPath, when it opens and exports every function.
    explicit KeyboardLayouts(const std::string& pluginPath);
    ~KeyboardLayouts();
    KeyboardLayouts(const KeyboardLayouts&) = delete;
    KeyboardLayouts& operator=(const KeyboardLayouts&) = delete;

    // The program's layouts: the plug-in is looked for once, on first use,
    // beside the program, then in the installed plug-in folder and in
    // "../lib/tamsivane" from the program's folder.
    static const KeyboardLayouts& Installed();

    int Count() const;
    // A stored layout number made valid: one not below Count() is 0.
    int Valid(int layout) const;

    // The operations below take any number; an invalid one means layout 0.
    std::string Name(int layout) const;
    // The plug-in layout's picture file; "" for the built-in layout, whose
    // picture is drawn from its tables.
    std::string PicturePath(int layout) const;
    std::optional<KeyRect> KeyPosition(int layout, uint8_t key) const;
    uint8_t KeyAt(int layout, int x, int y) const;
    bool IsMappable(int layout, uint8_t key, uint8_t modifiers) const;
    std::string KeyName(int layout, uint8_t key) const;
    // Every key of the layout with its rectangle, for drawing it.
    std::vector<KeyRect> Keys(int layout) const;

private:
    // The plug-in's layout index for a layout number; nullopt for the built-in one.
    std::optional<int> PluginIndex(int layout) const;

    std::unique_ptr<SharedLibrary> library_;
    std::unique_ptr<LayoutPluginCalls> calls_;
    std::string libraryFolder_;
    int pluginCount_ = 0;
};

} // namespace tamsivane
