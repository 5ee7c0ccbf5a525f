#include "config/SettingsStore.h"

#include <algorithm>
#include <array>

namespace tamsivane {
namespace {

constexpr int kColourMapSize = CellAttribute::kRenditionFlags + 1;
constexpr int kMaxColour = CellAttribute::kColours - 1;
// ANSI code pages of the East Asian systems, whose hosts use double-byte sets.
constexpr std::array<int, 4> kDoubleByteCodePages = {932, 936, 949, 950};

const std::string kEmptyText;

bool IsParam(int param) { return param >= 0 && param < kParameterCount; }

bool IsType(int param, ParamType type) { return IsParam(param) && Descriptor(param).type == type; }

bool IsArrayOf(int param, ElementKind kind) {
    return IsType(param, ParamType::Array) && Descriptor(param).elementKind == kind;
}

bool InCount(int param, int index) { return index >= 0 && index < Descriptor(param).count; }

std::string TextOf(const SettingValue& value) {
    return value.isString ? value.text : std::to_string(value.number);
}

} // namespace

// Each parameter uses the member its type names; blocks and arrays keep count entries
// from construction on, so their sizes never change.
struct SettingsStore::Value {
    std::string text;
    std::vector<uint8_t> bytes;
    std::vector<int32_t> numbers;
    std::vector<std::string> strings;

