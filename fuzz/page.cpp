// The picture page. For any directory text and any list of names (any bytes but '/' and NUL,
// "." and ".." excepted, which name no file), the page
// - is what the page's blocks say, byte for byte, when written to its file;
// - tokenizes, by the HTML standard's rules, into exactly the page's own tags, comment and
//   texts, with one <img> per name and nothing else;
// - shows each name as its caption and the directory in its line: the text decodes to the
//   name's characters, a C1 control shown as U+FFFD and bytes that are no UTF-8 excepted;
// - has an Alt that decodes to the name without its extension, by the same rule;
// - has a SRC that, resolved as a browser resolves a relative URL against the page's file:
//   URL (in a folder and at the root), names the file's own bytes in the page's folder.
//
// Input: records separated by NUL bytes: the directory text, then the names.

#include "fuzz/Check.h"
#include "fuzz/FileUrl.h"
#include "fuzz/HtmlTokenizer.h"
#include "fuzz/Records.h"
#include "fuzz/ScratchFolder.h"
#include "fuzz/Utf8Units.h"
#include "index/CHTMLOutput.h"
#include "index/Feedback.h"
#include "index/StringList.h"
#include "platform/testing/FakeDriveTable.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace {

using fuzz::HtmlToken;
using fuzz::Units;

struct Folder {
    fuzz::ScratchFolder scratch{"pictavo-fuzz-page"};
    std::string root = scratch.path();
    platform::FakeDriveTable table;

    Folder() { table.map('C', root); }
};

Folder* folder = nullptr;

Units unitsOf(std::string_view ascii) {
    return Units(ascii.begin(), ascii.end());
}

// What a text should decode to: the name's characters, a C1 control as U+FFFD.
Units shownAs(std::string_view text) {
    Units units = fuzz::utf8Units(text);
    for (std::int32_t& unit : units) {
        if (unit >= 0x80 && unit <= 0x9F)
            unit = 0xFFFD;
    }
    return units;
}

bool sameText(const Units& actual, const Units& expected) {
    if (actual.size() != expected.size())
        return false;
    for (std::size_t i = 0; i < actual.size(); ++i) {
        const bool strayByte = expected[i] >= fuzz::ByteUnit;
        if (actual[i] != expected[i] && !(strayByte && actual[i] == 0xFFFD))
            return false;
    }
    return true;
}

void printUnits(const char* label, const Units& units) {
    std::fprintf(stderr, "%s:", label);
    for (const std::int32_t unit : units) {
        if (unit >= fuzz::ByteUnit)
            std::fprintf(stderr, " byte:%02X", unit - fuzz::ByteUnit);
        else if (unit > 0x20 && unit < 0x7F)
            std::fprintf(stderr, " %c", static_cast<char>(unit));
        else
            std::fprintf(stderr, " U+%04X", unit);
    }
    std::fputc('\n', stderr);
}

// Walks the tokens along the page's template.
class Walk {
public:
    Walk(const std::vector<HtmlToken>& tokens, const std::string& page)
        : m_tokens(tokens)
        , m_page(page) {}

    const HtmlToken& next(HtmlToken::Kind kind, const std::string& name, const char* what) {
        if (m_at >= m_tokens.size() || m_tokens[m_at].kind != kind || m_tokens[m_at].name != name) {
            std::fprintf(stderr, "expected %s <%s> as token %zu\n", what, name.c_str(), m_at);
            if (m_at < m_tokens.size()) {
                std::fprintf(stderr, "found kind %d <%s>\n", m_tokens[m_at].kind,
                             m_tokens[m_at].name.c_str());
                printUnits("its text", m_tokens[m_at].data);
            }
            fuzz::printBytes("page", m_page);
            fuzz::fail("the page holds exactly its own tags, one <img> per name");
        }
        return m_tokens[m_at++];
    }

    void start(const std::string& name,
               std::vector<std::pair<std::string, std::string>> attributes = {}) {
        const HtmlToken& tag = next(HtmlToken::StartTag, name, "start tag");
        bool same = tag.attributes.size() == attributes.size() && !tag.selfClosing;
        for (std::size_t i = 0; same && i < attributes.size(); ++i) {
            same = tag.attributes[i].first == attributes[i].first &&
                   tag.attributes[i].second == unitsOf(attributes[i].second);
        }
        if (!same) {
            fuzz::printBytes("page", m_page);
            std::fprintf(stderr, "tag <%s>\n", name.c_str());
            fuzz::fail("the page's own tags keep their attributes");
        }
    }

