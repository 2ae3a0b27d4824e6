#include "index/PageText.h"

#include <array>

namespace {

// What a byte needs: nothing, an entity in page text (and in SRC), percent-encoding in SRC,
// percent-encoding in SRC where a browser would take it for part of an address (Address: a
// scheme's ':', a drive's '|', the separator '\'), a look at the next byte ('&'), or, beyond
// ASCII, a character reference in page text and percent-encoding in SRC.
enum ByteClass : unsigned char {
    Plain = 0,
    Markup = 1,
    Link = 2,
    NonAscii = 4,
    Ampersand = 8,
    Address = 16
};

constexpr std::array<unsigned char, 256> kByteClasses = [] {
    std::array<unsigned char, 256> classes{};
    for (int byte = 0x01; byte < 0x20; ++byte)
        classes[byte] = Link;
    for (unsigned char byte : {'%', '#', '?', '\x7f'})
        classes[byte] = Link;
    for (unsigned char byte : {'<', '>', '"'})
        classes[byte] = Markup;
    classes['&'] = Ampersand;
    for (unsigned char byte : {':', '|', '\\'})
        classes[byte] = Address;
    for (int byte = 0x80; byte < 0x100; ++byte)
        classes[byte] = NonAscii;
    return classes;
}();

unsigned char classesOf(std::string_view text) {
    unsigned char classes = Plain;
    for (char c : text)
        classes |= kByteClasses[static_cast<unsigned char>(c)];
    return classes;
}

// The length of the well-formed UTF-8 sequence at text[i] and its code point; 0 when the
// bytes there are not one.
std::size_t decodeUtf8(std::string_view text, std::size_t i, char32_t& codePoint) {
    const auto byte = [&](std::size_t at) { return static_cast<unsigned char>(text[at]); };
    const unsigned char lead = byte(i);
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        codePoint = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        codePoint = lead & 0x0F;
        low = lead == 0xE0 ? 0xA0 : 0x80;  // no overlong forms
        high = lead == 0xED ? 0x9F : 0xBF; // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        codePoint = lead & 0x07;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (i + length > text.size() || byte(i + 1) < low || byte(i + 1) > high)
        return 0;
    for (std::size_t k = 1; k < length; ++k) {
        if (k > 1 && (byte(i + k) < 0x80 || byte(i + k) > 0xBF))
            return 0;
        codePoint = (codePoint << 6) | (byte(i + k) & 0x3F);
    }
    return length;
}

void appendEntity(std::string& out, char c) {
    out.append(c == '<'   ? std::string_view("&lt;")
               : c == '>' ? std::string_view("&gt;")
                          : std::string_view("&quot;"));
}

// A '&' before a letter, a digit or '#' would begin a character reference (in text even
// without its ';': "&copy" shows as a sign), so the page would show or link another name.
// Any other '&' stays, and pages for names like "Tom & Jerry's.gif" keep their bytes.
bool beginsReference(std::string_view text, std::size_t i) {
    if (i + 1 >= text.size())
        return false;
    const char next = text[i + 1];
    return (next >= 'a' && next <= 'z') || (next >= 'A' && next <= 'Z') ||
           (next >= '0' && next <= '9') || next == '#';
}

// Whether a browser would take the start of a link as more than a name in the page's folder:
// a scheme ("photo:1.jpg" is a link of the scheme "photo", "file:a.jpg" names "a.jpg"), or a
// drive ("C|", which a page at the root links as "C:"). '\' separates folders in a link.
bool readsAsAddress(std::string_view name, std::size_t i) {
    if (name[i] == '\\')
        return true;
    const auto isAlpha = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
    if (name[i] == '|')
        return name.size() == 2 && i == 1 && isAlpha(name[0]);
    if (i == 0 || !isAlpha(name[0]) || name.find(':') != i)
        return false;
    for (const char c : name.substr(1, i - 1)) {
        if (!isAlpha(c) && !(c >= '0' && c <= '9') && c != '+' && c != '-' && c != '.')
            return false;
    }
    return true;
}

} // namespace

// Page text: a name or the directory must not open a tag, close an attribute or begin a
// reference. The rule for bytes beyond ASCII: the page names no character set, so a browser
// reads it in its own default, never reliably UTF-8; every well-formed UTF-8 character is
// therefore written as a decimal reference and a page of UTF-8 names is pure ASCII. C1
// controls (U+0080-U+009F) are the exception: browsers show "&#128;" to "&#159;" as
// windows-1252 characters ("&#128;" as a euro sign), so they are written as U+FFFD, the one
// honest stand-in, and no caption shows a character the name does not hold. Bytes that are
// no UTF-8 have no character to refer to and stand as they are.
void pagetext::appendText(std::string& out, std::string_view text) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const unsigned char byteClass = kByteClasses[static_cast<unsigned char>(text[i])];
        if (byteClass == Markup) {
            out.append(text.data() + start, i - start);
            appendEntity(out, text[i]);
            start = i + 1;
        } else if (byteClass == Ampersand && beginsReference(text, i)) {
            out.append(text.data() + start, i - start);
            out.append("&amp;");
            start = i + 1;
        } else if (text[i] == '\r') {
            // A browser reads every CR in the page as LF before it looks at the markup.
            out.append(text.data() + start, i - start);
            out.append("&#13;");
            start = i + 1;
        } else if (byteClass == NonAscii) {
            char32_t codePoint = 0;
            const std::size_t length = decodeUtf8(text, i, codePoint);
            if (length == 0)
                continue;
            if (codePoint <= 0x9F)
                codePoint = 0xFFFD;
            out.append(text.data() + start, i - start);
            out.append("&#").append(std::to_string(codePoint)).append(1, ';');
            i += length - 1;
            start = i + 1;
        }
    }
    out.append(text.data() + start, text.size() - start);
}

// SRC value: the bare name, except for the bytes a browser would not take literally in a link
// and a '&' that would begin a reference. Every byte beyond ASCII is percent-encoded, so
// that the link names the file's own bytes whether or not they are UTF-8.
void pagetext::appendSource(std::string& out, std::string_view name) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::size_t start = 0;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const auto byte = static_cast<unsigned char>(name[i]);
        const unsigned char byteClass = kByteClasses[byte];
        const bool edgeSpace = byte == ' ' && (i == 0 || i + 1 == name.size());
        if ((byteClass == Plain && !edgeSpace) ||
            (byteClass == Ampersand && !beginsReference(name, i)) ||
            (byteClass == Address && !readsAsAddress(name, i)))
            continue;
        out.append(name.data() + start, i - start);
        if (byteClass == Markup) {
            appendEntity(out, name[i]);
        } else if (byteClass == Ampersand) {
            out.append("&amp;");
        } else {
            const char encoded[3] = {'%', kHex[byte >> 4], kHex[byte & 0x0F]};
            out.append(encoded, 3);
        }
        start = i + 1;
    }
    out.append(name.data() + start, name.size() - start);
}

bool pagetext::isPlain(std::string_view name) {
    return !name.empty() && classesOf(name) == Plain && name.front() != ' ' && name.back() != ' ';
}
