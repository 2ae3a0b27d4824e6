#include "platform/text/Text.h"

#include "platform/files/NamePattern.h"
#include "platform/text/AsciiCollationTable.h"

#include <unicode/ucasemap.h>
#include <unicode/ucol.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <memory>
#include <mutex>

namespace platform {

namespace {

// What a host locale's modifier means to ICU: a script ("sr_RS@latin" sorts as sr_Latn_RS,
// with its own letters and contractions) or a registered variant. Other modifiers ("@euro"
// picks a currency, "@abegede" an order ICU does not have) change nothing here.
struct Modifier {
    std::string_view name;
    std::string_view script;
    std::string_view variant;
};
constexpr Modifier kModifiers[] = {
    {"latin", "Latn", {}},        {"cyrillic", "Cyrl", {}}, {"devanagari", "Deva", {}},
    {"arabic", "Arab", {}},       {"iqtelif", "Latn", {}},  {"shaw", "Shaw", {}},
    {"valencia", {}, "VALENCIA"}, {"saaho", {}, "SAAHO"},
};

// language[_territory][.codeset][@modifier] → language[_Script][_TERRITORY][_VARIANT]. A
// modifier already in ICU's keyword form ("@collation=phonebook") is handed on as it is.
std::string icuLocaleName(std::string_view hostLocale) {
    const std::size_t at = hostLocale.find('@');
    std::string_view modifier;
    if (at != std::string_view::npos) {
        modifier = hostLocale.substr(at + 1);
        modifier = modifier.substr(0, modifier.find('.'));
    }
    const std::string_view name = hostLocale.substr(0, hostLocale.find_first_of(".@"));
    if (name == "C" || name == "POSIX")
        return {};
    if (modifier.empty())
        return std::string(name);
    if (modifier.find('=') != std::string_view::npos)
        return std::string(name).append(1, '@').append(modifier);

    for (const Modifier& known : kModifiers) {
        if (known.name != modifier)
            continue;
        const std::size_t split = std::min(name.find('_'), name.size());
        std::string result(name.substr(0, split));
        if (!known.script.empty())
            result.append(1, '_').append(known.script);
        result.append(name.substr(split));
        if (!known.variant.empty()) {
            if (split == name.size())
                result.append(1, '_'); // no territory: "ca__VALENCIA"
            result.append(1, '_').append(known.variant);
        }
        return result;
    }
    return std::string(name);
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

const AsciiCollationTable* ignoringCaseTable() {
    Collators& open = collators();
    if (!open.get(true) || !open.asciiTable().usable())
        return nullptr;
    return &open.asciiTable();
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
