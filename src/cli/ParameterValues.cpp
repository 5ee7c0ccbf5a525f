#include "cli/ParameterValues.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <string_view>
#include <vector>

#include "config/SettingsStore.h"
#include "emulator/CharsetTranslator.h"
#include "emulator/ControlNames.h"

namespace tamsivane {

namespace {

// Number parameters whose values are choices, with what each value means.
struct Choices {
    int param;
    const char* meanings;
};

constexpr Choices kChoices[] = {
    {P::CursorType, "0 block, 1 underline"},
    {P::DarkScreen, "0 light screen, 1 dark screen"},
    {P::NewLine, "0 off, 1 on, 2 automatic (on until the first CR arrives)"},
    {P::NumericKeypad, "0 application, 1 numeric"},
    {P::CursorKeys, "0 application, 1 normal"},
    {P::BackArrow, "0 sends BS, 1 sends DEL"},
    {P::NumLock, "0 acts as PF1, 1 switches the keypad mode"},
    {P::HostType, "0 Telnet, 1 serial, 2 loop-back, 3 modem, 7 local shell, 8 SSH"},
};

// Number parameters that are switches.
constexpr int kSwitches[] = {
    P::CursorVisible, P::CursorBlink,   P::LineDraw,     P::FontBold,       P::FontBold132,
    P::FontUse80,     P::BlinkText,     P::StatusLine,   P::FFNeeded,       P::DefaultPrinter,
    P::PrintFontBold, P::Interpret,     P::AutoWrap,     P::EightBitChars,  P::HideABM,
    P::SaveAll,       P::SetHostSize,   P::LFForCR,      P::MarginBell,     P::WarningBell,
    P::LocalEcho,     P::Local,         P::KeepSession,  P::ForceASCII,     P::DBCS,
    P::Maximize,      P::CopySpace,     P::AutoClose,    P::AutoExit,       P::History,
    P::FitFont,       P::LoginScript,   P::CaptureDebug, P::AutoCopy,       P::HostScript,
    P::CantCloseWindow, P::Maximized,   P::ButtonBar,    P::ToolBar,        P::StatusBar,
    P::ChatLine,      P::AutoRecv,      P::XferOpenRecv, P::AltEscape,
};

struct CodePageName {
    int codePage;
    const char* name;
};

constexpr CodePageName kCodePageNames[] = {
    {936, "Chinese Simplified, GBK"}, {950, "Chinese Traditional, Big5"},
    {932, "Japanese, Shift-JIS"},     {949, "Korean"},
    {65001, "UTF-8"},
};

// "0 name0, 1 name1, ..." for the values of a range, named by name(value).
template <typename Name>
std::string Listed(const ValueRange& range, Name name) {
    std::string out;
    for (int32_t value = range.min; value <= range.max; ++value) {
        if (!out.empty()) out += ", ";
        out += std::to_string(value) + ' ' + name(value);
    }
    return out;
}

std::string TerminalName(int32_t termId) {
    std::string name = TerminalTypeName(termId);
    for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return name;
}

std::string DoubleByteName(int32_t dbcsSet) {
    if (dbcsSet == 0) {
        return "the ANSI code page (" + std::to_string(SystemAnsiCodePage()) + ")";
    }
    const int codePage = Charset::DoubleByteCodePage(dbcsSet);
    std::string name = "code page " + std::to_string(codePage);
    for (const CodePageName& entry : kCodePageNames) {
        if (entry.codePage == codePage) name += std::string(" (") + entry.name + ')';
    }
    return name;
}

// Values a number parameter accepts, named where they have a meaning.
std::string NumberValues(int param) {
    const ParameterDescriptor& descriptor = Descriptor(param);
    for (const Choices& choices : kChoices) {
        if (choices.param == param) return choices.meanings;
    }
    if (std::find(std::begin(kSwitches), std::end(kSwitches), param) != std::end(kSwitches)) {
        return "0 off, 1 on";
    }
    if (descriptor.range == nullptr) return "any number";
    const ValueRange& range = *descriptor.range;
    switch (param) {
    case P::TermID: return Listed(range, TerminalName);
    case P::UPSS:
    case P::PrimarySet:
    case P::SecondarySet: return Listed(range, [](int32_t i) { return Charset::Name(i); });
    case P::NRC: return Listed(range, [](int32_t i) { return Charset::NationalName(i); });
    case P::DBCSSet: return Listed(range, DoubleByteName);
    default: break;
    }
    // A short list of the values themselves, else the bounds.
    std::vector<int32_t> accepted;
    if (range.max - range.min < 200) {
        for (int32_t value = range.min; value <= range.max; ++value) {
            if (SettingsStore::Accepts(param, value)) accepted.push_back(value);
        }
    }
    if (accepted.empty() || accepted.size() > 12) {
        return std::to_string(range.min) + '-' + std::to_string(range.max);
    }
    std::string out;
    for (size_t i = 0; i < accepted.size(); ++i) {
        if (i > 0) out += i + 1 == accepted.size() ? " or " : ", ";
        out += std::to_string(accepted[i]);
    }
    return out;
}

std::string Quoted(std::string_view text) { return '"' + EncodeNotation(text) + '"'; }

std::string BlockText(const SettingsStore& settings, int param) {
    const uint8_t* bytes = settings.GetBlock(param);
    const size_t count = Descriptor(param).count;
    if (bytes == nullptr || std::all_of(bytes, bytes + count, [](uint8_t b) { return b == 0; })) {
        return "zeros";
    }
    std::string out;
    const auto append = [&out](const std::string& item) {
        if (!out.empty()) out += ',';
        out += item;
    };
    if (param == P::TabList) {
        for (size_t column = 0; column < count; ++column) {
            if (bytes[column]) append(std::to_string(column));
        }
    } else if (param == P::Palette) {
        for (size_t i = 0; i + 3 < count; i += 4) {
            char colour[8];
            std::snprintf(colour, sizeof colour, "#%02x%02x%02x", bytes[i], bytes[i + 1],
                          bytes[i + 2]);
            append(colour);
        }
    } else {
        for (size_t i = 0; i < count; ++i) append(std::to_string(bytes[i]));
    }
    return out;
}

} // namespace

std::string ValueText(const SettingsStore& settings, int param) {
    const ParameterDescriptor& descriptor = Descriptor(param);
    switch (descriptor.type) {
    case ParamType::Number: return std::to_string(settings.GetNumber(param));
    case ParamType::String: return Quoted(settings.GetString(param));
    case ParamType::Block: return BlockText(settings, param);
    case ParamType::Array: break;
    }
    std::string out;
    if (descriptor.elementKind == ElementKind::Numbers) {
        for (int i = 0; i < descriptor.count; ++i) {
            if (i > 0) out += ',';
            out += std::to_string(settings.GetArrayNumber(param, i));
        }
        return out;
    }
    // Texts up to the last one that is not empty.
    int used = descriptor.count;
    while (used > 0 && settings.GetArrayString(param, used - 1).empty()) --used;
    for (int i = 0; i < used; ++i) {
        if (i > 0) out += ',';
        out += Quoted(settings.GetArrayString(param, i));
    }
    return used > 0 ? out : "none";
}

std::string AcceptedValues(int param) {
    const ParameterDescriptor& descriptor = Descriptor(param);
    switch (descriptor.type) {
    case ParamType::Number: return NumberValues(param);
    case ParamType::String: return "text (<CR>, <ESC>, \\xNN ... for controls)";
    case ParamType::Block: return "not settable from the command line";
    case ParamType::Array: break;
    }
    if (descriptor.elementKind == ElementKind::Numbers) {
        return std::to_string(descriptor.count) + " numbers, V0,V1,... from the first on";
    }
    return "not settable from the command line";
}

} // namespace tamsivane
