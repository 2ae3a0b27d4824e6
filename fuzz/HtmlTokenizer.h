#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace fuzz {

// Characters as the tokenizer hands them on: code points, and ByteUnit + b for a byte beyond
// ASCII in the page, whose meaning the page's (unnamed) encoding decides.
using Units = std::vector<std::int32_t>;

struct HtmlToken {
    enum Kind { StartTag, EndTag, Comment, Text };
    Kind kind = Text;
    std::string name; // tag name, lower case
    std::vector<std::pair<std::string, Units>> attributes;
    bool selfClosing = false;
    Units data; // text run or comment
};

// An HTML tokenizer for the states a picture page can reach, written from the standard's
// tokenization rules (input preprocessing, data, RCDATA after <title>, tags, attributes in all
// three quotings, bogus comments, character references). Adjacent character tokens are joined
// into one Text token. Named references other than &amp; &lt; &gt; &quot; are refused, since
// what they mean hangs on the browser's table; so are comments, DOCTYPEs and CDATA, which the
// page never writes. A refusal is reported in error.
class HtmlTokenizer {
public:
    std::vector<HtmlToken> tokenize(const std::string& page);
    const std::string& error() const { return m_error; }

private:
    enum class State {
        Data,
        Rcdata,
        RcdataLessThan,
        RcdataEndTagOpen,
        RcdataEndTagName,
        TagOpen,
        EndTagOpen,
        TagName,
        BeforeAttributeName,
        AttributeName,
        AfterAttributeName,
        BeforeAttributeValue,
        AttributeValueDoubleQuoted,
        AttributeValueSingleQuoted,
        AttributeValueUnquoted,
        AfterAttributeValueQuoted,
        SelfClosingStartTag,
        BogusComment,
    };

    void emitCharacter(std::int32_t unit);
    void emitTag();
    void startAttribute();
    void finishAttributeName();
    void characterReference(State returnState);
    bool inAttribute(State state) const;
    void refuse(const std::string& why);

    std::vector<std::int32_t> m_input;
    std::size_t m_pos = 0;
    std::vector<HtmlToken> m_tokens;
    HtmlToken m_tag;
    std::string m_attributeName;
    Units m_attributeValue;
    bool m_attributeOpen = false;
    bool m_attributeDuplicate = false;
    std::string m_lastStartTag;
    std::string m_temporary;
    State m_state = State::Data;
    std::string m_error;
};

} // namespace fuzz
