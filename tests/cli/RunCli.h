// Runs the built tamsivane-cli through the shell and collects what it prints.
#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <string>

struct CliResult {
    int status = -1;
    std::string output;
};

// commandLine: the arguments and redirections, already quoted for the shell.
inline CliResult RunCli(const std::string& commandLine) {
    CliResult result;
    const std::string command = std::string(TAMSIVANE_CLI) + " " + commandLine;
    std::FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return result;
    char buffer[4096];
    size_t length;
    while ((length = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        result.output.append(buffer, length);
    }
    const int status = pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}
