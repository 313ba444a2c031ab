// The two options every program of the package answers alike.
#pragma once

#include <optional>
#include <string_view>

namespace zentrix::platform {

/// The package's version, as the build knows it ("0.1.0").
std::string_view packageVersion();

/// "--help" or "--version" anywhere on the command line: prints `usage` or "<program> <version>"
/// on standard output and gives 0 for the caller to exit with. Programs ask this first, before
/// they open, create or start anything, so that asking how to use a program never changes the
/// machine. Otherwise nothing.
std::optional<int> answerHelpOrVersion(int argc, char** argv, std::string_view program,
                                       std::string_view usage);

}  // namespace zentrix::platform
