#include "config/AddressBook.h"

#include <algorithm>
#include <filesystem>
#include <iterator>

#include "config/Templates.h"
#include "keyboard/AsciiCase.h"
#include "platform/SafeFile.h"

namespace tamsivane {
namespace {

constexpr std::string_view kNoScript = "##No Script";
constexpr std::string_view kStartScript = "##Start Script";
constexpr std::string_view kEndScript = "##End Script";
constexpr std::string_view kLineEnd = "\r\n";

constexpr const char* kTypeNames[] = {"Telnet", "Modem", "SSH1", "SSH2"};

// Reads the text line by line: each line without its LF (or CR LF); a last
// line without a line end counts too.
class LineReader {
public:
    explicit LineReader(std::string_view text) : text_(text) {}

    std::optional<std::string_view> Next() {
        if (text_.empty()) return std::nullopt;
        const size_t end = text_.find('\n');
        std::string_view line = text_.substr(0, end);
        text_.remove_prefix(end == std::string_view::npos ? text_.size() : end + 1);
        if (end != std::string_view::npos && !line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        return line;
    }

private:
    std::string_view text_;
};

std::string OneLine(std::string_view field) {
    std::string line(field);
    std::replace_if(line.begin(), line.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    return line;
}

bool SiteBefore(const AddressBookEntry& a, const AddressBookEntry& b) {
    return std::ranges::lexicographical_compare(
        a.site, b.site, [](char x, char y) { return AsciiLower(x) < AsciiLower(y); });
}

} // namespace

std::string NormalizedType(std::string_view type) {
    for (const char* name : kTypeNames) {
        if (EqualIgnoringAsciiCase(type, name)) return name;
    }
    return std::string(type);
}

std::optional<AddressType> TypeOf(std::string_view type) {
    for (size_t i = 0; i < std::size(kTypeNames); ++i) {
        if (EqualIgnoringAsciiCase(type, kTypeNames[i])) return static_cast<AddressType>(i);
    }
    return std::nullopt;
}

std::vector<AddressBookEntry> ParseAddressBook(std::string_view text) {
    std::vector<AddressBookEntry> entries;
    LineReader reader(text);
    for (;;) {
        std::optional<std::string_view> lines[5];
        for (auto& line : lines) line = reader.Next();
        if (!lines[4]) break; // an entry cut short is dropped
        AddressBookEntry entry{std::string(*lines[0]), NormalizedType(*lines[1]),
                               std::string(*lines[2]), std::string(*lines[3]), {}};
        if (*lines[4] == kStartScript) {
            while (const auto line = reader.Next()) {
                if (*line == kEndScript) break;
                entry.script.append(*line).append(kLineEnd);
            }
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

std::string FormatAddressBook(const std::vector<AddressBookEntry>& entries) {
    std::string text;
    for (const AddressBookEntry& e : entries) {
        for (const std::string* field : {&e.site, &e.type, &e.address, &e.templateName}) {
            text.append(OneLine(*field)).append(kLineEnd);
        }
        if (e.script.empty()) {
            text.append(kNoScript).append(kLineEnd);
            continue;
        }
        text.append(kStartScript).append(kLineEnd).append(e.script);
        if (e.script.back() != '\n') text.append(kLineEnd);
        text.append(kEndScript).append(kLineEnd);
    }
    return text;
}

AddressBookPaths DiscoverAddressBook() {
    namespace fs = std::filesystem;
    const TemplateFolders folders = DiscoverTemplateFolders();
    AddressBookPaths paths;
    paths.save = (fs::path(folders.save) / kAddressBookFile).string();
    paths.read = paths.save;
    for (const std::string& folder : folders.search) {
        std::error_code error;
        const fs::path file = fs::path(folder) / kAddressBookFile;
        if (fs::exists(file, error)) {
            paths.read = file.string();
            break;
        }
    }
    return paths;
}

bool AddressBook::Load(std::string& error) {
    entries_.clear();
    unreadable_ = false;
    std::error_code missing;
    if (!std::filesystem::exists(paths_.read, missing)) return true;
    std::string text;
    if (!ReadWholeFile(paths_.read, kMaxFileSize, text, error)) {
        unreadable_ = true;
        return false;
    }
    for (AddressBookEntry& entry : ParseAddressBook(text)) Insert(std::move(entry));
    loaded_ = entries_;
    return true;
}

bool AddressBook::Save(std::string& error) const {
    if (unreadable_) {
        error = "it could not be read, so it is left as it is";
        return false;
    }
    // Nothing changed: the file stays as the user keeps it.
    if (entries_ == loaded_) return true;
    return ReplaceFile(paths_.save, FormatAddressBook(entries_), error);
}

size_t AddressBook::Insert(AddressBookEntry entry) {
    const auto at = std::upper_bound(entries_.begin(), entries_.end(), entry, SiteBefore);
    return static_cast<size_t>(entries_.insert(at, std::move(entry)) - entries_.begin());
}

bool AddressBook::Taken(std::string_view site) const {
    return std::any_of(entries_.begin(), entries_.end(), [&](const AddressBookEntry& e) {
        return EqualIgnoringAsciiCase(e.site, site);
    });
}

size_t AddressBook::Add(AddressBookEntry entry) {
    if (Taken(entry.site)) {
        const std::string base = entry.site;
        for (int n = 1; Taken(entry.site); ++n) {
            entry.site = base + " (" + std::to_string(n) + ")";
        }
    }
    return Insert(std::move(entry));
}

size_t AddressBook::Replace(size_t index, AddressBookEntry entry) {
    if (index >= entries_.size()) return Insert(std::move(entry));
    entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(index));
    return Insert(std::move(entry));
}

void AddressBook::Remove(size_t index) {
    if (index >= entries_.size()) return;
    entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(index));
}

const AddressBookEntry* AddressBook::Find(std::string_view site) const {
    for (const AddressBookEntry& e : entries_) {
        if (e.site == site) return &e;
    }
    for (const AddressBookEntry& e : entries_) {
        if (EqualIgnoringAsciiCase(e.site, site)) return &e;
    }
    return nullptr;
}

} // namespace tamsivane
