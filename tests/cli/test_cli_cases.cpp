// Data-driven runs of the built tamsivane-cli: tests/cli/cases/*.cli files,
// each case one run.
//
//   === title
//   input <notation>   the bytes on standard input (empty when left out)
//   run ARGUMENTS      the command line after the program, quoted as for sh
//   status N           the exit status
//   output             followed by "|text" rows: standard output exactly
//   prints TEXT        standard output holds TEXT (as it is, no notation)
//   starts TEXT        standard output starts with TEXT
//   errors             followed by rows: standard error exactly (no rows: empty)
//   says TEXT          standard error holds TEXT
//   same               standard output is the run's before
//
// Checks follow the run they are about; several runs may share a case.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "CaseFiles.h"
#include "RunCli.h"
#include "TempFolder.h"
#include "emulator/ControlNames.h"

namespace tamsivane::testing {
namespace {

using casefile::Case;
using casefile::Directive;

std::string Joined(const std::vector<std::string>& rows) {
    std::string text;
    for (const std::string& row : rows) text += row + "\n";
    return text;
}

class CliCase : public ::testing::TestWithParam<Case> {};

TEST_P(CliCase, Runs) {
    const Case& c = GetParam();
    ASSERT_EQ(c.errorLine, 0) << c.file << ":" << c.errorLine << ": " << c.error;
    TempFolder folder;
    std::ofstream(folder.File("input"), std::ios::binary); // empty until `input`
    CliResult result;
    std::string before; // the output of the run before
    for (const Directive& d : c.directives) {
        SCOPED_TRACE(::testing::Message() << c.file << ":" << d.line << " [" << c.title << "]");
        const std::string& k = d.keyword;
        if (k == "input") {
            std::string bytes;
            ASSERT_TRUE(DecodeNotation(d.argument, bytes));
            std::ofstream(folder.File("input"), std::ios::binary) << bytes;
        } else if (k == "run") {
            before = result.output;
            result = RunCli(d.argument + " 2>" + folder.File("errors") + " <" + folder.File("input"));
            std::ifstream in(folder.File("errors"), std::ios::binary);
            result.errors.assign(std::istreambuf_iterator<char>(in), {});
        } else if (k == "status") {
            EXPECT_EQ(std::to_string(result.status), d.argument) << result.errors;
        } else if (k == "output") {
            EXPECT_EQ(result.output, Joined(d.rows));
        } else if (k == "prints") {
            EXPECT_NE(result.output.find(d.argument), std::string::npos) << result.output;
        } else if (k == "starts") {
            EXPECT_EQ(result.output.rfind(d.argument, 0), 0u) << result.output;
        } else if (k == "errors") {
            EXPECT_EQ(result.errors, Joined(d.rows));
        } else if (k == "same") {
            EXPECT_EQ(result.output, before);
        } else if (k == "says") {
            EXPECT_NE(result.errors.find(d.argument), std::string::npos) << result.errors;
        } else {
            ADD_FAILURE_AT(c.file.c_str(), d.line) << "unknown directive " << k;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, CliCase, ::testing::ValuesIn(casefile::LoadCases("cases", ".cli")),
                         casefile::TestName);

} // namespace
} // namespace tamsivane::testing
