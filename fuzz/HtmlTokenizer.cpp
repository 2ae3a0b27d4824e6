#include "fuzz/HtmlTokenizer.h"

#include "fuzz/Utf8Units.h"

#include <array>

namespace fuzz {

namespace {

constexpr std::int32_t Eof = -1;
constexpr std::int32_t Replacement = 0xFFFD;

bool isWhitespace(std::int32_t c) {
    return c == '\t' || c == '\n' || c == '\f' || c == ' ';
}

bool isUpper(std::int32_t c) {
    return c >= 'A' && c <= 'Z';
}

bool isAlpha(std::int32_t c) {
    return isUpper(c) || (c >= 'a' && c <= 'z');
}

bool isDigit(std::int32_t c) {
    return c >= '0' && c <= '9';
}

bool isHexDigit(std::int32_t c) {
    return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

char lower(std::int32_t c) {
    return static_cast<char>(isUpper(c) ? c + 32 : c);
}

// What a numeric reference to 0x80-0x9F stands for.
constexpr std::array<std::int32_t, 32> kC1Replacements = {
    0x20AC, 0x81,   0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x8D,   0x017D, 0x8F,   0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x9D,   0x017E, 0x0178};

std::int32_t numericReferenceValue(std::int64_t code) {
    if (code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return Replacement;
    if (code >= 0x80 && code <= 0x9F)
        return kC1Replacements[static_cast<std::size_t>(code - 0x80)];
    return static_cast<std::int32_t>(code);
}

} // namespace

void HtmlTokenizer::refuse(const std::string& why) {
    if (m_error.empty())
        m_error = why + " at character " + std::to_string(m_pos);
}

bool HtmlTokenizer::inAttribute(State state) const {
    return state == State::AttributeValueDoubleQuoted ||
           state == State::AttributeValueSingleQuoted || state == State::AttributeValueUnquoted;
}

void HtmlTokenizer::emitCharacter(std::int32_t unit) {
    if (m_tokens.empty() || m_tokens.back().kind != HtmlToken::Text)
        m_tokens.push_back(HtmlToken{});
    m_tokens.back().data.push_back(unit);
}

void HtmlTokenizer::startAttribute() {
    if (m_attributeOpen) {
        finishAttributeName();
        if (!m_attributeDuplicate)
            m_tag.attributes.emplace_back(m_attributeName, m_attributeValue);
    }
    m_attributeName.clear();
    m_attributeValue.clear();
    m_attributeOpen = true;
    m_attributeDuplicate = false;
}

// On leaving the attribute name state: a name already on the tag drops this attribute.
void HtmlTokenizer::finishAttributeName() {
    if (!m_attributeOpen)
        return;
    for (const auto& attribute : m_tag.attributes) {
        if (attribute.first == m_attributeName)
            m_attributeDuplicate = true;
    }
}

void HtmlTokenizer::emitTag() {
    if (m_attributeOpen) {
        finishAttributeName();
        if (!m_attributeDuplicate)
            m_tag.attributes.emplace_back(m_attributeName, m_attributeValue);
        m_attributeOpen = false;
    }
    if (m_tag.kind == HtmlToken::StartTag) {
        m_lastStartTag = m_tag.name;
        // The tree builder switches the tokenizer for the one RCDATA element the page has.
        m_state = m_tag.name == "title" ? State::Rcdata : State::Data;
    } else {
        m_state = State::Data;
        if (!m_tag.attributes.empty() || m_tag.selfClosing)
            refuse("an end tag with attributes");
    }
    m_tokens.push_back(m_tag);
}

// At '&' (consumed), in text or in an attribute value.
void HtmlTokenizer::characterReference(State returnState) {
    const auto flush = [&](const Units& units) {
        for (const std::int32_t unit : units) {
            if (inAttribute(returnState))
                m_attributeValue.push_back(unit);
            else
                emitCharacter(unit);
        }
    };
    const auto at = [&](std::size_t i) { return i < m_input.size() ? m_input[i] : Eof; };
    const std::int32_t c = at(m_pos);
    if (isAlpha(c) || isDigit(c)) {
        for (const auto& [name, value] : {std::pair<const char*, std::int32_t>{"amp;", '&'},
                                          {"lt;", '<'},
                                          {"gt;", '>'},
                                          {"quot;", '"'}}) {
            const std::string text = name;
            bool matches = true;
            for (std::size_t i = 0; i < text.size() && matches; ++i)
                matches = at(m_pos + i) == text[i];
            if (matches) {
                m_pos += text.size();
                flush({value});
                return;
            }
        }
        refuse("a named character reference the page does not write itself");
        flush({'&'});
        return;
    }
    if (c != '#') {
        flush({'&'});
        return;
    }
    ++m_pos;
    const bool hex = at(m_pos) == 'x' || at(m_pos) == 'X';
    Units consumed = {'&', '#'};
    if (hex)
        consumed.push_back(at(m_pos++));
    if (hex ? !isHexDigit(at(m_pos)) : !isDigit(at(m_pos))) {
        flush(consumed); // absence of digits: the text stands as it is
        return;
    }
    std::int64_t code = 0;
    while (hex ? isHexDigit(at(m_pos)) : isDigit(at(m_pos))) {
        const std::int32_t d = at(m_pos++);
        const int digit = isDigit(d) ? d - '0' : lower(d) - 'a' + 10;
        code = code * (hex ? 16 : 10) + digit;
        if (code > 0x110000)
            code = 0x110000; // stays out of range, however many digits follow
    }
    if (at(m_pos) == ';')
        ++m_pos;
    flush({numericReferenceValue(code)});
}

std::vector<HtmlToken> HtmlTokenizer::tokenize(const std::string& page) {
    // Input stream preprocessing: CR LF and lone CR become LF.
    m_input.clear();
    for (std::size_t i = 0; i < page.size(); ++i) {
        const auto byte = static_cast<unsigned char>(page[i]);
        if (byte == '\r') {
            m_input.push_back('\n');
            if (i + 1 < page.size() && page[i + 1] == '\n')
                ++i;
        } else {
            m_input.push_back(byte < 0x80 ? byte : ByteUnit + byte);
        }
    }
    m_pos = 0;
    m_tokens.clear();
    m_state = State::Data;
    m_error.clear();
    m_attributeOpen = false;

    const auto newTag = [&](HtmlToken::Kind kind) {
        m_tag = HtmlToken{};
        m_tag.kind = kind;
        m_attributeOpen = false;
    };
    const auto appendAttributeValue = [&](std::int32_t c) {
        m_attributeValue.push_back(c == 0 ? Replacement : c);
    };

    while (m_error.empty()) {
        const std::int32_t c = m_pos < m_input.size() ? m_input[m_pos] : Eof;
        ++m_pos;
        const auto reconsume = [&](State state) {
            --m_pos;
            m_state = state;
        };
        switch (m_state) {
        case State::Data:
            if (c == '&')
                characterReference(State::Data);
            else if (c == '<')
                m_state = State::TagOpen;
            else if (c == Eof)
                return m_tokens;
            else
                emitCharacter(c);
            break;
        case State::Rcdata:
            if (c == '&')
                characterReference(State::Rcdata);
            else if (c == '<')
                m_state = State::RcdataLessThan;
            else if (c == Eof)
                return m_tokens;
            else
                emitCharacter(c == 0 ? Replacement : c);
            break;
        case State::RcdataLessThan:
            if (c == '/') {
                m_temporary.clear();
                m_state = State::RcdataEndTagOpen;
            } else {
                emitCharacter('<');
                reconsume(State::Rcdata);
            }
            break;
        case State::RcdataEndTagOpen:
            if (isAlpha(c)) {
                newTag(HtmlToken::EndTag);
                reconsume(State::RcdataEndTagName);
            } else {
                emitCharacter('<');
                emitCharacter('/');
                reconsume(State::Rcdata);
            }
            break;
        case State::RcdataEndTagName: {
            const bool appropriate = m_tag.name == m_lastStartTag;
            if (isWhitespace(c) && appropriate) {
                m_state = State::BeforeAttributeName;
            } else if (c == '/' && appropriate) {
                m_state = State::SelfClosingStartTag;
            } else if (c == '>' && appropriate) {
                emitTag();
            } else if (isAlpha(c)) {
                m_tag.name += lower(c);
                m_temporary += static_cast<char>(c);
            } else {
                emitCharacter('<');
                emitCharacter('/');
                for (const char t : m_temporary)
                    emitCharacter(static_cast<unsigned char>(t));
                reconsume(State::Rcdata);
            }
            break;
        }
        case State::TagOpen:
            if (c == '!') {
                // Markup declaration open: the page's one "<!" is no comment, DOCTYPE or CDATA.
                const auto ahead = [&](const char* text, bool ignoreCase) {
                    for (std::size_t i = 0; text[i]; ++i) {
                        const std::size_t at = m_pos + i;
                        if (at >= m_input.size())
                            return false;
                        const std::int32_t d = ignoreCase ? lower(m_input[at]) : m_input[at];
                        if (d != text[i])
                            return false;
                    }
                    return true;
                };
                if (ahead("--", false) || ahead("doctype", true) || ahead("[CDATA[", false))
                    refuse("a comment, DOCTYPE or CDATA section the page does not write");
                newTag(HtmlToken::Comment);
                m_state = State::BogusComment;
            } else if (c == '/') {
                m_state = State::EndTagOpen;
            } else if (isAlpha(c)) {
                newTag(HtmlToken::StartTag);
                reconsume(State::TagName);
            } else if (c == '?') {
                newTag(HtmlToken::Comment);
                reconsume(State::BogusComment);
            } else {
                emitCharacter('<');
                reconsume(State::Data);
            }
            break;
        case State::EndTagOpen:
            if (isAlpha(c)) {
                newTag(HtmlToken::EndTag);
                reconsume(State::TagName);
            } else if (c == '>') {
                m_state = State::Data;
            } else if (c == Eof) {
                emitCharacter('<');
                emitCharacter('/');
                return m_tokens;
            } else {
                newTag(HtmlToken::Comment);
                reconsume(State::BogusComment);
            }
            break;
        case State::TagName:
            if (isWhitespace(c))
                m_state = State::BeforeAttributeName;
            else if (c == '/')
                m_state = State::SelfClosingStartTag;
            else if (c == '>')
                emitTag();
            else if (c == Eof)
                return m_tokens; // eof in tag: the tag is dropped
            else if (c < 0x80)
                m_tag.name += c == 0 ? '?' : lower(c);
            else
                refuse("a tag name beyond ASCII");
            break;
        case State::BeforeAttributeName:
            if (isWhitespace(c)) {
            } else if (c == '/' || c == '>' || c == Eof) {
                reconsume(State::AfterAttributeName);
            } else if (c == '=') {
                startAttribute();
                m_attributeName = "=";
                m_state = State::AttributeName;
            } else {
                startAttribute();
                reconsume(State::AttributeName);
            }
            break;
        case State::AttributeName:
            if (isWhitespace(c) || c == '/' || c == '>' || c == Eof) {
                finishAttributeName();
                reconsume(State::AfterAttributeName);
            } else if (c == '=') {
                finishAttributeName();
                m_state = State::BeforeAttributeValue;
            } else if (c < 0x80) {
                m_attributeName += lower(c);
            } else {
                refuse("an attribute name beyond ASCII");
            }
            break;
        case State::AfterAttributeName:
            if (isWhitespace(c)) {
            } else if (c == '/') {
                m_state = State::SelfClosingStartTag;
            } else if (c == '=') {
                m_state = State::BeforeAttributeValue;
            } else if (c == '>') {
                emitTag();
            } else if (c == Eof) {
                return m_tokens;
            } else {
                startAttribute();
                reconsume(State::AttributeName);
            }
            break;
        case State::BeforeAttributeValue:
            if (isWhitespace(c)) {
            } else if (c == '"') {
                m_state = State::AttributeValueDoubleQuoted;
            } else if (c == '\'') {
                m_state = State::AttributeValueSingleQuoted;
            } else if (c == '>') {
                emitTag();
            } else {
                reconsume(State::AttributeValueUnquoted);
            }
            break;
        case State::AttributeValueDoubleQuoted:
        case State::AttributeValueSingleQuoted: {
            const std::int32_t quote = m_state == State::AttributeValueDoubleQuoted ? '"' : '\'';
            if (c == quote)
                m_state = State::AfterAttributeValueQuoted;
            else if (c == '&')
                characterReference(m_state);
            else if (c == Eof)
                return m_tokens;
            else
                appendAttributeValue(c);
            break;
        }
        case State::AttributeValueUnquoted:
            if (isWhitespace(c))
                m_state = State::BeforeAttributeName;
            else if (c == '&')
                characterReference(m_state);
            else if (c == '>')
                emitTag();
            else if (c == Eof)
                return m_tokens;
            else
                appendAttributeValue(c);
            break;
        case State::AfterAttributeValueQuoted:
            if (isWhitespace(c))
                m_state = State::BeforeAttributeName;
            else if (c == '/')
                m_state = State::SelfClosingStartTag;
            else if (c == '>')
                emitTag();
            else if (c == Eof)
                return m_tokens;
            else
                reconsume(State::BeforeAttributeName);
            break;
        case State::SelfClosingStartTag:
            if (c == '>') {
                m_tag.selfClosing = true;
                emitTag();
            } else if (c == Eof) {
                return m_tokens;
            } else {
                reconsume(State::BeforeAttributeName);
            }
            break;
        case State::BogusComment:
            if (c == '>') {
                m_tokens.push_back(m_tag);
                m_state = State::Data;
            } else if (c == Eof) {
                m_tokens.push_back(m_tag);
                return m_tokens;
            } else {
                m_tag.data.push_back(c == 0 ? Replacement : c);
            }
            break;
        }
    }
    return m_tokens;
}

} // namespace fuzz
