// The constant table of the session parameters (rows in config/Parameters.inc): file
// codes, key names, types, defaults and the values each number parameter accepts.
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
bool AcceptsColumns(int32_t value) { return IsColumnCount(value); }

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
#define TAMSIVANE_NUMBER(name, code, key, def, range, accepts, values) \
    Num(code, key, def, range, accepts),
#define TAMSIVANE_SWITCH(name, code, key, def) Num(code, key, def),
#define TAMSIVANE_STRING(name, code, key, def) Str(code, key, def),
#define TAMSIVANE_BLOCK(name, code, key, count, def) Block(code, key, count, def),
#define TAMSIVANE_ARRAY(name, code, key, count, kind, def) Array(code, key, count, kind, def),
#include "config/Parameters.inc"
#undef TAMSIVANE_NUMBER
#undef TAMSIVANE_SWITCH
#undef TAMSIVANE_STRING
#undef TAMSIVANE_BLOCK
#undef TAMSIVANE_ARRAY
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
// The numbers the settings listing showed before AltEscape came.
static_assert(P::HostName == 49 && P::XferInitPause == 106 && P::AltEscape == 107);

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
