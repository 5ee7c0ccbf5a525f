#include "config/SetupFile.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <utility>
#include <vector>

#include "config/ResourceStrings.h"
#include "platform/CodePage.h"
#include "platform/SafeFile.h"

namespace tamsivane {
namespace {

constexpr std::string_view kPreviousMagics[] = {"QZV V2.01 Setup File", "QZV V2.50 Setup File"};
constexpr uint32_t kOldKeyTableSize = 101;
constexpr size_t kReservedBytes = 8;

// Length-prefix forms of a STRING.
constexpr uint8_t kLongLength = 0xFF;
constexpr uint16_t kInvalidWordLength = 0xFFFE;
constexpr uint16_t kDwordLength = 0xFFFF;

// Smallest key-map entry: key, modifiers, action and an empty STRING.
constexpr size_t kMinEntrySize = 4;

// The older 101-key layout: old key position -> PC key code (0: no such key).
// clang-format off
constexpr std::array<uint8_t, kOldKeyTableSize> kOldKeyCodes = {
    112, 113, 114, 115, 116, 117, 118, 119, 120, 121, 122, 123,  //  0-11 F1-F12
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0,                                // 12-21
    13, 8, 27, 192,                                              // 22-25
    49, 50, 51, 52, 53, 54, 55, 56, 57, 48,                      // 26-35 digits
    189, 187, 220, 9,                                            // 36-39
    65, 66, 67, 68, 69, 70, 71, 72, 73, 74, 75, 76, 77,          // 40-52 A-M
    78, 79, 80, 81, 82, 83, 84, 85, 86, 87, 88, 89, 90,          // 53-65 N-Z
    219, 221, 186, 222, 188, 190, 191, 32,                       // 66-73
    45, 36, 33, 46, 35, 34,                                      // 74-79 editing keys
    38, 37, 40, 39,                                              // 80-83 cursor keys
    144, 111, 106, 109,                                          // 84-87
    96, 97, 98, 99, 100, 101, 102, 103, 104, 105,                // 88-97 keypad digits
    107, 110, 43,                                                // 98-100
};
// clang-format on

// Key-map actions whose text is a text for people or the system (a file
// path, a script, a menu path) rather than bytes for the host.
bool ActionTextIsText(uint8_t action) {
    return action == KeyAction::RunScriptFile || action == KeyAction::ExecuteScript ||
           action == KeyAction::MenuCommand;
}

int ParameterByFileCode(uint16_t code) {
    for (int param = 0; param < kParameterCount; ++param) {
        if (Descriptor(param).fileCode == code) return param;
    }
    return -1;
}

// Converts between the store's UTF-8 and the file's ANSI code page.
class TextCodec {
public:
    TextCodec() : codePage_(SystemAnsiCodePage()) {}

    std::string ToFile(std::string_view utf8) const {
        if (utf8.empty()) return {};
        const std::u16string text = service_.ToUnicode(kUtf8CodePage, utf8);
        // A value that is not UTF-8 (raw bytes put there by the host or a
        // script) is written as it is rather than lost.
        if (text.empty()) return std::string(utf8);
        return service_.FromUnicode(codePage_, text);
    }
    std::string FromFile(std::string_view bytes) const { return service_.ToUtf8(codePage_, bytes); }

private:
    int codePage_;
    CodePageService service_;
};

class ImageWriter {
public:
    void Byte(uint8_t value) { out_ += static_cast<char>(value); }
    void Word(uint16_t value) {
        Byte(static_cast<uint8_t>(value));
        Byte(static_cast<uint8_t>(value >> 8));
    }
    void Dword(uint32_t value) {
        Word(static_cast<uint16_t>(value));
        Word(static_cast<uint16_t>(value >> 16));
    }
    void Bytes(const uint8_t* data, size_t size) {
        out_.append(reinterpret_cast<const char*>(data), size);
    }
    void String(std::string_view text) {
        const size_t length = text.size();
        if (length < kLongLength) {
            Byte(static_cast<uint8_t>(length));
        } else if (length < kInvalidWordLength) {
            Byte(kLongLength);
            Word(static_cast<uint16_t>(length));
        } else {
            Byte(kLongLength);
            Word(kDwordLength);
            Dword(static_cast<uint32_t>(length));
        }
        out_.append(text);
    }
    std::string Take() { return std::move(out_); }

private:
    std::string out_;
};

// Reads primitives from an image; every read is checked against what remains,
// and the first failure's reason is kept.
class ImageReader {
public:
    explicit ImageReader(std::string_view image) : rest_(image) {}

