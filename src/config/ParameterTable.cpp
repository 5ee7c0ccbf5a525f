// The constant table of the 108 session parameters: file codes, key names, types, defaults
// and the values each number parameter accepts.
#include "config/SettingsStore.h"

#include <algorithm>
#include <atomic>
#include <iterator>

namespace tamsivane {
namespace {

constexpr int kPaletteBytes = 64;
constexpr int kColourMapBytes = 16;
constexpr int kFunctionKeys = 5;
constexpr int kButtons = 32;
// F1-F4 send PF1-PF4 and F5 its sequence, as the terminal descriptions of
// the VT keyboards list them.
constexpr uint8_t kDefaultFunctionKeys[kFunctionKeys] = {3, 3, 3, 3, 1};

bool IsPageLineCount(int32_t value) { return PagesForLines(value) != 0; }

constexpr ValueRange kColumnsRange{80, kStride};
constexpr ValueRange kLinesRange{kPageArrangements[0].lines, kPageStoreLines};
constexpr ValueRange kPagesRange{1, kPageArrangements[0].pages};
// Bounds the history allocation (the page store plus this many lines of 132 cells).
constexpr ValueRange kSaveLinesRange{0, 100000};
constexpr ValueRange kTermIdRange{0, 5};
constexpr ValueRange kCharacterSetRange{0, 16};
constexpr ValueRange kNrcRange{0, 14};
constexpr ValueRange kDbcsSetRange{0, 5};
constexpr ValueRange kNewLineRange{0, 2};

// Red, green, blue and a zero byte per colour; 0 is the screen background, 7 normal text.
// clang-format off
constexpr uint8_t kDefaultPalette[kPaletteBytes] = {
    0,   0,   0,   0,   128, 0,   0,   0,   0,   128, 0,   0,   0,   0,   128, 0,  // 0-3
    128, 128, 0,   0,   128, 0,   128, 0,   0,   128, 128, 0,   192, 192, 192, 0,  // 4-7
    128, 128, 128, 0,   255, 0,   0,   0,   0,   255, 0,   0,   0,   0,   255, 0,  // 8-11
    255, 255, 0,   0,   255, 0,   255, 0,   0,   255, 255, 0,   255, 255, 255, 0,  // 12-15
};
// clang-format on

constexpr std::array<uint8_t, kTabColumns> MakeDefaultTabs() {
    std::array<uint8_t, kTabColumns> tabs{};
    for (int column = 8; column < kTabColumns; column += 8) {
        tabs[column] = 1;
    }
    return tabs;
}
constexpr std::array<uint8_t, kTabColumns> kDefaultTabs = MakeDefaultTabs();

constexpr const char* kDefaultScript =
    "term.Wait(\"name:|NAME:|login:|LOGIN:\");\r\n"
    "term.Send(term.UserID+\"<CR>\");\r\n"
    "term.Wait(\"word:|WORD:\");\r\n"
    "term.Send(term.Password+\"<CR>\");\r\n";

constexpr const char* kDefaultFont = "Courier New";

constexpr ParameterDescriptor Num(uint32_t code, const char* key, int32_t def,
                                  const ValueRange* range = nullptr,
                                  bool (*accepts)(int32_t) = nullptr) {
    return {code, key,     ParamType::Number, 0,     ElementKind::Numbers,
            def,  nullptr, nullptr,           range, accepts};
}

constexpr ParameterDescriptor Str(uint32_t code, const char* key, const char* def = nullptr) {
    return {code, key, ParamType::String, 0,       ElementKind::Numbers,
            0,    def, nullptr,           nullptr, nullptr};
}

constexpr ParameterDescriptor Block(uint32_t code, const char* key, uint16_t count,
                                    const uint8_t* def = nullptr) {
    return {code,    key, ParamType::Block, count,  ElementKind::Numbers, 0,
            nullptr, def, nullptr,          nullptr};
}

constexpr ParameterDescriptor Array(uint32_t code, const char* key, uint16_t count,
                                    ElementKind kind, const uint8_t* def = nullptr) {
    return {code, key, ParamType::Array, count, kind, 0, nullptr, def, nullptr, nullptr};
}

constexpr ParameterDescriptor kTable[kParameterCount + 1] = {
    // Display
    Num(0x0101, "CursorType", 0),
    Num(0x0102, "CursorVisible", 1),
    Num(0x0103, "DarkScreen", 1),
    Num(0x0104, "CursorBlink", 1),
    Num(0x0105, "LineDraw", 1),
    Str(0x0106, "FontName", kDefaultFont),
    Num(0x0107, "FontSize", 9),
    Num(0x0108, "FontBold", 0),
    Str(0x0109, "FontName132", kDefaultFont),
    Num(0x010a, "FontSize132", 9),
    Num(0x010b, "FontBold132", 0),
    Num(0x010c, "FontUse80", 1),
    Num(0x010d, "BlinkText", 1),
    Num(0x010e, "StatusLine", 0),
    // Printing
    Num(0x0201, "FFNeeded", 0),
    Num(0x0202, "PrintTo", 1),
    Str(0x0203, "DriverName"),
    Str(0x0204, "PrinterName"),
    Block(0x0205, "PrinterParam", kPrinterParamSize),
    Num(0x0206, "DefaultPrinter", 1),
    Str(0x0207, "PrintFontName", kDefaultFont),
    Num(0x0208, "PrintFontSize", 9),
    Num(0x0209, "PrintFontBold", 0),
    Num(0x020a, "PrintPort", 0),
    Num(0x020b, "JobTimeout", 5),
    // Terminal
    Num(0x0301, "Interpret", 1),
    Num(0x0302, "AutoWrap", 0),
    Num(0x0303, "8BitChars", 0),
    Num(0x0304, "TermID", 2, &kTermIdRange),
    Str(0x0305, "AnswerBack"),
    Num(0x0306, "HideABM", 0),
    Num(0x0307, "Columns", 80, &kColumnsRange, [](int32_t v) { return IsColumnCount(v); }),
    Num(0x0308, "Lines", 24, &kLinesRange, IsPageLineCount),
    Num(0x0309, "Pages", 6, &kPagesRange),
    Num(0x030a, "SaveLines", 800, &kSaveLinesRange),
    Num(0x030b, "MouseSupport", 0),
    Num(0x030c, "SaveAll", 0),
    Num(0x030d, "SetHostSize", 1),
    Num(0x030e, "LFForCR", 0),
    // Tabs
    Block(0x0401, "TabList", kTabColumns, kDefaultTabs.data()),
    // Keyboard
    Num(0x0501, "NewLine", 2, &kNewLineRange),
    Num(0x0502, "NumericKeypad", 1),
    Num(0x0503, "CursorKeys", 1),
    Num(0x0504, "MarginBell", 0),
    Num(0x0505, "WarningBell", 1),
    Num(0x0506, "BackArrow", 1),
    Num(0x0507, "NumLock", 0),
    Num(0x0508, "KBLayout", 0),
    Array(0x0509, "FKeys", kFunctionKeys, ElementKind::Numbers, kDefaultFunctionKeys),
    Num(0x050a, "AltEscape", 1),
    // Communication
    Str(0x0601, "HostName"),
    Str(0x0602, "Proxy"),
    Num(0x0603, "HostType", 0),
    Num(0x0604, "Port", 0),
    Num(0x0605, "Speed", 0),
    Num(0x0606, "Parity", 0),
    Num(0x0607, "StopBits", 0),
    Num(0x0608, "DataLength", 0),
    Num(0x0609, "LocalEcho", 0),
    Num(0x060a, "Local", 0),
    Num(0x060b, "FlowControl", 0),
    Str(0x060c, "SshUser"),
    Str(0x060d, "SshPassword"),
    Num(0x060e, "KeepSession", 0),
    // International
    Num(0x0701, "UPSS", 1, &kCharacterSetRange),
    Num(0x0702, "PrimarySet", 4, &kCharacterSetRange),
    Num(0x0703, "SecondarySet", 4, &kCharacterSetRange),
    Num(0x0704, "NRC", 0, &kNrcRange),
    Num(0x0705, "ForceASCII", 0),
    Num(0x0706, "DBCS", 0),
    Num(0x0707, "DBCSSet", 0, &kDbcsSetRange),
    // Colours
    Block(0x0801, "Palette", kPaletteBytes, kDefaultPalette),
    Block(0x0802, "BackColor", kColourMapBytes),
    Block(0x0803, "ForeColor", kColourMapBytes),
    Block(0x0804, "Mapped", kColourMapBytes),
    Block(0x0805, "DisplayAttr", kColourMapBytes),
    // General
    Num(0x0901, "Maximize", 1),
    Num(0x0902, "CopySpace", 0),
    Num(0x0903, "AutoClose", 1),
    Num(0x0904, "AutoExit", 0),
    Num(0x0905, "History", 1),
    Num(0x0906, "FitFont", 1),
    Num(0x0907, "LoginScript", 0),
    Str(0x0908, "UserID"),
    Str(0x0909, "Password"),
    Str(0x090a, "Script", kDefaultScript),
    Num(0x090b, "CaptureDebug", 0),
    Num(0x090c, "AutoCopy", 0),
    Str(0x090d, "Title"),
    Num(0x090e, "HostScript", 0),
    Num(0x090f, "CantCloseWindow", 0),
    // Buttons
    Array(0x0b01, "ButtonCaption", kButtons, ElementKind::Strings),
    Array(0x0b02, "ButtonString", kButtons, ElementKind::Strings),
    Array(0x0b03, "ButtonAction", kButtons, ElementKind::Numbers),
    // Main window
    Num(0x0c01, "Height", 0),
    Num(0x0c02, "Width", 0),
    Num(0x0c03, "Maximized", 0),
    Num(0x0c04, "ButtonBar", 0),
    Num(0x0c05, "ToolBar", 0),
    Num(0x0c06, "StatusBar", 0),
    Num(0x0c07, "ChatLine", 0),
    Num(0x0c08, "XPos", 0),
    Num(0x0c09, "YPos", 0),
    // File transfer
    Num(0x0d01, "AutoRecv", 1),
    Str(0x0d02, "RecvDir", "Received"),
    Str(0x0d03, "ZModemInit", "rz\r"),
    Num(0x0d04, "XferOpenRecv", 1),
    Num(0x0d05, "XferInitPause", 500),
    // Terminating row
    Num(0, nullptr, 0),
};

// Every row is filled in and sits at the position its parameter number names.
constexpr bool RowsComplete() {
    for (int param = 0; param < kParameterCount; ++param) {
        if (kTable[param].fileCode == 0 || kTable[param].key == nullptr) {
            return false;
        }
    }
    return kTable[kParameterCount].fileCode == 0;
}
static_assert(RowsComplete());
static_assert(kTable[P::EightBitChars].fileCode == 0x0303);
static_assert(kTable[P::TabList].fileCode == 0x0401);
static_assert(kTable[P::ButtonCaption].fileCode == 0x0b01);
static_assert(kTable[P::XferInitPause].fileCode == 0x0d05);

constexpr const char* kTerminalTypeNames[] = {"vt420", "vt320", "vt220", "vt102", "vt101", "vt100"};
constexpr int kTerminalTypeCount = static_cast<int>(std::size(kTerminalTypeNames));

std::atomic<int> systemAnsiCodePage{1252};
std::atomic<bool> utf8ByDefault{false};

} // namespace

const ParameterDescriptor* ParameterTable() { return kTable; }

const ParameterDescriptor& Descriptor(int param) {
    if (param < 0 || param >= kParameterCount) {
        return kTable[kParameterCount];
    }
    return kTable[param];
}

int ParameterByKey(std::string_view key) {
    for (int param = 0; param < kParameterCount; ++param) {
        if (key == kTable[param].key) {
            return param;
        }
    }
    return -1;
}

const char* TerminalTypeName(int termId) {
    if (termId < 0 || termId >= kTerminalTypeCount) {
        return kTerminalTypeNames[kTerminalTypeCount - 1];
    }
    return kTerminalTypeNames[termId];
}

int SystemAnsiCodePage() { return systemAnsiCodePage.load(std::memory_order_relaxed); }

void SetSystemAnsiCodePage(int codePage) {
    systemAnsiCodePage.store(codePage, std::memory_order_relaxed);
}

bool Utf8ByDefault() { return utf8ByDefault.load(std::memory_order_relaxed); }

void SetUtf8ByDefault(bool on) { utf8ByDefault.store(on, std::memory_order_relaxed); }

} // namespace tamsivane
