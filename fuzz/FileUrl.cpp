#include "fuzz/FileUrl.h"

#include "fuzz/Utf8Units.h"

namespace fuzz {

namespace {

bool isAsciiAlpha(std::int32_t c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isAsciiAlphanumeric(std::int32_t c) {
    return isAsciiAlpha(c) || (c >= '0' && c <= '9');
}

char asciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
}

bool isWindowsDriveLetter(const std::string& text) {
    return text.size() == 2 && isAsciiAlpha(text[0]) && (text[1] == ':' || text[1] == '|');
}

bool isNormalizedWindowsDriveLetter(const std::string& text) {
    return isWindowsDriveLetter(text) && text[1] == ':';
}

bool startsWithWindowsDriveLetter(const Units& input, std::size_t from) {
    if (input.size() - from < 2 || !isAsciiAlpha(input[from]) ||
        (input[from + 1] != ':' && input[from + 1] != '|'))
        return false;
    if (input.size() - from == 2)
        return true;
    const std::int32_t third = input[from + 2];
    return third == '/' || third == '\\' || third == '?' || third == '#';
}

std::string lowered(const std::string& text) {
    std::string result = text;
    for (char& c : result)
        c = asciiLower(c);
    return result;
}

bool isSingleDot(const std::string& segment) {
    const std::string s = lowered(segment);
    return s == "." || s == "%2e";
}

bool isDoubleDot(const std::string& segment) {
    const std::string s = lowered(segment);
    return s == ".." || s == ".%2e" || s == "%2e." || s == "%2e%2e";
}

void shorten(std::vector<std::string>& path) {
    if (path.empty())
        return;
    if (path.size() == 1 && isNormalizedWindowsDriveLetter(path[0]))
        return;
    path.pop_back();
}

// UTF-8 percent-encoding: which ASCII characters of the set are encoded does not change what
// the segment decodes to, so every character outside printable ASCII is, and '%' is not.
void appendEncoded(std::string& buffer, std::int32_t c) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    const auto encodeByte = [&](unsigned byte) {
        buffer += '%';
        buffer += kHex[byte >> 4];
        buffer += kHex[byte & 15];
    };
    if (c > 0x20 && c < 0x7F && c != '"' && c != '<' && c != '>' && c != '`' && c != '{' &&
        c != '}') {
        buffer += static_cast<char>(c);
    } else if (c < 0x80) {
        encodeByte(static_cast<unsigned>(c));
    } else if (c < 0x800) {
        encodeByte(0xC0 | (c >> 6));
        encodeByte(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        encodeByte(0xE0 | (c >> 12));
        encodeByte(0x80 | ((c >> 6) & 0x3F));
        encodeByte(0x80 | (c & 0x3F));
    } else {
        encodeByte(0xF0 | (c >> 18));
        encodeByte(0x80 | ((c >> 12) & 0x3F));
        encodeByte(0x80 | ((c >> 6) & 0x3F));
        encodeByte(0x80 | (c & 0x3F));
    }
}

} // namespace

std::string percentDecode(const std::string& segment) {
    const auto hex = [](char c) {
        if (c >= '0' && c <= '9')
            return c - '0';
        c = asciiLower(c);
        return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
    };
    std::string bytes;
    for (std::size_t i = 0; i < segment.size(); ++i) {
        if (segment[i] == '%' && i + 2 < segment.size() && hex(segment[i + 1]) >= 0 &&
            hex(segment[i + 2]) >= 0) {
            bytes += static_cast<char>(hex(segment[i + 1]) * 16 + hex(segment[i + 2]));
            i += 2;
        } else {
            bytes += segment[i];
        }
    }
    return bytes;
}

ResolvedUrl resolveFileUrl(const Units& reference, const std::vector<std::string>& basePath) {
    for (const std::int32_t c : reference) {
        if (c >= ByteUnit)
            return {std::nullopt, "a byte beyond ASCII, which the page's encoding decides"};
    }
    // Leading and trailing C0 controls and spaces go, then every tab and newline.
    std::size_t first = 0;
    std::size_t last = reference.size();
    while (first < last && reference[first] <= 0x20)
        ++first;
    while (last > first && reference[last - 1] <= 0x20)
        --last;
    Units input;
    for (std::size_t i = first; i < last; ++i) {
        if (reference[i] != '\t' && reference[i] != '\n' && reference[i] != '\r')
            input.push_back(reference[i]);
    }

    // Scheme start and scheme states.
    std::size_t pointer = 0;
    if (!input.empty() && isAsciiAlpha(input[0])) {
        std::string scheme;
        std::size_t i = 0;
        while (i < input.size() && (isAsciiAlphanumeric(input[i]) || input[i] == '+' ||
                                    input[i] == '-' || input[i] == '.'))
            scheme += asciiLower(static_cast<char>(input[i++]));
        if (i < input.size() && input[i] == ':') {
            if (scheme != "file")
                return {std::nullopt, "read as a URL of the scheme \"" + scheme + "\""};
            pointer = i + 1;
        }
    }

    // File state, with the base a file: URL.
    const std::int32_t c = pointer < input.size() ? input[pointer] : -1;
    if (c == '/' || c == '\\')
        return {std::nullopt, "a path from the root or a host, not from the page's folder"};
    std::vector<std::string> path = basePath;
    if (c == -1 || c == '?' || c == '#')
        return {path, {}}; // the page itself
    if (!startsWithWindowsDriveLetter(input, pointer))
        shorten(path);
    else
        path.clear();

    // Path state.
    std::string buffer;
    for (std::size_t i = pointer;; ++i) {
        const std::int32_t d = i < input.size() ? input[i] : -1;
        if (d == -1 || d == '/' || d == '\\' || d == '?' || d == '#') {
            const bool slash = d == '/' || d == '\\';
            if (isDoubleDot(buffer)) {
                shorten(path);
                if (!slash)
                    path.emplace_back();
            } else if (isSingleDot(buffer) && !slash) {
                path.emplace_back();
            } else if (!isSingleDot(buffer)) {
                if (path.empty() && isWindowsDriveLetter(buffer))
                    buffer[1] = ':';
                path.push_back(buffer);
            }
            buffer.clear();
            if (!slash)
                break; // end, query or fragment: the path is complete
        } else {
            appendEncoded(buffer, d);
        }
    }
    return {path, {}};
}

} // namespace fuzz
