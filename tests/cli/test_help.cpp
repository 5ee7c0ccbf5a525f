// --help and -h: the program's usage, and each command's own.
#include <gtest/gtest.h>

#include <string>

#include "RunCli.h"

namespace {

TEST(Help, EveryCommandPrintsItsUsageToStandardOutput) {
    for (const std::string command : {"replay", "run", "keys", "settings"}) {
        for (const std::string arguments : {" --help", " -h", " --set Columns=132 --help"}) {
            // Standard error goes nowhere: the usage must be on standard output.
            const CliResult result = RunCli(command + arguments + " 2>/dev/null </dev/null");
            EXPECT_EQ(result.status, 0) << command << arguments;
            EXPECT_EQ(result.output.rfind("usage: tamsivane-cli " + command + " [", 0), 0u)
                << command << arguments << ": " << result.output;
        }
    }
    const CliResult all = RunCli("--help 2>/dev/null");
    EXPECT_EQ(all.status, 0);
    for (const char* command : {"replay [", "run [", "keys [", "settings ["}) {
        EXPECT_NE(all.output.find(std::string("tamsivane-cli ") + command), std::string::npos);
    }
}

TEST(Help, AfterTheEndOfOptionsItIsAnArgument) {
    // "--help" as a key name after "--": an unknown key, not a request for usage.
    const CliResult key = RunCli("keys -- --help 2>&1");
    EXPECT_EQ(key.status, 2);
    EXPECT_NE(key.output.find("unknown key \"--help\""), std::string::npos) << key.output;
}

} // namespace
