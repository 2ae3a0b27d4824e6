#pragma once

#include <optional>
#include <string>
#include <vector>

// The arguments of pictavo-index, parsed without judging the values the index run checks.
struct CommandLine {
    std::optional<std::string> height;
    std::optional<std::string> width;
    std::string output = "index.html";
    bool open = false;
    std::optional<std::string> directory; // host path as given
    bool help = false;
    bool version = false;
    std::string error; // not empty: the arguments cannot be used, and why

    // The arguments after the program name.
    static CommandLine parse(const std::vector<std::string>& arguments);
};
