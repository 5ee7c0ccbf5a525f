#include <gtest/gtest.h>

#include "ScopedVariable.h"
#include "platform/UserLocale.h"

namespace tamsivane {
namespace {

TEST(UserLocaleTest, CodeSetSpellingsAndModifiers) {
    for (const char* name : {"en_GB.UTF-8", "C.utf8", "de_DE.UTF8@euro", "ja_JP.utf-8"})
        EXPECT_TRUE(LocaleNameIsUtf8(name)) << name;
    for (const char* name :
         {"C", "POSIX", "", "en_US", "en_US.ISO-8859-1", "de_DE@euro", "x.utf-16"})
        EXPECT_FALSE(LocaleNameIsUtf8(name)) << name;
}

TEST(UserLocaleTest, TheFirstVariableSetAndNotEmptyDecides) {
    testing::ScopedVariable all("LC_ALL", "");
    testing::ScopedVariable type("LC_CTYPE", "C");
    testing::ScopedVariable lang("LANG", "en_GB.UTF-8");
    EXPECT_FALSE(UserLocaleIsUtf8()) << "LC_CTYPE before LANG";
    testing::ScopedVariable typeEmpty("LC_CTYPE", "");
    EXPECT_TRUE(UserLocaleIsUtf8()) << "an empty one counts as unset";
    testing::ScopedVariable allC("LC_ALL", "POSIX");
    EXPECT_FALSE(UserLocaleIsUtf8());
}

} // namespace
} // namespace tamsivane
