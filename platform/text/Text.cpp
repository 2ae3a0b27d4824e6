#include "platform/text/Text.h"

#include "platform/files/NamePattern.h"
#include "platform/text/AsciiCollationTable.h"

#include <unicode/ucasemap.h>
#include <unicode/ucol.h>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <mutex>

namespace platform {

namespace {

// ICU names locales without the code set or modifier the host adds ("de_DE.UTF-8@euro").
std::string icuLocaleName(std::string_view hostLocale) {
    const auto end = hostLocale.find_first_of(".@");
    std::string name(hostLocale.substr(0, end));
    if (name == "C" || name == "POSIX")
        return {};
    return name;
}

std::string hostCollationLocale() {
    for (const char* variable : {"LC_ALL", "LC_COLLATE", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value && *value)
            return icuLocaleName(value);
    }
    return {};
}

std::string hostCaseLocale() {
    for (const char* variable : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value && *value)
            return icuLocaleName(value);
    }
    return {};
}

// The two collators the program compares with, opened on first use.
class Collators {
public:
    ~Collators() { close(); }

    // Sorting a million names compares some twenty million times: no lock once open.
    UCollator* get(bool ignoreCase) {
        if (!m_opened.load(std::memory_order_acquire)) {
            std::lock_guard lock(m_mutex);
            if (!m_opened.load(std::memory_order_relaxed))
                open(hostCollationLocale());
        }
        return ignoreCase ? m_ignoreCase : m_exact;
    }

    // Valid after get().
    const AsciiCollationTable& asciiTable() const { return *m_asciiTable; }

    // Not while another thread compares.

    void reopen(const std::string& locale) {
        std::lock_guard lock(m_mutex);
        close();
        open(locale);
    }

private:
    static UCollator* openOne(const std::string& locale, UColAttributeValue strength) {
        UErrorCode status = U_ZERO_ERROR;
        UCollator* collator = ucol_open(locale.c_str(), &status);
        if (U_FAILURE(status)) {
            status = U_ZERO_ERROR;
            collator = ucol_open("", &status);
        }
        if (U_FAILURE(status))
            return nullptr;
        ucol_setStrength(collator, strength);
        return collator;
    }

    void open(const std::string& locale) {
        m_ignoreCase = openOne(locale, UCOL_SECONDARY);
        m_exact = openOne(locale, UCOL_TERTIARY);
        m_asciiTable = std::make_unique<AsciiCollationTable>(m_ignoreCase);
        m_opened.store(true, std::memory_order_release);
    }

    void close() {
        if (m_ignoreCase)
            ucol_close(m_ignoreCase);
        if (m_exact)
            ucol_close(m_exact);
        m_ignoreCase = m_exact = nullptr;
        m_asciiTable.reset();
        m_opened.store(false, std::memory_order_release);
    }

    std::mutex m_mutex;
    std::atomic<bool> m_opened{false};
    UCollator* m_ignoreCase = nullptr;
    UCollator* m_exact = nullptr;
    std::unique_ptr<AsciiCollationTable> m_asciiTable;
};

Collators& collators() {
    static Collators instance;
    return instance;
}

int byteOrder(std::string_view a, std::string_view b) {
    const int result = a.compare(b);
    return result < 0 ? -1 : (result > 0 ? 1 : 0);
}

std::string mapCase(std::string_view text, bool upper) {
    if (text.empty())
        return {};
    UErrorCode status = U_ZERO_ERROR;
    UCaseMap* map = ucasemap_open(hostCaseLocale().c_str(), 0, &status);
    if (U_FAILURE(status))
        return std::string(text);
    std::string result(text.size() + text.size() / 2 + 16, '\0');
    const auto convert = [&] {
        status = U_ZERO_ERROR;
        const auto length = static_cast<int32_t>(result.size());
        const auto source = static_cast<int32_t>(text.size());
        return upper
                   ? ucasemap_utf8ToUpper(map, result.data(), length, text.data(), source, &status)
                   : ucasemap_utf8ToLower(map, result.data(), length, text.data(), source, &status);
    };
    int32_t needed = convert();
    if (status == U_BUFFER_OVERFLOW_ERROR) {
        result.resize(static_cast<std::size_t>(needed));
        needed = convert();
    }
    ucasemap_close(map);
    if (U_FAILURE(status))
        return std::string(text);
    result.resize(static_cast<std::size_t>(needed));
    return result;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

int compareText(std::string_view a, std::string_view b, bool ignoreCase) {
    Collators& open = collators();
    UCollator* collator = open.get(ignoreCase);
    if (!collator)
        return byteOrder(a, b);
    if (ignoreCase) {
        if (const std::optional<int> result = open.asciiTable().compare(a, b))
            return *result;
    }
    UErrorCode status = U_ZERO_ERROR;
    const UCollationResult result =
        ucol_strcollUTF8(collator, a.data(), static_cast<int32_t>(a.size()), b.data(),
                         static_cast<int32_t>(b.size()), &status);
    if (U_FAILURE(status))
        return byteOrder(a, b);
    return result == UCOL_LESS ? -1 : (result == UCOL_GREATER ? 1 : 0);
}

void setCollationLocale(std::string_view locale) {
    collators().reopen(icuLocaleName(locale));
}

bool matchesPattern(std::string_view name, std::string_view pattern) {
    return NamePattern(pattern).matches(name);
}

std::string lowerText(std::string_view text) {
    return mapCase(text, false);
}

std::string upperText(std::string_view text) {
    return mapCase(text, true);
}

std::optional<std::int32_t> parseInteger(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    if (i == text.size())
        return std::nullopt;

    if (text[i] == '$') {
        ++i;
        if (i == text.size())
            return std::nullopt;
        std::uint64_t value = 0;
        for (; i < text.size(); ++i) {
            const int digit = hexDigit(text[i]);
            if (digit < 0)
                return std::nullopt;
            value = value * 16 + static_cast<std::uint64_t>(digit);
            if (value > 0xFFFFFFFFu)
                return std::nullopt;
        }
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
    }

    bool negative = false;
    if (text[i] == '+' || text[i] == '-') {
        negative = text[i] == '-';
        ++i;
    }
    if (i == text.size())
        return std::nullopt;
    const std::int64_t limit = negative ? 2147483648LL : 2147483647LL;
    std::int64_t value = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > limit)
            return std::nullopt;
    }
    return static_cast<std::int32_t>(negative ? -value : value);
}

} // namespace platform