    bool Byte(uint8_t& value) {
        std::string_view bytes;
        if (!Bytes(1, bytes)) return false;
        value = static_cast<uint8_t>(bytes[0]);
        return true;
    }
    bool Word(uint16_t& value) {
        std::string_view bytes;
        if (!Bytes(2, bytes)) return false;
        value = static_cast<uint16_t>(At(bytes, 0) | At(bytes, 1) << 8);
        return true;
    }
    bool Dword(uint32_t& value) {
        std::string_view bytes;
        if (!Bytes(4, bytes)) return false;
        value = At(bytes, 0) | At(bytes, 1) << 8 | At(bytes, 2) << 16 |
                static_cast<uint32_t>(At(bytes, 3)) << 24;
        return true;
    }
    bool Bytes(size_t count, std::string_view& bytes) {
        if (count > rest_.size()) return Fail("the file ends early");
        bytes = rest_.substr(0, count);
        rest_.remove_prefix(count);
        return true;
    }
    bool String(std::string_view& text) {
        uint8_t shortLength = 0;
        if (!Byte(shortLength)) return false;
        if (shortLength != kLongLength) return Bytes(shortLength, text);
        uint16_t wordLength = 0;
        if (!Word(wordLength)) return false;
        if (wordLength == kInvalidWordLength) return Fail("a text has an invalid length");
        if (wordLength != kDwordLength) return Bytes(wordLength, text);
        uint32_t length = 0;
        return Dword(length) && Bytes(length, text);
    }
    size_t Remaining() const { return rest_.size(); }

    bool Fail(std::string reason) {
        if (reason_.empty()) reason_ = std::move(reason);
        return false;
    }
    const std::string& Reason() const { return reason_; }

private:
    static uint32_t At(std::string_view bytes, size_t index) {
        return static_cast<uint8_t>(bytes[index]);
    }

    std::string_view rest_;
    std::string reason_;
};

// --- writing -----------------------------------------------------------------

void WriteParameter(ImageWriter& out, const TextCodec& codec, const SettingsStore& settings,
                    int param) {
    const ParameterDescriptor& d = Descriptor(param);
    out.Word(static_cast<uint16_t>(d.fileCode));
    out.Byte(static_cast<uint8_t>(d.type));
    switch (d.type) {
    case ParamType::Number:
        out.Dword(static_cast<uint32_t>(settings.GetNumber(param)));
        break;
    case ParamType::String:
        out.String(codec.ToFile(settings.GetString(param)));
        break;
    case ParamType::Block:
        out.Word(d.count);
        out.Bytes(settings.GetBlock(param), d.count);
        break;
    case ParamType::Array:
        out.Word(d.count);
        out.Byte(static_cast<uint8_t>(d.elementKind));
        for (int i = 0; i < d.count; ++i) {
            if (d.elementKind == ElementKind::Numbers) {
                out.Dword(static_cast<uint32_t>(settings.GetArrayNumber(param, i)));
            } else {
                out.String(codec.ToFile(settings.GetArrayString(param, i)));
            }
        }
        break;
    }
}

void WriteKeyMap(ImageWriter& out, const TextCodec& codec, const KeyMap& keys) {
    out.Dword(kKeyTableSize);
    out.Bytes(keys.KeyTable().data(), kKeyTableSize);
    out.Dword(static_cast<uint32_t>(keys.Entries().size()));
    for (const KeyMapEntry& entry : keys.Entries()) {
        out.Byte(entry.key);
        out.Byte(entry.modifiers);
        out.Byte(entry.action);
        out.String(ActionTextIsText(entry.action) ? codec.ToFile(entry.text) : entry.text);
    }
    for (size_t i = 0; i < kReservedBytes; ++i) out.Byte(0);
}

// --- reading -----------------------------------------------------------------

class SetupDecoder {
public:
    SetupDecoder(std::string_view image, const SettingsStore& settings, const KeyMap& keys)
        : in_(image), keys_(keys) {
        settings_.CopyFrom(settings);
    }

    SetupReadResult Decode() {
        SetupReadResult result;
        if (!ReadMagic(result)) return result;
        if (!ReadParameters() || !CheckPageGeometry() || !ReadKeyMap()) {
            result.status = SetupReadStatus::Invalid;
            result.reason = in_.Reason();
        }
        return result;
    }

