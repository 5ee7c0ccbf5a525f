#include "CaseFiles.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>

namespace tamsivane::casefile {

std::string_view Trim(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) {
        text.remove_prefix(1);
    }
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) {
        text.remove_suffix(1);
    }
    return text;
}

std::string TrimRight(std::string_view text) {
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return std::string(text);
}

namespace {

bool IsBlockKeyword(const std::string& keyword) {
    return keyword == "screen" || keyword == "history" || keyword == "output" ||
           keyword == "errors";
}

void MarkError(Case& c, int line, std::string message) {
    if (c.errorLine == 0) {
        c.errorLine = line;
        c.error = std::move(message);
    }
}

void ParseFile(const std::filesystem::path& path, std::vector<Case>& cases) {
    const std::string file = path.string();
    const std::string stem = path.stem().string();
    std::ifstream in(path, std::ios::binary);
    Case header{file, stem, "header", 1, 0, {}, 0, {}};
    if (!in) {
        MarkError(header, 1, "cannot read the file");
        cases.push_back(std::move(header));
        return;
    }
    Case* current = nullptr;
    int index = 0;
    int lineNumber = 0;
    std::string text;
    std::vector<Case> fileCases;
    while (std::getline(in, text)) {
        ++lineNumber;
        if (!text.empty() && text.back() == '\r') text.pop_back();
        const std::string_view trimmed = Trim(text);
        if (trimmed.empty() || trimmed.front() == '#') continue;
        if (trimmed.rfind("===", 0) == 0) {
            fileCases.push_back(Case{
                file, stem, std::string(Trim(trimmed.substr(3))), lineNumber, ++index, {}, 0, {}});
            current = &fileCases.back();
            continue;
        }
        Case& target = current ? *current : header;
        if (!current) {
            MarkError(header, lineNumber, "directive before the first \"===\" line");
            continue;
        }
        if (trimmed.front() == '|') {
            if (target.directives.empty() || !IsBlockKeyword(target.directives.back().keyword)) {
                MarkError(target, lineNumber, "\"|\" row outside a screen or history block");
            } else {
                target.directives.back().rows.push_back(std::string(trimmed.substr(1)));
            }
            continue;
        }
        // The keyword ends at the first blank; the argument is the rest after
        // that one blank (input keeps its exact bytes).
        const std::string_view body = std::string_view(text).substr(text.find_first_not_of(" \t"));
        const size_t blank = body.find(' ');
        Directive directive;
        directive.line = lineNumber;
        directive.keyword = std::string(body.substr(0, blank));
        if (blank != std::string_view::npos)
            directive.argument = std::string(body.substr(blank + 1));
        target.directives.push_back(std::move(directive));
    }
    if (header.errorLine != 0 || fileCases.empty()) {
        if (fileCases.empty()) MarkError(header, 1, "the file holds no case");
        cases.push_back(std::move(header));
    }
    for (Case& c : fileCases) cases.push_back(std::move(c));
}

} // namespace

std::vector<Case> LoadCases(std::string_view folderName, std::string_view extension) {
    std::vector<Case> cases;
    const std::filesystem::path folder = std::filesystem::path(TAMSIVANE_TEST_DATA) / folderName;
    std::vector<std::filesystem::path> files;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        if (entry.path().extension() == extension) files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    for (const auto& path : files) ParseFile(path, cases);
    if (cases.empty()) {
        Case none{folder.string(), std::string(folderName), "none", 0, 0, {}, 0, {}};
        MarkError(none, 1, "no " + std::string(extension) + " case file found");
        cases.push_back(std::move(none));
    }
    return cases;
}

std::string TestName(const ::testing::TestParamInfo<Case>& info) {
    const Case& c = info.param;
    char number[8];
    std::snprintf(number, sizeof number, "%03d", c.index);
    std::string name = c.fileStem + "_" + number + "_";
    for (char ch : c.title.substr(0, 60)) {
        name += std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
    }
    for (char& ch : name) {
        if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
    }
    return name;
}

void PrintTo(const Case& c, std::ostream* out) {
    *out << c.file << ":" << c.line << " " << c.title;
}

} // namespace tamsivane::casefile
