#include "selectors/ResolveDirectory.h"

#include "platform/drives/Paths.h"
#include "platform/errors/EInOutError.h"
#include "platform/files/FileExists.h"

namespace {

bool isSeparator(char c) {
    return c == '\\' || c == '/';
}

bool isAbsolute(const std::string& value) {
    return value.size() >= 3 && value[1] == ':' && isSeparator(value[2]);
}

// The folder a path names, checked as entering it would check it.
std::string find(const std::string& path) {
    std::string absolute;
    if (const int error = platform::findDirectory(path, absolute))
        throw EInOutError(error);
    return absolute;
}

std::string joined(const std::string& directory, const std::string& name) {
    return directory.back() == '\\' ? directory + name : directory + '\\' + name;
}

} // namespace

std::string resolveDirectory(const std::string& value) {
    std::string exact;
    if (isAbsolute(value) && platform::findDirectory(value, exact) == 0)
        return exact;

    const std::string current = platform::getCurrentDirectory();
    char drive = current[0];
    std::string path = value;
    if (path.size() >= 2 && path.front() == '[' && path.back() == ']') {
        path = path.substr(1, path.size() - 2);
    } else if (path.find(':') == 1) {
        drive = path[0];
        path.erase(0, 2);
    }
    // What the drive's own current directory is: the current one, or another drive's
    // remembered one (its root once that has gone).
    const std::string base = drive == current[0] ? current : find(std::string{drive, ':'});

    std::size_t split = path.size();
    while (split > 0 && !isSeparator(path[split - 1]) && path[split - 1] != ':')
        --split;
    const std::string name = path.substr(split, 255);
    const std::size_t nameLength = path.size() - split;
    std::string directory;
    if (path.size() == nameLength + 1) {
        directory = find(base.substr(0, 3));
    } else if (path.size() > nameLength) {
        path.erase(path.size() - nameLength - 1);
        // A directory part without a drive is taken on the drive it resolves on.
        directory =
            isSeparator(path.front()) ? find(base.substr(0, 2) + path) : find(joined(base, path));
    } else {
        // A bare name is looked for in the drive's directory, which need not exist any more
        // for ".." to lead out of it.
        directory = base;
    }
    if (!name.empty() && name.find_first_of("*?") == std::string::npos &&
        !platform::fileExists(joined(directory, name)))
        directory = find(joined(directory, name));
    return directory;
}
