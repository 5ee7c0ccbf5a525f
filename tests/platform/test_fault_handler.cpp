#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "TempFolder.h"

namespace {

namespace fs = std::filesystem;

struct Outcome {
    int status = 0;
    std::string stderrText;
    std::string report;
};

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class FaultHandlerTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(folder_.Path().empty()); }

    Outcome Run(const std::string& fault, const std::string& showProgram = "") {
        const fs::path report = dir_ / "report.txt";
        const fs::path err = dir_ / "stderr.txt";
        const std::string command = "ulimit -c 0; ulimit -s 8192; exec '" +
                                    std::string(TAMSIVANE_FAULT_VICTIM) + "' " + fault + " '" +
                                    report.string() + "' '" + showProgram + "' 2>'" +
                                    err.string() + "'";
        Outcome outcome;
        outcome.status = std::system(command.c_str());
        outcome.stderrText = ReadFile(err);
        outcome.report = ReadFile(report);
        return outcome;
    }

    tamsivane::testing::TempFolder folder_;
    const fs::path dir_ = folder_.Path();
};

constexpr const char* kHead = "Severe problem happened to Tamsivane. Tag = \"Main\", \nError message: Address: 0x";

TEST_F(FaultHandlerTest, ReportsEachFaultAndEndsTheProcess) {
    const struct {
        const char* fault;
        const char* description;
    } kFaults[] = {
        {"null", "Access violation - read 0x00000000."},
        {"write", "Access violation - write 0x00000000."},
        {"divide", "Divided by zero."},
        {"overflow", "Stack overflow."},
        {"illegal", "Illegal instruction."},
    };
    for (const auto& f : kFaults) {
        SCOPED_TRACE(f.fault);
        const Outcome outcome = Run(f.fault);
        EXPECT_NE(outcome.status, 0);
        EXPECT_EQ(outcome.stderrText.rfind(kHead, 0), 0u) << outcome.stderrText;
        EXPECT_NE(outcome.stderrText.find(f.description), std::string::npos) << outcome.stderrText;
        EXPECT_NE(outcome.stderrText.find("Please report this problem"), std::string::npos);
        EXPECT_EQ(outcome.report, outcome.stderrText.substr(0, outcome.report.size()));
        EXPECT_FALSE(outcome.report.empty());
    }
}

TEST_F(FaultHandlerTest, StartsTheProgramThatShowsTheReport) {
    const fs::path shown = dir_ / "shown.txt";
    const fs::path shower = dir_ / "show.sh";
    std::ofstream(shower) << "#!/bin/sh\n[ \"$1\" = --fault-report ] && cat \"$2\" > '"
                          << shown.string() << ".part' && mv '" << shown.string() << ".part' '"
                          << shown.string() << "'\n";
    fs::permissions(shower, fs::perms::owner_all);
    const Outcome outcome = Run("null", shower.string());
    EXPECT_NE(outcome.status, 0);
    ASSERT_FALSE(outcome.report.empty());
    // The shower is not waited for: poll for its result, within a bound.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!fs::exists(shown) && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_EQ(ReadFile(shown), outcome.report);
}

} // namespace