    const SettingsStore& Settings() const { return settings_; }
    KeyMap& Keys() { return keys_; }

private:
    bool ReadMagic(SetupReadResult& result) {
        std::string_view magic;
        if (!in_.String(magic) || magic != kSetupFileMagic) {
            const bool previous = std::find(std::begin(kPreviousMagics), std::end(kPreviousMagics),
                                            magic) != std::end(kPreviousMagics);
            result.status = previous ? SetupReadStatus::PreviousVersion : SetupReadStatus::Invalid;
            result.reason = previous ? ResourceString(Msg::PreviousVersionSetupFile)
                                     : "it is not a setup file";
            return false;
        }
        return true;
    }

    bool ReadParameters() {
        for (;;) {
            uint16_t code = 0;
            uint8_t type = 0;
            if (!in_.Word(code)) return false;
            if (code == 0) return true;
            if (!in_.Byte(type)) return false;
            if (type > static_cast<uint8_t>(ParamType::Array)) {
                return in_.Fail("a record has the unknown type " + std::to_string(type));
            }
            const int param = ParameterByFileCode(code);
            if (param < 0) {
                if (!SkipValue(static_cast<ParamType>(type))) return false;
                continue;
            }
            if (static_cast<ParamType>(type) != Descriptor(param).type) {
                return in_.Fail(std::string("the record of ") + Descriptor(param).key +
                                " has the wrong type");
            }
            if (!ReadValue(param)) return false;
        }
    }

    bool SkipValue(ParamType type) {
        std::string_view skipped;
        uint16_t count = 0;
        switch (type) {
        case ParamType::Number:
            return in_.Bytes(4, skipped);
        case ParamType::String:
            return in_.String(skipped);
        case ParamType::Block:
            return in_.Word(count) && in_.Bytes(count, skipped);
        case ParamType::Array:
            break;
        }
        uint8_t kind = 0;
        if (!in_.Word(count) || !in_.Byte(kind)) return false;
        if (kind == static_cast<uint8_t>(ElementKind::Numbers))
            return in_.Bytes(4u * count, skipped);
        if (kind != static_cast<uint8_t>(ElementKind::Strings)) {
            return in_.Fail("an array record has the unknown kind " + std::to_string(kind));
        }
        for (int i = 0; i < count; ++i) {
            if (!in_.String(skipped)) return false;
        }
        return true;
    }

    bool ReadValue(int param) {
        const ParameterDescriptor& d = Descriptor(param);
        switch (d.type) {
        case ParamType::Number: {
            uint32_t value = 0;
            if (!in_.Dword(value)) return false;
            if (!settings_.SetNumber(param, static_cast<int32_t>(value))) {
                return in_.Fail(std::string("the value of ") + d.key + " is out of range");
            }
            return true;
        }
        case ParamType::String: {
            std::string_view text;
            if (!in_.String(text)) return false;
            settings_.SetString(param, codec_.FromFile(text));
            return true;
        }
        case ParamType::Block: {
            uint16_t count = 0;
            std::string_view bytes;
            if (!in_.Word(count) || !CheckCount(d, count) || !in_.Bytes(count, bytes)) return false;
            settings_.SetBlock(param, reinterpret_cast<const uint8_t*>(bytes.data()), count);
            return true;
        }
        case ParamType::Array:
            return ReadArray(param);
        }
        return false;
    }

    bool ReadArray(int param) {
        const ParameterDescriptor& d = Descriptor(param);
        uint16_t count = 0;
        uint8_t kind = 0;
        if (!in_.Word(count) || !in_.Byte(kind)) return false;
        if (kind != static_cast<uint8_t>(d.elementKind)) {
            return in_.Fail(std::string("the elements of ") + d.key + " are of the wrong kind");
        }
        if (!CheckCount(d, count)) return false;
        for (int i = 0; i < count; ++i) {
            if (d.elementKind == ElementKind::Numbers) {
                uint32_t value = 0;
                if (!in_.Dword(value)) return false;
                settings_.SetArrayNumber(param, i, static_cast<int32_t>(value));
            } else {
                std::string_view text;
                if (!in_.String(text)) return false;
                settings_.SetArrayString(param, i, codec_.FromFile(text));
            }
        }
        return true;
    }

    bool CheckCount(const ParameterDescriptor& d, uint16_t count) {
        if (count <= d.count) return true;
        return in_.Fail(std::string("the record of ") + d.key + " holds " + std::to_string(count) +
                        " values, more than its " + std::to_string(d.count));
    }

    // Each of Columns, Lines and Pages may be valid alone and still not fit the page store.
    bool CheckPageGeometry() {
        if (settings_.GetNumber(P::Lines) * settings_.GetNumber(P::Pages) <= kPageStoreLines) {
            return true;
        }
        return in_.Fail("its pages do not fit the page store");
    }

