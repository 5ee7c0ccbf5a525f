#include "cli/ParameterValues.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <iterator>
#include <string_view>
#include <vector>

#include "config/SettingsStore.h"
#include "emulator/CharsetTranslator.h"
#include "emulator/ControlNames.h"

namespace tamsivane {

namespace {

// What each parameter's values mean, by parameter number (nullptr: not a
// number, or worked out from its range).
constexpr const char* kMeanings[] = {
#define TAMSIVANE_NUMBER(name, code, key, def, range, accepts, values) values,
#define TAMSIVANE_SWITCH(...) "0 off, 1 on",
#define TAMSIVANE_STRING(...) nullptr,
#define TAMSIVANE_BLOCK(...) nullptr,
#define TAMSIVANE_ARRAY(...) nullptr,
#include "config/Parameters.inc"
#undef TAMSIVANE_NUMBER
#undef TAMSIVANE_SWITCH
#undef TAMSIVANE_STRING
#undef TAMSIVANE_BLOCK
#undef TAMSIVANE_ARRAY
};
static_assert(std::size(kMeanings) == kParameterCount);

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
    if (kMeanings[param] != nullptr) return kMeanings[param];
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