    const HtmlToken& img() { return next(HtmlToken::StartTag, "img", "start tag"); }

    void end(const std::string& name) { next(HtmlToken::EndTag, name, "end tag"); }

    void comment(std::string_view data) {
        fuzz::check(next(HtmlToken::Comment, "", "comment").data == unitsOf(data),
                    "the page's comment stays as it is");
    }

    const Units& text() { return next(HtmlToken::Text, "", "text").data; }

    void text(std::string_view exact) {
        if (text() != unitsOf(exact)) {
            fuzz::printBytes("page", m_page);
            fuzz::printBytes("expected text", exact);
            printUnits("text", m_tokens[m_at - 1].data);
            fuzz::fail("the page's own texts stay as they are");
        }
    }

    void finish() {
        if (m_at != m_tokens.size()) {
            fuzz::printBytes("page", m_page);
            fuzz::fail("nothing follows the page's end");
        }
    }

private:
    const std::vector<HtmlToken>& m_tokens;
    const std::string& m_page;
    std::size_t m_at = 0;
};

void checkShown(const Units& actual, std::string_view text, const char* property,
                const std::string& page) {
    const Units expected = shownAs(text);
    if (!sameText(actual, expected)) {
        fuzz::printBytes("page", page);
        fuzz::printBytes("text", text);
        printUnits("decodes to", actual);
        printUnits("expected", expected);
        fuzz::fail(property);
    }
}

void checkSource(const Units& source, const std::string& name, const std::string& page) {
    for (const std::vector<std::string>& folderPath :
         {std::vector<std::string>{"pics", "2001"}, std::vector<std::string>{}}) {
        std::vector<std::string> base = folderPath;
        base.push_back("index.html");
        const fuzz::ResolvedUrl resolved = fuzz::resolveFileUrl(source, base);
        bool names = resolved.path && resolved.path->size() == folderPath.size() + 1 &&
                     std::equal(folderPath.begin(), folderPath.end(), resolved.path->begin());
        names = names && fuzz::percentDecode(resolved.path->back()) == name;
        if (!names) {
            fuzz::printBytes("page", page);
            fuzz::printBytes("name", name);
            printUnits("SRC", source);
            std::fprintf(stderr, "page in /%s: ", folderPath.empty() ? "" : "pics/2001/");
            if (resolved.path) {
                for (const std::string& segment : *resolved.path)
                    fuzz::printBytes("resolves to segment", fuzz::percentDecode(segment));
            } else {
                std::fprintf(stderr, "no file: %s\n", resolved.why.c_str());
            }
            fuzz::fail("each SRC names the file's own bytes in the page's folder");
        }
    }
}

