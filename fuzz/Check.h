#pragma once

#include <cstdio>
#include <cstdlib>
#include <string_view>

// A property that failed stops the run the way a crash does, so libFuzzer keeps the input.
namespace fuzz {

inline void printBytes(const char* label, std::string_view bytes) {
    std::fprintf(stderr, "%s (%zu bytes): \"", label, bytes.size());
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7f && byte != '"' && byte != '\\')
            std::fputc(byte, stderr);
        else
            std::fprintf(stderr, "\\x%02X", byte);
    }
    std::fputs("\"\n", stderr);
}

[[noreturn]] inline void fail(const char* property) {
    std::fprintf(stderr, "PROPERTY FAILED: %s\n", property);
    std::abort();
}

inline void check(bool holds, const char* property) {
    if (!holds)
        fail(property);
}

} // namespace fuzz