    bool operator==(const Value&) const = default;
};

SettingsStore::SettingsStore() : values_(kParameterCount) {
    for (int param = 0; param < kParameterCount; ++param) {
        const ParameterDescriptor& d = Descriptor(param);
        Value& v = values_[param];
        if (d.type == ParamType::Block) {
            v.bytes.resize(d.count);
        } else if (d.type == ParamType::Array && d.elementKind == ElementKind::Numbers) {
            v.numbers.resize(d.count);
        } else if (d.type == ParamType::Array) {
            v.strings.resize(d.count);
        }
    }
    SettingsStore::ResetToDefaults();
}

SettingsStore::~SettingsStore() = default;

void SettingsStore::ResetToDefaults() {
    for (int param = 0; param < kParameterCount; ++param) {
        const ParameterDescriptor& d = Descriptor(param);
        Value& v = values_[param];
        switch (d.type) {
        case ParamType::Number:
            numbers_[param] = d.defaultNumber;
            break;
        case ParamType::String:
            v.text = d.defaultText ? d.defaultText : "";
            break;
        case ParamType::Block:
            if (d.defaultBlock) {
                std::copy_n(d.defaultBlock, d.count, v.bytes.begin());
            } else {
                std::fill(v.bytes.begin(), v.bytes.end(), 0);
            }
            break;
        case ParamType::Array:
            if (d.defaultBlock) {
                std::copy_n(d.defaultBlock, d.count, v.numbers.begin());
            } else {
                std::fill(v.numbers.begin(), v.numbers.end(), 0);
            }
            std::fill(v.strings.begin(), v.strings.end(), std::string());
            break;
        }
    }
    const int codePage = SystemAnsiCodePage();
    if (std::find(kDoubleByteCodePages.begin(), kDoubleByteCodePages.end(), codePage) !=
        kDoubleByteCodePages.end()) {
        numbers_[P::PrimarySet] = 4;
        numbers_[P::DBCS] = 1;
    }
    // Where the user's programs write UTF-8, the host does too.
    if (Utf8ByDefault()) {
        numbers_[P::DBCS] = 1;
        numbers_[P::DBCSSet] = kDbcsSetUtf8;
    }
}

// --- by number ---------------------------------------------------------------

const std::string& SettingsStore::GetString(int param) const {
    return IsType(param, ParamType::String) ? values_[param].text : kEmptyText;
}

const uint8_t* SettingsStore::GetBlock(int param) const {
    return IsType(param, ParamType::Block) ? values_[param].bytes.data() : nullptr;
}

int32_t SettingsStore::GetArrayNumber(int param, int index) const {
    if (!IsArrayOf(param, ElementKind::Numbers) || !InCount(param, index)) {
        return 0;
    }
    return values_[param].numbers[index];
}

const std::string& SettingsStore::GetArrayString(int param, int index) const {
    if (!IsArrayOf(param, ElementKind::Strings) || !InCount(param, index)) {
        return kEmptyText;
    }
    return values_[param].strings[index];
}

size_t SettingsStore::StringLength(int param) const { return GetString(param).size(); }

bool SettingsStore::Accepts(int param, int32_t value) {
    if (!IsType(param, ParamType::Number)) {
        return false;
    }
    const ParameterDescriptor& d = Descriptor(param);
    if (d.range && (value < d.range->min || value > d.range->max)) {
        return false;
    }
    return !d.accepts || d.accepts(value);
}

bool SettingsStore::SetNumber(int param, int32_t value) {
    if (!Accepts(param, value)) {
        return false;
    }
    numbers_[param] = value;
    return true;
}

bool SettingsStore::SetString(int param, std::string_view text) {
    if (!IsType(param, ParamType::String)) {
        return false;
    }
    values_[param].text.assign(text);
    return true;
}

bool SettingsStore::SetBlock(int param, const uint8_t* data, size_t length) {
    if (!IsType(param, ParamType::Block) || (data == nullptr && length > 0)) {
        return false;
    }
    std::vector<uint8_t>& bytes = values_[param].bytes;
    std::copy_n(data, std::min(length, bytes.size()), bytes.begin());
    return true;
}

bool SettingsStore::SetBlockByte(int param, int index, uint8_t value) {
    if (!IsType(param, ParamType::Block) || !InCount(param, index)) {
        return false;
    }
    values_[param].bytes[index] = value;
    return true;
}

bool SettingsStore::SetArrayNumber(int param, int index, int32_t value) {
    if (!IsArrayOf(param, ElementKind::Numbers) || !InCount(param, index)) {
        return false;
    }
    values_[param].numbers[index] = value;
    return true;
}

bool SettingsStore::SetArrayString(int param, int index, std::string_view text) {
    if (!IsArrayOf(param, ElementKind::Strings) || !InCount(param, index)) {
        return false;
    }
    values_[param].strings[index].assign(text);
    return true;
}

// --- whole store -------------------------------------------------------------

void SettingsStore::CopyFrom(const SettingsStore& other) {
    if (&other != this) {
        values_ = other.values_;
        numbers_ = other.numbers_;
    }
}

bool SettingsStore::Equals(int param, const SettingsStore& other) const {
    return !IsParam(param) ||
           (numbers_[param] == other.numbers_[param] && values_[param] == other.values_[param]);
}

// Every value in either store has passed the setters' checks (and every default is an
// accepted value), so taking the other's value never brings in a refused number.
bool SettingsStore::CompareAndApply(const SettingsStore& other, ChangeSet* changes) {
    bool changed = false;
    for (int param = 0; param < kParameterCount; ++param) {
        if (Equals(param, other)) {
            continue;
        }
        changed = true;
        if (OnChange(changes, param, std::nullopt)) {
            values_[param] = other.values_[param];
            numbers_[param] = other.numbers_[param];
        }
    }
    return changed;
}

// --- by key name ---------------------------------------------------------------

bool SettingsStore::GetByName(std::string_view key, SettingValue& out) const {
    const int param = ParameterByKey(key);
    if (IsType(param, ParamType::Number)) {
        out = SettingValue{false, numbers_[param], {}};
        return true;
    }
    if (IsType(param, ParamType::String)) {
        out = SettingValue{true, 0, values_[param].text};
        return true;
    }
    return false;
}

// A number given for a string parameter is stored as its decimal text; a string given for
// a number parameter does not fit.  The hook may decline a change; that is still a valid
// request and returns 1.
bool SettingsStore::SetByName(std::string_view key, const SettingValue& value,
                              ChangeSet* changes) {
    const int param = ParameterByKey(key);
    if (param == P::HostScript) {
        return false;
    }
    if (IsType(param, ParamType::Number)) {
        if (value.isString || !Accepts(param, value.number)) {
            return false;
        }
        int32_t& slot = numbers_[param];
        if (slot != value.number && OnChange(changes, param, std::nullopt)) {
            slot = value.number;
        }
        return true;
    }
    if (IsType(param, ParamType::String)) {
        std::string text = TextOf(value);
        std::string& slot = values_[param].text;
        if (slot != text && OnChange(changes, param, std::nullopt)) {
            slot = std::move(text);
        }
        return true;
    }
    return false;
}

bool SettingsStore::GetElementByName(std::string_view key, int index, SettingValue& out) const {
    const int param = ParameterByKey(key);
    if (!IsParam(param) || !InCount(param, index)) {
        return false;
    }
    const Value& v = values_[param];
    if (IsType(param, ParamType::Block)) {
        out = SettingValue{false, v.bytes[index], {}};
    } else if (IsArrayOf(param, ElementKind::Numbers)) {
        out = SettingValue{false, v.numbers[index], {}};
    } else if (IsArrayOf(param, ElementKind::Strings)) {
        out = SettingValue{true, 0, v.strings[index]};
    } else {
        return false;
    }
    return true;
}

// Byte-block elements take numbers 0-255; string elements take numbers as decimal text.
// The hook is told the element index of the change.
bool SettingsStore::SetElementByName(std::string_view key, int index, const SettingValue& value,
                                     ChangeSet* changes) {
    const int param = ParameterByKey(key);
    if (!IsParam(param) || !InCount(param, index)) {
        return false;
    }
    Value& v = values_[param];
    if (IsType(param, ParamType::Block)) {
        if (value.isString || value.number < 0 || value.number > 255) {
            return false;
        }
        const auto byte = static_cast<uint8_t>(value.number);
        if (v.bytes[index] != byte && OnChange(changes, param, index)) {
            v.bytes[index] = byte;
        }
    } else if (IsArrayOf(param, ElementKind::Numbers)) {
        if (value.isString) {
            return false;
        }
        if (v.numbers[index] != value.number && OnChange(changes, param, index)) {
            v.numbers[index] = value.number;
        }
    } else if (IsArrayOf(param, ElementKind::Strings)) {
        std::string text = TextOf(value);
        if (v.strings[index] != text && OnChange(changes, param, index)) {
            v.strings[index] = std::move(text);
        }
    } else {
        return false;
    }
    return true;
}

// --- tab stops -----------------------------------------------------------------

void SettingsStore::ClearAllTabs() {
    std::vector<uint8_t>& tabs = values_[P::TabList].bytes;
    std::fill(tabs.begin(), tabs.end(), 0);
}

bool SettingsStore::IsTabStop(int column) const {
    return column >= 0 && column < kTabColumns && values_[P::TabList].bytes[column] != 0;
}

void SettingsStore::SetTabStop(int column, bool on) {
    if (column >= 0 && column < kTabColumns) {
        values_[P::TabList].bytes[column] = on ? 1 : 0;
    }
}

int SettingsStore::NextTabStop(int column) const {
    const int last = kTabColumns - 1;
    if (column < 0 || column >= last) {
        return -1;
    }
    for (int next = column + 1; next < last; ++next) {
        if (IsTabStop(next)) {
            return next;
        }
    }
    return last;
}

void SettingsStore::ResetTabStops() {
    const ParameterDescriptor& d = Descriptor(P::TabList);
    std::copy_n(d.defaultBlock, d.count, values_[P::TabList].bytes.begin());
}

// --- colour map ------------------------------------------------------------------

namespace {
bool IsColourMapIndex(int index) { return index >= 0 && index < kColourMapSize; }
bool IsPaletteColour(int colour) { return colour >= 0 && colour <= kMaxColour; }
} // namespace

void SettingsStore::MapColour(int index, const ColourMapEntry& colours) {
    if (!IsColourMapIndex(index) || !IsPaletteColour(colours.foreground) ||
        !IsPaletteColour(colours.background)) {
        return;
    }
    values_[P::Mapped].bytes[index] = 1;
    values_[P::ForeColor].bytes[index] = static_cast<uint8_t>(colours.foreground);
    values_[P::BackColor].bytes[index] = static_cast<uint8_t>(colours.background);
    values_[P::DisplayAttr].bytes[index] = colours.showAttribute ? 1 : 0;
}

void SettingsStore::UnmapColour(int index) {
    if (IsColourMapIndex(index)) values_[P::Mapped].bytes[index] = 0;
}

void SettingsStore::MapColours(const AttributePattern& pattern, const ColourMapEntry& colours) {
    for (int index = 0; index < kColourMapSize; ++index) {
        bool matches = true;
        for (size_t bit = 0; bit < pattern.size(); ++bit) {
            const bool set = (index >> bit) & 1;
            if (pattern[bit] && *pattern[bit] != set) matches = false;
        }
        if (matches) MapColour(index, colours);
    }
}

// Mapped colours are read modulo 16, since blocks loaded from files may hold any byte.
std::optional<ColourMapEntry> SettingsStore::MappedColours(int index) const {
    if (index < 0 || index >= kColourMapSize || values_[P::Mapped].bytes[index] == 0)
        return std::nullopt;
    return ColourMapEntry{values_[P::ForeColor].bytes[index] & kMaxColour,
                          values_[P::BackColor].bytes[index] & kMaxColour,
                          values_[P::DisplayAttr].bytes[index] != 0};
}

bool SettingsStore::LookUpColour(CellAttribute attribute, ColourMapEntry& out) const {
    if (const auto mapped = MappedColours(attribute.ColourMapIndex())) {
        out = *mapped;
        return true;
    }
    out = {attribute.Foreground(), attribute.Background(), true};
    return false;
}

// --- printer and geometry ------------------------------------------------------------

void SettingsStore::SetPrinter(const PrinterChoice& choice) {
    numbers_[P::DefaultPrinter] = choice.isDefault ? 1 : 0;
    if (choice.isDefault) {
        return;
    }
    values_[P::DriverName].text = choice.driverName;
    values_[P::PrinterName].text = choice.deviceName;
    std::vector<uint8_t>& mode = values_[P::PrinterParam].bytes;
    std::fill(mode.begin(), mode.end(), 0);
    std::copy_n(choice.deviceMode.begin(), std::min(choice.deviceMode.size(), mode.size()),
                mode.begin());
}

// An all-zero device-mode block means none was chosen and is handed out as empty.
PrinterChoice DefaultPrinterChoice(std::string_view defaultPrinterEntry) {
    PrinterChoice choice;
    const size_t deviceEnd = defaultPrinterEntry.find(',');
    choice.deviceName = std::string(defaultPrinterEntry.substr(0, deviceEnd));
    if (deviceEnd != std::string_view::npos) {
        const std::string_view rest = defaultPrinterEntry.substr(deviceEnd + 1);
        choice.driverName = std::string(rest.substr(0, rest.find(',')));
    }
    return choice;
}

PrinterChoice SettingsStore::GetPrinter(std::string_view defaultPrinterEntry) const {
    if (numbers_[P::DefaultPrinter] != 0) return DefaultPrinterChoice(defaultPrinterEntry);
    PrinterChoice choice;
    choice.isDefault = false;
    choice.driverName = values_[P::DriverName].text;
    choice.deviceName = values_[P::PrinterName].text;
    const std::vector<uint8_t>& mode = values_[P::PrinterParam].bytes;
    if (std::any_of(mode.begin(), mode.end(), [](uint8_t b) { return b != 0; })) {
        choice.deviceMode = mode;
    }
    return choice;
}

bool SettingsStore::SetPageGeometry(int columns, int lines, int pages) {
    if (!Accepts(P::Columns, columns) || !Accepts(P::Lines, lines) || !Accepts(P::Pages, pages) ||
        lines * pages > kPageStoreLines) {
        return false;
    }
    numbers_[P::Columns] = columns;
    numbers_[P::Lines] = lines;
    numbers_[P::Pages] = pages;
    return true;
}

bool SettingsStore::OnChange(ChangeSet*, int, std::optional<int>) { return true; }

} // namespace tamsivane