void checkPage(const std::string& page, const std::string& directory,
               const std::vector<std::string>& names, const CHTMLOutput& output) {
    fuzz::HtmlTokenizer tokenizer;
    const std::vector<HtmlToken> tokens = tokenizer.tokenize(page);
    if (!tokenizer.error().empty()) {
        fuzz::printBytes("page", page);
        std::fprintf(stderr, "%s\n", tokenizer.error().c_str());
        fuzz::fail("the page tokenizes without what the page never writes");
    }
    Walk walk(tokens, page);
    walk.start("html");
    walk.text("\n");
    walk.start("head");
    walk.text("\n\n");
    walk.start("title");
    walk.text("Images");
    walk.end("title");
    walk.text("\n\n");
    walk.start("meta", {{"name", "GENERATOR"}, {"content", "Zelmar Pictavo 1.0"}});
    walk.text("\n");
    walk.comment(" hmmm... I think I saw this in a MS app, too ;-)");
    walk.text("\n");
    walk.end("head");
    walk.text("\n");
    walk.start("body");
    walk.text("\n");
    walk.start("p");
    walk.start("font", {{"size", "4"}});
    walk.start("strong");
    walk.text("Generated by Zelmar Pictavo 1.0");
    walk.end("strong");
    walk.end("font");
    for (int i = 0; i < 2; ++i) {
        walk.start("br");
        walk.text("\n");
    }
    walk.start("br");
    {
        const std::string before = "\nContents of directory '";
        const std::string after = "' (" + std::to_string(names.size()) + " Images):";
        const Units& line = walk.text();
        const bool framed = line.size() >= before.size() + after.size() &&
                            Units(line.begin(), line.begin() + before.size()) == unitsOf(before) &&
                            Units(line.end() - after.size(), line.end()) == unitsOf(after);
        if (!framed) {
            fuzz::printBytes("page", page);
            fuzz::fail("the directory line keeps its frame");
        }
        checkShown(Units(line.begin() + before.size(), line.end() - after.size()), directory,
                   "the directory line shows the directory", page);
    }
    for (int i = 0; i < 3; ++i) {
        walk.start("br");
        walk.text("\n");
    }
    walk.end("p");
    walk.text("\n\n");
    walk.start("table", {{"border", "1"}, {"width", "100%"}});
    walk.text("\n");
    const bool sized = output.ImageHeight != 0 || output.ImageWidth != 0;
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::string& name = names[i];
        if (i % 3 == 0)
            walk.start("tr");
        walk.text("\n ");
        walk.start("td", {{"align", "center"}, {"valign", "top"}});
        walk.start("strong");
        checkShown(walk.text(), name, "each caption shows its name", page);
        walk.end("strong");
        walk.start("br");
        walk.text("\n ");
        const HtmlToken& img = walk.img();
        const std::size_t count = sized ? 4 : 2;
        bool shape = img.attributes.size() == count && !img.selfClosing &&
                     img.attributes[0].first == "src" && img.attributes[1].first == "alt";
        if (shape && sized) {
            shape = img.attributes[2].first == "width" && img.attributes[3].first == "height" &&
                    img.attributes[2].second == unitsOf(std::to_string(output.ImageWidth)) &&
                    img.attributes[3].second == unitsOf(std::to_string(output.ImageHeight));
        }
        if (!shape) {
            fuzz::printBytes("page", page);
            fuzz::fail("each <img> has SRC, Alt and the sizes, nothing else");
        }
        checkSource(img.attributes[0].second, name, page);
        checkShown(img.attributes[1].second, FileNameWithoutExtension(name),
                   "each Alt shows the name without its extension", page);
        walk.end("td");
        if (i % 3 == 2 || i + 1 == names.size()) {
            walk.text("\n");
            walk.end("tr");
            walk.text("\n");
        }
    }
    walk.end("table");
    walk.text("\n\n");
    walk.end("body");
    walk.text("\n");
    walk.end("html");
    walk.text("\n\n");
    walk.finish();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    folder = new Folder;
    std::atexit([] { delete folder; });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::string_view> parts = fuzz::records(data, size);
    if (parts.size() > 64)
        return 0;
    const std::string directory(parts[0]);
    std::vector<std::string> names;
    StringList files;
    for (std::size_t i = 1; i < parts.size(); ++i) {
        const std::string_view name = parts[i];
        if (name.empty() || name == "." || name == ".." || name.find('/') != name.npos)
            continue;
        names.emplace_back(name);
        files.append(std::string(name));
    }

    CHTMLOutput output;
    output.Directory = "C:";
    output.FileName = "index.html";
    if (directory.size() % 2 == 1) {
        output.ImageWidth = static_cast<std::int32_t>(directory.size() * 37) - 100;
        output.ImageHeight = static_cast<std::int32_t>(size % 5);
    }
    output.WriteIndex(files);
    const std::string blocks = output.BuildHeader() + output.LineBreak + output.BuildTable() +
                               output.LineBreak + output.BuildFooter() + output.LineBreak;
    std::ifstream file(folder->root + "/index.html", std::ios::binary);
    const std::string written((std::istreambuf_iterator<char>(file)),
                              std::istreambuf_iterator<char>());
    if (written != blocks) {
        fuzz::printBytes("written", written);
        fuzz::printBytes("blocks", blocks);
        fuzz::fail("the page written is its blocks, byte for byte");
    }

    output.Directory = directory;
    const std::string page = output.BuildHeader() + output.LineBreak + output.BuildTable() +
                             output.LineBreak + output.BuildFooter() + output.LineBreak;
    checkPage(page, directory, names, output);
    return 0;
}
