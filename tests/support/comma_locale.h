// The process locale of a German desktop, whose decimal separator is a comma: the tests of
// everything that writes or reads numbers run under it, so that a conversion that follows the
// locale shows up as a "," where a "." belongs.
//
// The locale must exist on the machine (./dev.sh test generates it on Debian). A test that
// cannot switch to it fails: passing under the "C" locale would prove nothing.
#pragma once

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <string>

namespace zentrix::test {

/// The name tests use; glibc also answers to "de_DE.utf8".
inline constexpr const char* kCommaLocale = "de_DE.UTF-8";

/// True when the C library's numbers currently use a decimal comma.
inline bool decimalSeparatorIsComma() {
    const std::lconv* conventions = std::localeconv();
    return conventions && conventions->decimal_point &&
           std::string(conventions->decimal_point) == ",";
}

/// Switches the whole process locale (LC_ALL) to the comma locale for the life of the guard and
/// restores the one before. Use as `ScopedCommaLocale comma; ASSERT_TRUE(comma.active());`.
class ScopedCommaLocale {
  public:
    ScopedCommaLocale() {
        if (const char* current = std::setlocale(LC_ALL, nullptr))
            previous_ = current;
        active_ = std::setlocale(LC_ALL, kCommaLocale) != nullptr && decimalSeparatorIsComma();
    }
    ~ScopedCommaLocale() { std::setlocale(LC_ALL, previous_.empty() ? "C" : previous_.c_str()); }
    ScopedCommaLocale(const ScopedCommaLocale&) = delete;
    ScopedCommaLocale& operator=(const ScopedCommaLocale&) = delete;

    /// False when the locale is missing; the assertion message says how to add it.
    ::testing::AssertionResult active() const {
        if (active_)
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure()
               << "cannot switch to the locale " << kCommaLocale
               << " with a decimal comma; generate it (./dev.sh test does so as root: "
                  "sed -i 's/^# *de_DE.UTF-8/de_DE.UTF-8/' /etc/locale.gen && locale-gen)";
    }

  private:
    std::string previous_;
    bool active_ = false;
};

/// The environment of a German desktop session, for code that takes its locale from the
/// environment (Qt does, at application start): LANG names the comma locale and nothing
/// overrides it. Set for the rest of the process; meant for a test's own child process.
inline ::testing::AssertionResult useCommaLocaleEnvironment() {
    ::setenv("LANG", kCommaLocale, 1);
    ::unsetenv("LC_ALL");
    ::unsetenv("LC_NUMERIC");
    ::unsetenv("LANGUAGE");
    // The environment must really lead to a decimal comma, or a test of what undoes it would
    // pass without anything to undo.
    const std::string before = std::setlocale(LC_NUMERIC, nullptr);
    const char* fromEnvironment = std::setlocale(LC_NUMERIC, "");
    const bool comma = fromEnvironment != nullptr && decimalSeparatorIsComma();
    std::setlocale(LC_NUMERIC, before.c_str());
    if (comma)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "LANG=" << kCommaLocale << " does not give a decimal comma; generate the locale";
}

}  // namespace zentrix::test
