// Runs the built tamsivane-cli through the shell and collects what it prints.
#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

struct CliResult {
    int status = -1;
    std::string output;
    std::string errors; // only from RunCliWithErrors
};

// commandLine: the arguments and redirections, already quoted for the shell;
// program: the tamsivane-cli to run (a copy elsewhere reads that folder's files).
inline CliResult RunCli(const std::string& commandLine,
                        const std::string& program = TAMSIVANE_CLI) {
    CliResult result;
    const std::string command = program + " " + commandLine;
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

// The same with standard input empty and standard error collected through
// the file errorsPath.
inline CliResult RunCliWithErrors(const std::string& commandLine, const std::string& errorsPath,
                                  const std::string& program = TAMSIVANE_CLI) {
    CliResult result = RunCli(commandLine + " 2>" + errorsPath + " </dev/null", program);
    std::ifstream in(errorsPath, std::ios::binary);
    result.errors.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return result;
}
