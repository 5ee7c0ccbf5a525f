// The address book file: entries written and read back whole, whatever the
// length of their lines or the characters of their scripts, damaged files
// read as far as they go, and saving that never loses the old file, leaves
// an unchanged book alone and keeps the file's access rights.
#include "config/AddressBook.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "TempFolder.h"

namespace tamsivane {
namespace {

namespace fs = std::filesystem;
using testing::TempFolder;

std::string Contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class AddressBookFileTest : public ::testing::Test {
protected:
    AddressBookPaths Paths() const {
        return AddressBookPaths{folder_.File(kAddressBookFile), folder_.File(kAddressBookFile)};
    }
    AddressBook Loaded() {
        AddressBook book(Paths());
        std::string error;
        EXPECT_TRUE(book.Load(error)) << error;
        return book;
    }
    void Write(const std::string& text) {
        std::ofstream(folder_.File(kAddressBookFile), std::ios::binary) << text;
    }

    TempFolder folder_;
};

TEST_F(AddressBookFileTest, EntriesComeBackAsTheyWereSavedWhateverTheirLength) {
    const std::string longAddress = "h" + std::string(299, 'a');
    const std::string longScript(70000, 'x');
    AddressBook book(Paths());
    book.Add({"beta", "Telnet", longAddress, "", ""});
    book.Add({"Alpha", "Modem", "9,(555) 123-4567", "default", "send \"100%\\r\"\r\nwait \"%s\"\r\n"});
    book.Add({"gamma", "SSH2", "myhost:2200", "tmpl", longScript + "\r\n" + longScript});
    std::string error;
    ASSERT_TRUE(book.Save(error)) << error;

    const AddressBook read = Loaded();
    ASSERT_EQ(read.Entries().size(), 3u);
    EXPECT_EQ(read.Entries()[0].site, "Alpha"); // sorted, ignoring case
    EXPECT_EQ(read.Entries()[0].script, "send \"100%\\r\"\r\nwait \"%s\"\r\n");
    EXPECT_EQ(read.Entries()[1].address, longAddress);
    // A script without a final line end gets one; nothing else changes.
    EXPECT_EQ(read.Entries()[2].script, longScript + "\r\n" + longScript + "\r\n");
    EXPECT_EQ(read.Entries()[2].type, "SSH2");
    // The file is exactly the documented layout.
    EXPECT_TRUE(Contents(Paths().save)
                    .starts_with("Alpha\r\nModem\r\n9,(555) 123-4567\r\ndefault\r\n"
                                 "##Start Script\r\nsend \"100%\\r\"\r\nwait \"%s\"\r\n"
                                 "##End Script\r\nbeta\r\n"));
}

TEST_F(AddressBookFileTest, DamagedFilesAreReadAsFarAsTheyGo) {
    // LF alone ends lines too; a type in other letters is the known type;
    // an unknown type stays; the last entry lacks its marker line.
    Write("one\nTELNET\nhost1\n\n##No Script\n"
          "two\r\nfoo\r\nhost2\r\n\r\n##No Script\r\n"
          "three\r\nmodem\r\n555\r\n\r\n");
    AddressBook book = Loaded();
    ASSERT_EQ(book.Entries().size(), 2u);
    EXPECT_EQ(book.Entries()[0], (AddressBookEntry{"one", "Telnet", "host1", "", ""}));
    EXPECT_EQ(book.Entries()[1].type, "foo");

    // A script without its end marker takes the rest of the file.
    Write("s\r\nTelnet\r\nh\r\n\r\n##Start Script\r\nline 1\r\nline 2");
    book = Loaded();
    ASSERT_EQ(book.Entries().size(), 1u);
    EXPECT_EQ(book.Entries()[0].script, "line 1\r\nline 2\r\n");

    // Saving a change writes the normalised type.
    std::string error;
    Write("x\r\ntelnet\r\nh\r\n\r\n##No Script\r\n");
    book = Loaded();
    book.Add({"y", "Telnet", "g", "", ""});
    ASSERT_TRUE(book.Save(error));
    EXPECT_EQ(Contents(Paths().save),
              "x\r\nTelnet\r\nh\r\n\r\n##No Script\r\ny\r\nTelnet\r\ng\r\n\r\n##No Script\r\n");
}

TEST_F(AddressBookFileTest, ALineBreakInANameCannotSplitTheEntry) {
    AddressBook book(Paths());
    book.Add({"two\r\nlines", "Telnet", "h\n", "", ""});
    std::string error;
    ASSERT_TRUE(book.Save(error));
    const AddressBook read = Loaded();
    ASSERT_EQ(read.Entries().size(), 1u);
    EXPECT_EQ(read.Entries()[0].site, "two  lines");
    EXPECT_EQ(read.Entries()[0].address, "h ");
}

TEST(AddressBook, RepeatedNamesAreNumberedAndFoundByName) {
    AddressBook book;
    EXPECT_EQ(book.Entries().size(), 0u);
    book.Add({"host", "Telnet", "a", "", ""});
    book.Add({"HOST", "Telnet", "b", "", ""});
    book.Add({"host", "Telnet", "c", "", ""});
    ASSERT_EQ(book.Entries().size(), 3u);
    EXPECT_EQ(book.Entries()[0].site, "host");
    EXPECT_EQ(book.Entries()[1].site, "HOST (1)");
    EXPECT_EQ(book.Entries()[2].site, "host (2)");
    EXPECT_EQ(book.Find("host (2)")->address, "c");
    EXPECT_EQ(book.Find("Host (1)")->address, "b");
    EXPECT_EQ(book.Find("nothing"), nullptr);
    // Modify keeps the order sorted and does not renumber.
    book.Replace(2, {"a host", "Modem", "d", "", ""});
    EXPECT_EQ(book.Entries()[0].site, "a host");
    book.Remove(0);
    EXPECT_EQ(book.Entries().size(), 2u);
}

TEST(AddressBook, TypesAreNormalised) {
    EXPECT_EQ(NormalizedType("TELNET"), "Telnet");
    EXPECT_EQ(NormalizedType("ssh1"), "SSH1");
    EXPECT_EQ(NormalizedType("Rlogin"), "Rlogin");
    EXPECT_EQ(TypeOf("sSh2"), AddressType::Ssh2);
    EXPECT_EQ(TypeOf("Rlogin"), std::nullopt);
}

// Saves the book in a child process after prepare() (which may give up
// root's rights); the child's exit status is 0 when the save worked.
template <typename Prepare>
int SaveInChild(const AddressBook& book, Prepare prepare) {
    const pid_t child = fork();
    if (child == 0) {
        prepare();
        std::string error;
        _exit(book.Save(error) ? 0 : error.empty() ? 3 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST_F(AddressBookFileTest, OnlyAChangedBookIsWrittenAndItKeepsItsMode) {
    // Written elsewhere: LF line ends, a type in capitals.
    const std::string text = "old\nTELNET\nh\n\n##No Script\n";
    Write(text);
    fs::permissions(Paths().save, fs::perms(0640));
    const auto inode = [&] {
        struct stat info {};
        ::stat(Paths().save.c_str(), &info);
        return info.st_ino;
    };
    const ino_t before = inode();
    std::string error;
    ASSERT_TRUE(Loaded().Save(error)) << error;
    EXPECT_EQ(Contents(Paths().save), text);
    EXPECT_EQ(inode(), before);

    AddressBook book = Loaded();
    book.Add({"new", "Telnet", "n", "", ""});
    ASSERT_TRUE(book.Save(error)) << error;
    EXPECT_EQ(Loaded().Entries().size(), 2U);
    EXPECT_EQ(fs::status(Paths().save).permissions(), fs::perms(0640));
    // Saving what the file holds already leaves it as it is.
    const ino_t saved = inode();
    ASSERT_TRUE(book.Save(error)) << error;
    EXPECT_EQ(inode(), saved);
}

TEST_F(AddressBookFileTest, AFailedSaveKeepsTheOldFileAndSaysWhy) {
    Write("old\r\nTelnet\r\nh\r\n\r\n##No Script\r\n");
    const std::string old = Contents(Paths().save);
    AddressBook book = Loaded();
    book.Add({"new", "Telnet", "n", "", ""});

    fs::permissions(folder_.Path(), fs::perms::owner_read | fs::perms::owner_exec |
                                        fs::perms::others_read | fs::perms::others_exec);
    EXPECT_EQ(SaveInChild(book,
                          [] {
                              if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) {
                                  _exit(2);
                              }
                          }),
              1);
    fs::permissions(folder_.Path(), fs::perms::owner_all);
    EXPECT_EQ(Contents(Paths().save), old);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder_.Path()), fs::directory_iterator()), 1);

    // A book that could not be read is never saved over the file.
    std::string error;
    AddressBook unread(AddressBookPaths{folder_.Path(), Paths().save});
    EXPECT_FALSE(unread.Load(error));
    EXPECT_FALSE(unread.Save(error));
    EXPECT_EQ(Contents(Paths().save), old);
}

} // namespace
} // namespace tamsivane
