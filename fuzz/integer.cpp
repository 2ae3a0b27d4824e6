// The integer rule: the parser agrees with the rule read word by word on every text, and
// reads nothing past the text it is given (the sanitizer sees the input's exact bounds).

#include "fuzz/Check.h"
#include "fuzz/IntegerReference.h"
#include "platform/text/Text.h"

#include <cstdio>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // A copy of exactly the input's length, so one byte too far is a heap overflow.
    const std::unique_ptr<char[]> copy(new char[size]);
    std::copy(data, data + size, copy.get());
    const std::string_view text(copy.get(), size);

    const std::optional<std::int32_t> parsed = platform::parseInteger(text);
    const std::optional<std::int32_t> expected = fuzz::referenceInteger(text);
    if (parsed != expected) {
        fuzz::printBytes("text", text);
        std::fprintf(stderr, "parsed %s %d, expected %s %d\n", parsed ? "yes" : "no",
                     parsed.value_or(0), expected ? "yes" : "no", expected.value_or(0));
        fuzz::fail("parseInteger agrees with the integer rule");
    }
    return 0;
}
