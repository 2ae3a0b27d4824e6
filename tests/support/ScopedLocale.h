#pragma once

#include <clocale>
#include <string>

namespace testsupport {

// Switches the C library's locale for one test and back. The locale must have been
// generated (scripts/test.sh does so for the ones the tests ask for); isValid() says so.
class ScopedLocale {
public:
    explicit ScopedLocale(const char* name)
        : m_saved(std::setlocale(LC_ALL, nullptr)) {
        m_valid = std::setlocale(LC_ALL, name) != nullptr;
    }
    ~ScopedLocale() { std::setlocale(LC_ALL, m_saved.c_str()); }
    ScopedLocale(const ScopedLocale&) = delete;
    ScopedLocale& operator=(const ScopedLocale&) = delete;

    bool isValid() const { return m_valid; }

private:
    std::string m_saved;
    bool m_valid = false;
};

} // namespace testsupport
