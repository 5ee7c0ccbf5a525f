// Case files of the emulator's data-driven tests: many short cases per
// file, each a title line "=== title" followed by directive lines
// ("keyword argument"); "|text" lines belong to the directive before them
// ("screen", "history", "output", "errors").  A line whose first non-blank
// character is '#' is a comment, blank lines are ignored.
#pragma once

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace tamsivane::casefile {

struct Directive {
    int line = 0;
    std::string keyword;
    std::string argument;          // the text after the keyword and one blank, exactly
    std::vector<std::string> rows; // "|text" lines that follow screen/history
};

struct Case {
    std::string file;     // full path, for failure locations
    std::string fileStem; // for the test name
    std::string title;
    int line = 0;
    int index = 0;
    std::vector<Directive> directives;
    int errorLine = 0; // non-zero: the file is malformed here
    std::string error;
};

std::string_view Trim(std::string_view text);
std::string TrimRight(std::string_view text);

// Every case of the files with this extension (".vtc") in the test data's
// folder, files in name order; a malformed file or an empty folder gives a
// case that fails with the reason.
std::vector<Case> LoadCases(std::string_view folder, std::string_view extension);

// "stem_NNN_title" for the test runner.
std::string TestName(const ::testing::TestParamInfo<Case>& info);

// Shown by the test runner instead of the raw bytes of the parameter.
void PrintTo(const Case& c, std::ostream* out);

} // namespace tamsivane::casefile
