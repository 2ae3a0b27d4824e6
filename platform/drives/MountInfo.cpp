#include "platform/drives/MountInfo.h"

#include "platform/drives/HostPaths.h"

namespace platform {

namespace {

bool isOctal(char c) {
    return c >= '0' && c <= '7';
}

// The kernel writes space, tab, newline and backslash in names as \ooo.
std::string unescape(std::string_view field) {
    std::string result;
    result.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && isOctal(field[i + 1]) &&
            isOctal(field[i + 2]) && isOctal(field[i + 3])) {
            const int value =
                (field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0');
            if (value <= 0xFF) {
                result += static_cast<char>(value);
                i += 3;
                continue;
            }
        }
        result += field[i];
    }
    return result;
}

std::vector<std::string_view> splitFields(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    while (start < line.size()) {
        while (start < line.size() && line[start] == ' ')
            ++start;
        std::size_t end = start;
        while (end < line.size() && line[end] != ' ')
            ++end;
        if (end > start)
            fields.push_back(line.substr(start, end - start));
        start = end;
    }
    return fields;
}

bool parseNumber(std::string_view text, unsigned& value) {
    if (text.empty() || text.size() > 9)
        return false;
    value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    return true;
}

bool parseLine(std::string_view line, MountEntry& entry) {
    const std::vector<std::string_view> fields = splitFields(line);
    // id, parent, major:minor, root, mount point, options, optional fields..., "-", file
    // system, source, super options
    std::size_t separator = 6;
    while (separator < fields.size() && fields[separator] != "-")
        ++separator;
    if (separator + 2 >= fields.size())
        return false;
    const std::string_view device = fields[2];
    const std::size_t colon = device.find(':');
    if (colon == std::string_view::npos || !parseNumber(device.substr(0, colon), entry.major) ||
        !parseNumber(device.substr(colon + 1), entry.minor))
        return false;
    entry.mountPoint = unescape(fields[4]);
    if (entry.mountPoint.empty() || entry.mountPoint.front() != '/')
        return false;
    entry.fileSystem = unescape(fields[separator + 1]);
    entry.source = unescape(fields[separator + 2]);
    entry.options = separator + 3 < fields.size() ? unescape(fields[separator + 3]) : "";
    return true;
}

} // namespace

std::vector<MountEntry> parseMountInfo(std::string_view text) {
    std::vector<MountEntry> table;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        MountEntry entry;
        if (parseLine(text.substr(start, end - start), entry))
            table.push_back(std::move(entry));
        start = end + 1;
    }
    return table;
}

const MountEntry* mountHolding(const std::vector<MountEntry>& table, std::string_view hostPath) {
    const MountEntry* best = nullptr;
    for (const MountEntry& entry : table) {
        const std::string point = host::normalize(entry.mountPoint);
        if (!host::isWithin(hostPath, point))
            continue;
        if (!best || point.size() >= host::normalize(best->mountPoint).size())
            best = &entry;
    }
    return best;
}

} // namespace platform
