// The address book: hosts the user connects to often, kept in the text file
// "AddrBook.Txt" with the program's data.  Each entry is five or more
// CR LF-ended lines: the site name, the type, the address, the template
// (empty for none), then "##No Script", or "##Start Script", the login
// script's lines and "##End Script".  Lines may be of any length.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tamsivane {

inline constexpr const char* kAddressBookFile = "AddrBook.Txt";

// The entry types, by their index in a connection's result.
enum class AddressType { Telnet = 0, Modem = 1, Ssh1 = 2, Ssh2 = 3 };

struct AddressBookEntry {
    std::string site;
    std::string type = "Telnet";
    std::string address;
    std::string templateName; // a settings template's name, "" for none
    std::string script;       // the login script, lines ended by CR LF; "" for none

    bool operator==(const AddressBookEntry&) const = default;
};

// "telnet", "modem", "ssh1" and "ssh2" in any letter case become "Telnet",
// "Modem", "SSH1" and "SSH2"; any other type is kept as it is.
std::string NormalizedType(std::string_view type);
// The type's index; nullopt for a type the address book does not know.
std::optional<AddressType> TypeOf(std::string_view type);

// The entries of an address book file, in file order.  CR LF ends a line as
// LF does; an entry cut short by the end of the file is dropped, a script
// without its end marker takes the rest of the file.
std::vector<AddressBookEntry> ParseAddressBook(std::string_view text);
// The file's text.  Line breaks inside the one-line fields become blanks,
// so that they cannot split an entry.
std::string FormatAddressBook(const std::vector<AddressBookEntry>& entries);

// Where the address book is read from and saved to: saved in the user's data
// folder; read from there, or else from the first of the program's folders
// that ships one.
struct AddressBookPaths {
    std::string read;
    std::string save;
};
AddressBookPaths DiscoverAddressBook();

// The list as the address book dialog shows it: ascending by site name
// (ignoring letter case), names unique when added through Add.
class AddressBook {
public:
    static constexpr size_t kMaxFileSize = 64 * 1024 * 1024;

    AddressBook() = default;
    explicit AddressBook(AddressBookPaths paths) : paths_(std::move(paths)) {}

    // Reads the file; a missing one gives an empty list.  False, with the
    // reason in error, when it exists but cannot be read (the list is then
    // empty and Save refuses, so that it cannot replace the unread file).
    bool Load(std::string& error);
    // Replaces the file through a new one renamed over it, unless the
    // entries are still those loaded; on failure the old file stays and
    // error says why.
    bool Save(std::string& error) const;

    const std::vector<AddressBookEntry>& Entries() const { return entries_; }
    // Inserts in order; the name, when already taken (ignoring letter case),
    // becomes "name (1)", "name (2)", ...  Returns the entry's index.
    size_t Add(AddressBookEntry entry);
    // Replaces an entry as it is (no uniqueness check) and keeps the order.
    size_t Replace(size_t index, AddressBookEntry entry);
    void Remove(size_t index);
    // The entry with that site name: exactly, else ignoring letter case.
    const AddressBookEntry* Find(std::string_view site) const;
    const AddressBookPaths& Paths() const { return paths_; }

private:
    size_t Insert(AddressBookEntry entry);
    bool Taken(std::string_view site) const;

    AddressBookPaths paths_;
    std::vector<AddressBookEntry> entries_;
    std::vector<AddressBookEntry> loaded_; // as the file holds them
    bool unreadable_ = false;
};

} // namespace tamsivane
