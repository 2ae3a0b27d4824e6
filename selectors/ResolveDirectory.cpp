#include "selectors/ResolveDirectory.h"

#include "platform/drives/Paths.h"
#include "platform/errors/EInOutError.h"
#include "platform/files/FileExists.h"

namespace {

void enter(const std::string& path) {
    if (const int error = platform::setCurrentDirectory(path))
        throw EInOutError(error);
}

bool isSeparator(char c) {
    return c == '\\' || c == '/';
}

} // namespace

ResolvedDirectory ResolveDirectory(const std::string& value) {
    const std::string saved = platform::getCurrentDirectory();
    ResolvedDirectory result;
    result.drive = saved[0];
    std::string path = value;
    if (path.size() >= 2 && path.front() == '[' && path.back() == ']') {
        path = path.substr(1, path.size() - 2);
    } else if (path.find(':') == 1) {
        result.drive = path[0];
        path.erase(0, 2);
    }

    try {
        if (result.drive != saved[0])
            enter(std::string{result.drive, ':'});
        std::size_t split = path.size();
        while (split > 0 && !isSeparator(path[split - 1]) && path[split - 1] != ':')
            --split;
        std::string name = path.substr(split, 255);
        const std::size_t nameLength = path.size() - split;
        if (path.size() == nameLength + 1)
            path.assign(1, '\\');
        else if (path.size() > nameLength)
            path.erase(path.size() - nameLength - 1);
        else
            path = platform::getCurrentDirectory().substr(2);
        if (!path.empty())
            enter(path);
        if (!name.empty() && name.find_first_of("*?") == std::string::npos &&
            !platform::fileExists(name)) {
            enter(name);
            if (path != "\\")
                path += '\\';
            path.append(name);
        }
    } catch (...) {
        if (const int error = platform::setCurrentDirectory(saved))
            throw EInOutError(error);
        throw;
    }
    if (const int error = platform::setCurrentDirectory(saved))
        throw EInOutError(error);
    result.directory = path;
    return result;
}
