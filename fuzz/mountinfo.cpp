// The mount-table reader, two ways. Starting with an even byte, the input describes entries
// (records separated by NUL bytes: mount point, file system, source, options, four at a time)
// that are written as the kernel writes them, space, tab, newline and backslash as \ooo, with
// optional fields before the "-"; reading that text gives back every entry, field for field.
// Starting with an odd byte, the rest is taken as a table as it stands and read both by the
// program and by the plain reader below, which must agree; the sanitizer sees the input's
// exact bounds, so a read past the text stops the run.

#include "platform/drives/MountInfo.h"
#include "fuzz/Check.h"
#include "fuzz/Records.h"

#include <cstdio>
#include <memory>
#include <string>

namespace {

using platform::MountEntry;

std::string escaped(std::string_view field) {
    std::string result;
    for (const char c : field) {
        if (c == ' ' || c == '\t' || c == '\n' || c == '\\') {
            const auto byte = static_cast<unsigned char>(c);
            result += '\\';
            result += static_cast<char>('0' + (byte >> 6));
            result += static_cast<char>('0' + ((byte >> 3) & 7));
            result += static_cast<char>('0' + (byte & 7));
        } else {
            result += c;
        }
    }
    return result;
}

bool sameEntries(const std::vector<MountEntry>& a, const std::vector<MountEntry>& b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].major != b[i].major || a[i].minor != b[i].minor ||
            a[i].mountPoint != b[i].mountPoint || a[i].fileSystem != b[i].fileSystem ||
            a[i].source != b[i].source || a[i].options != b[i].options)
            return false;
    }
    return true;
}

void printEntries(const char* label, const std::vector<MountEntry>& entries) {
    std::fprintf(stderr, "%s: %zu entries\n", label, entries.size());
    for (const MountEntry& entry : entries) {
        std::fprintf(stderr, "  %u:%u\n", entry.major, entry.minor);
        fuzz::printBytes("  mount point", entry.mountPoint);
        fuzz::printBytes("  file system", entry.fileSystem);
        fuzz::printBytes("  source", entry.source);
        fuzz::printBytes("  options", entry.options);
    }
}

// The table read line by line, field by field, exactly as its format describes it.
std::vector<MountEntry> referenceRead(std::string_view text) {
    const auto decode = [](std::string_view field) {
        std::string out;
        std::size_t i = 0;
        while (i < field.size()) {
            const std::string_view rest = field.substr(i);
            if (rest.size() >= 4 && rest[0] == '\\' && rest[1] >= '0' && rest[1] <= '3' &&
                rest[2] >= '0' && rest[2] <= '7' && rest[3] >= '0' && rest[3] <= '7') {
                out +=
                    static_cast<char>((rest[1] - '0') * 64 + (rest[2] - '0') * 8 + (rest[3] - '0'));
                i += 4;
            } else {
                out += field[i++];
            }
        }
        return out;
    };
    const auto number = [](std::string_view digits, unsigned& value) {
        if (digits.empty() || digits.size() > 9 ||
            digits.find_first_not_of("0123456789") != std::string_view::npos)
            return false;
        value = static_cast<unsigned>(std::stoul(std::string(digits)));
        return true;
    };
    std::vector<MountEntry> entries;
    std::string_view rest = text;
    while (!rest.empty()) {
        const std::size_t newline = rest.find('\n');
        const std::string_view line = rest.substr(0, newline);
        rest = newline == std::string_view::npos ? std::string_view() : rest.substr(newline + 1);
        std::vector<std::string_view> fields;
        for (std::size_t i = 0; i < line.size();) {
            if (line[i] == ' ') {
                ++i;
                continue;
            }
            const std::size_t end = std::min(line.find(' ', i), line.size());
            fields.push_back(line.substr(i, end - i));
            i = end;
        }
        std::size_t dash = 6;
        while (dash < fields.size() && fields[dash] != "-")
            ++dash;
        if (dash + 2 >= fields.size())
            continue;
        MountEntry entry;
        const std::size_t colon = fields[2].find(':');
        if (colon == std::string_view::npos || !number(fields[2].substr(0, colon), entry.major) ||
            !number(fields[2].substr(colon + 1), entry.minor))
            continue;
        entry.mountPoint = decode(fields[4]);
        if (entry.mountPoint.empty() || entry.mountPoint[0] != '/')
            continue;
        entry.fileSystem = decode(fields[dash + 1]);
        entry.source = decode(fields[dash + 2]);
        if (dash + 3 < fields.size())
            entry.options = decode(fields[dash + 3]);
        entries.push_back(entry);
    }
    return entries;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    if ((data[0] & 1) != 0) {
        // A copy of exactly the input's length, so one byte too far is a heap overflow.
        const std::unique_ptr<char[]> copy(new char[size - 1]);
        std::copy(data + 1, data + size, copy.get());
        const std::string_view text(copy.get(), size - 1);
        const std::vector<MountEntry> read = platform::parseMountInfo(text);
        const std::vector<MountEntry> expected = referenceRead(text);
        if (!sameEntries(read, expected)) {
            fuzz::printBytes("table", text);
            printEntries("read", read);
            printEntries("expected", expected);
            fuzz::fail("the reader agrees with the plain reader");
        }
        return 0;
    }

    const std::vector<std::string_view> parts = fuzz::records(data + 1, size - 1);
    std::vector<MountEntry> entries;
    std::string table;
    for (std::size_t i = 0; i + 4 <= parts.size(); i += 4) {
        MountEntry entry;
        entry.major = static_cast<unsigned>(i * 7 % 300);
        entry.minor = static_cast<unsigned>(parts[i].size());
        // The kernel names every mount point from the root and never writes an empty field.
        entry.mountPoint = "/" + std::string(parts[i]);
        entry.fileSystem = parts[i + 1].empty() ? "none" : std::string(parts[i + 1]);
        entry.source = parts[i + 2].empty() ? "none" : std::string(parts[i + 2]);
        entry.options = parts[i + 3].empty() ? "rw" : std::string(parts[i + 3]);
        table += std::to_string(20 + i) + " 1 " + std::to_string(entry.major) + ':' +
                 std::to_string(entry.minor) + " / " + escaped(entry.mountPoint) + " rw,nosuid";
        for (std::size_t optional = 0; optional < i % 3; ++optional)
            table += " shared:" + std::to_string(optional + 1);
        table += " - " + escaped(entry.fileSystem) + ' ' + escaped(entry.source) + ' ' +
                 escaped(entry.options) + '\n';
        entries.push_back(std::move(entry));
    }
    const std::vector<MountEntry> read = platform::parseMountInfo(table);
    if (!sameEntries(read, entries)) {
        fuzz::printBytes("table", table);
        printEntries("read", read);
        printEntries("written", entries);
        fuzz::fail("every entry written as the kernel writes it reads back unchanged");
    }
    return 0;
}
