// The session settings store: 108 fixed, table-driven parameters addressed by
// number and by key name.  The store knows nothing of what a parameter means;
// a derived class turns accepted changes into actions through OnChange().
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/CellAttribute.h"
#include "config/PageGeometry.h"

namespace tamsivane {

enum class ParamType : uint16_t { Number = 0, String = 1, Block = 2, Array = 3 };

// Element kind of an array parameter (bits 0-1 of the descriptor field).
enum class ElementKind : uint32_t { Numbers = 0, Strings = 1 };

// Inclusive range of values a number parameter accepts; parameters that index
// fixed tables or size the screen have one, the rest accept any value.
struct ValueRange {
    int32_t min;
    int32_t max;
};

struct ParameterDescriptor {
    uint32_t fileCode;       // group in bits 8-15, item in bits 0-7
    const char* key;         // unique, case-sensitive
    ParamType type;
    uint16_t count;          // block: bytes; array: elements; else 0
    ElementKind elementKind; // arrays only
    int32_t defaultNumber;   // numbers
    const char* defaultText; // strings (nullptr: empty)
    const uint8_t* defaultBlock; // blocks, number arrays' elements (nullptr: zeros)
    const ValueRange* range; // numbers (nullptr: any value)
    // Extra rule for values outside a simple range (nullptr: none).
    bool (*accepts)(int32_t value);
};

// Parameter numbers, in table order.
namespace P {
enum : int {
#define TAMSIVANE_NUMBER(name, ...) name,
#define TAMSIVANE_SWITCH(name, ...) name,
#define TAMSIVANE_STRING(name, ...) name,
#define TAMSIVANE_BLOCK(name, ...) name,
#define TAMSIVANE_ARRAY(name, ...) name,
#include "config/Parameters.inc"
#undef TAMSIVANE_NUMBER
#undef TAMSIVANE_SWITCH
#undef TAMSIVANE_STRING
#undef TAMSIVANE_BLOCK
#undef TAMSIVANE_ARRAY
    Count
};
} // namespace P

inline constexpr int kParameterCount = P::Count;
inline constexpr int kTabColumns = kStride;
inline constexpr int kPrinterParamSize = 148;

// The constant parameter table (kParameterCount rows, then a row whose file code is 0).
const ParameterDescriptor* ParameterTable();
const ParameterDescriptor& Descriptor(int param);
// Parameter number for a key name (exact, case-sensitive), or -1.
int ParameterByKey(std::string_view key);

// Terminal type names by TermID ("vt420" ... "vt100"); "vt100" outside 0-5.
const char* TerminalTypeName(int termId);

// Application-wide "system ANSI code page" (default 1252).
int SystemAnsiCodePage();
void SetSystemAnsiCodePage(int codePage);
// The DBCSSet value whose decoder is UTF-8 (with DBCS on).
inline constexpr int32_t kDbcsSetUtf8 = 5;

// Application-wide: new settings speak UTF-8 (the user's locale does); off
// unless the program sets it, so stored files and tests see the same defaults.
bool Utf8ByDefault();
void SetUtf8ByDefault(bool on);

// A value handed to the by-name interface (the script engine's values).
struct SettingValue {
    bool isString = false;
    int32_t number = 0;
    std::string text;
};

struct PrinterChoice {
    bool isDefault = true;
    std::string driverName;
    std::string deviceName;
    std::vector<uint8_t> deviceMode; // empty, or kPrinterParamSize bytes
};

// The system's default printer from its "device,driver,port" entry.
PrinterChoice DefaultPrinterChoice(std::string_view defaultPrinterEntry);

// What accepted changes affect (SessionSettings fills it).
struct ChangeSet;

struct ColourMapEntry {
    int foreground = 0;
    int background = 0;
    bool showAttribute = true;
};

class SettingsStore {
public:
    SettingsStore();
    virtual ~SettingsStore();
    SettingsStore(const SettingsStore&) = delete;
    SettingsStore& operator=(const SettingsStore&) = delete;

    // Restores every parameter's default (see the DBCS rule for East Asian code pages).
    virtual void ResetToDefaults();

