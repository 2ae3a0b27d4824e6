#include "cli/CommandLine.h"

#include <string_view>

namespace {

bool isOptionLike(std::string_view argument) {
    return argument.size() > 1 && argument.front() == '-';
}

} // namespace

CommandLine CommandLine::parse(const std::vector<std::string>& arguments) {
    CommandLine line;
    std::optional<std::string> output;
    bool optionsEnded = false;
    auto fail = [&line](std::string message) {
        if (line.error.empty())
            line.error = std::move(message);
    };

    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (optionsEnded || !isOptionLike(argument)) {
            if (line.directory)
                fail("more than one directory given: '" + *line.directory + "' and '" + argument +
                     "'");
            else
                line.directory = argument;
            continue;
        }
        if (argument == "--") {
            optionsEnded = true;
            continue;
        }

        const std::size_t equals = argument.find('=');
        const std::string name = argument.substr(0, equals);
        const bool inlineValue = equals != std::string::npos;

        if (name == "-h" || name == "--help" || name == "--version" || name == "--open") {
            if (inlineValue) {
                fail("option '" + name + "' takes no value");
            } else if (name == "--open") {
                line.open = true;
            } else if (name == "--version") {
                line.version = true;
            } else {
                line.help = true;
            }
            continue;
        }

        std::optional<std::string>* target = nullptr;
        if (name == "--height")
            target = &line.height;
        else if (name == "--width")
            target = &line.width;
        else if (name == "--output")
            target = &output;
        else {
            fail("unknown option '" + name + "'");
            continue;
        }

        std::string value;
        if (inlineValue) {
            value = argument.substr(equals + 1);
        } else if (i + 1 < arguments.size() && !arguments[i + 1].starts_with("--")) {
            value = arguments[++i];
        } else {
            fail("option '" + name + "' needs a value");
            continue;
        }

        if (target->has_value())
            fail("option '" + name + "' given more than once");
        else
            *target = std::move(value);
    }
    if (output)
        line.output = *output;

    if (line.help || line.version)
        return line;
    if (!line.directory)
        fail("no directory given");
    else if (line.directory->find('\\') != std::string::npos)
        fail("'" + *line.directory +
             "' cannot be indexed: a directory path holding '\\' has no drive path");
    return line;
}