    bool ReadKeyMap() {
        uint32_t tableSize = 0;
        if (!in_.Dword(tableSize)) return false;
        const bool oldLayout = tableSize == kOldKeyTableSize;
        if (!oldLayout && tableSize != kKeyTableSize) {
            return in_.Fail("its key table has " + std::to_string(tableSize) + " keys");
        }
        std::string_view bytes;
        if (!in_.Bytes(tableSize, bytes)) return false;
        KeyMap::Table table = keys_.KeyTable();
        for (size_t i = 0; i < tableSize; ++i) {
            const size_t key = oldLayout ? kOldKeyCodes[i] : i + 1;
            if (key != 0) table[key - 1] = static_cast<uint8_t>(bytes[i]);
        }

        uint32_t count = 0;
        if (!in_.Dword(count)) return false;
        if (count > KeyMap::kMaxEntries || count > in_.Remaining() / kMinEntrySize) {
            return in_.Fail("its key map has too many entries");
        }
        std::vector<KeyMapEntry> entries;
        entries.reserve(count);
        for (uint32_t i = 0; i < count; ++i) {
            KeyMapEntry entry;
            std::string_view text;
            if (!in_.Byte(entry.key) || !in_.Byte(entry.modifiers) || !in_.Byte(entry.action) ||
                !in_.String(text)) {
                return false;
            }
            if (oldLayout) {
                if (entry.key >= kOldKeyTableSize) {
                    return in_.Fail("a key-map entry names a key beyond the old key layout");
                }
                entry.key = kOldKeyCodes[entry.key];
                if (entry.key == 0) continue; // a key this layout cannot name
            }
            entry.text = ActionTextIsText(entry.action) ? codec_.FromFile(text) : std::string(text);
            if (entry.text.size() > KeyMap::kMaxTextLength) {
                return in_.Fail("a key-map text is too long");
            }
            entries.push_back(std::move(entry));
        }

        std::string_view reserved;
        if (!in_.Bytes(kReservedBytes, reserved)) return false;
        if (reserved.back() != 0) return in_.Fail("its reserved bytes are not zero");

        if (!keys_.Assign(table, std::move(entries))) return in_.Fail("its key map is too large");
        keys_.AddMenuEntries();
        return true;
    }

    ImageReader in_;
    TextCodec codec_;
    SettingsStore settings_;
    KeyMap keys_;
};

} // namespace

std::string EncodeSetupFile(const SettingsStore& settings, const KeyMap& keys) {
    const TextCodec codec;
    ImageWriter out;
    out.String(kSetupFileMagic);
    for (int param = 0; param < kParameterCount; ++param) {
        WriteParameter(out, codec, settings, param);
    }
    out.Word(0);
    WriteKeyMap(out, codec, keys);
    return out.Take();
}

SetupReadResult DecodeSetupFile(std::string_view image, SettingsStore& settings, KeyMap& keys) {
    SetupDecoder decoder(image, settings, keys);
    SetupReadResult result = decoder.Decode();
    if (result.ok()) {
        settings.CopyFrom(decoder.Settings());
        keys = std::move(decoder.Keys());
    }
    return result;
}

SetupFileResult LoadSetupFile(const std::string& path, SettingsStore& settings, KeyMap& keys) {
    std::string image;
    std::string error;
    if (!ReadWholeFile(path, kMaxSetupFileSize, image, error)) {
        return {false, Msg::CannotReadSetupFile,
                FormatResource(Msg::CannotReadSetupFile, {path, error})};
    }
    const SetupReadResult result = DecodeSetupFile(image, settings, keys);
    switch (result.status) {
    case SetupReadStatus::Ok:
        return {true, 0, {}};
    case SetupReadStatus::PreviousVersion:
        return {false, Msg::PreviousVersionSetupFile,
                std::string(ResourceString(Msg::PreviousVersionSetupFile))};
    case SetupReadStatus::Invalid:
        break;
    }
    return {false, Msg::CannotReadSetupFile,
            FormatResource(Msg::CannotReadSetupFile, {path, result.reason})};
}

SetupFileResult SaveSetupFile(const std::string& path, const SettingsStore& settings,
                              const KeyMap& keys) {
    std::string error;
    if (!ReplaceFile(path, EncodeSetupFile(settings, keys), error)) {
        return {false, Msg::CannotSaveSetupFile,
                FormatResource(Msg::CannotSaveSetupFile, {path, error})};
    }
    return {true, 0, {}};
}

} // namespace tamsivane