    // --- by number ---------------------------------------------------------
    // Number parameters live in one slot each, read without a call: the
    // emulator consults modes for every received byte.  0 for other types.
    int32_t GetNumber(int param) const {
        return static_cast<unsigned>(param) < static_cast<unsigned>(kParameterCount) ? numbers_[param]
                                                                                    : 0;
    }
    const std::string& GetString(int param) const;
    const uint8_t* GetBlock(int param) const;            // count bytes
    int32_t GetArrayNumber(int param, int index) const;   // 0 outside
    const std::string& GetArrayString(int param, int index) const;
    size_t StringLength(int param) const;

    // Setters refuse (return false, value unchanged) a wrong type, an index
    // beyond count, or a number outside the parameter's accepted values.
    bool SetNumber(int param, int32_t value);
    bool SetString(int param, std::string_view text);
    bool SetBlock(int param, const uint8_t* data, size_t length); // copies at most count bytes
    bool SetBlockByte(int param, int index, uint8_t value);
    bool SetArrayNumber(int param, int index, int32_t value);
    bool SetArrayString(int param, int index, std::string_view text);
    // Whether a number would be accepted by SetNumber.
    static bool Accepts(int param, int32_t value);

    // --- whole store -------------------------------------------------------
    void CopyFrom(const SettingsStore& other);
    // For each differing parameter in table order: calls OnChange(changes,
    // param) and takes the other's value when it returns true.  Returns
    // whether any parameter differed.  changes may be null.
    bool CompareAndApply(const SettingsStore& other, ChangeSet* changes);
    bool Equals(int param, const SettingsStore& other) const;

    // --- by key name (script engine); false: unknown key, wrong type or refused
    bool GetByName(std::string_view key, SettingValue& out) const;
    bool SetByName(std::string_view key, const SettingValue& value, ChangeSet* changes = nullptr);
    bool GetElementByName(std::string_view key, int index, SettingValue& out) const;
    bool SetElementByName(std::string_view key, int index, const SettingValue& value,
                          ChangeSet* changes = nullptr);

    // --- tab stops (TabList) -------------------------------------------------
    void ClearAllTabs();
    bool IsTabStop(int column) const;        // false outside 0-131
    void SetTabStop(int column, bool on);    // ignored outside 0-131
    int NextTabStop(int column) const;       // 131 when none; -1 outside 0-130
    void ResetTabStops();                    // every 8 columns from 8

    // --- colour map (Mapped, ForeColor, BackColor, DisplayAttr) -------------
    // Maps a combination (CellAttribute::ColourMapIndex) to palette colours
    // 0-15; a colour outside that range or an index outside the map is refused.
    void MapColour(int index, const ColourMapEntry& colours);
    // The combination shows its cells' own colours again; the stored colours
    // stay for the next time it is mapped.
    void UnmapColour(int index);
    // Every combination that matches the pattern: the wanted state of bold,
    // underline, blink and inverse, nothing where either state matches.
    using AttributePattern = std::array<std::optional<bool>, 4>;
    void MapColours(const AttributePattern& pattern, const ColourMapEntry& colours);
    // The colours of a colour-map index (CellAttribute::ColourMapIndex) when it is mapped.
    std::optional<ColourMapEntry> MappedColours(int index) const;
    // True when the attribute's combination is mapped; otherwise the cell's own colours.
    bool LookUpColour(CellAttribute attribute, ColourMapEntry& out) const;

    // --- printer and geometry ----------------------------------------------
    void SetPrinter(const PrinterChoice& choice);
    // defaultPrinterEntry: the system's "device,driver,port" entry used when DefaultPrinter is set.
    PrinterChoice GetPrinter(std::string_view defaultPrinterEntry) const;
    // Sets Columns, Lines and Pages together; refused when any is not accepted
    // or the pages do not fit the 144-line page store.
    bool SetPageGeometry(int columns, int lines, int pages);

protected:
    // Called before a changed value is taken, with the element for a change
    // of one element by name; the base accepts everything.
    virtual bool OnChange(ChangeSet* changes, int param, std::optional<int> element);

private:
    struct Value;
    std::vector<Value> values_;
    std::array<int32_t, kParameterCount> numbers_{};
};

} // namespace tamsivane
