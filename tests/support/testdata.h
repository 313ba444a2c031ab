// The real captures the tests read, in tests/data (with their provenance notes).
#pragma once

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#ifndef ZENTRIX_TESTDATA_DIR
#error "ZENTRIX_TESTDATA_DIR must name the shared test data folder"
#endif

namespace zentrix::test {

inline std::filesystem::path testdataPath(const std::string& relative) {
    return std::filesystem::path(ZENTRIX_TESTDATA_DIR) / relative;
}

/// The whole file, or an empty string when it cannot be read (tests check for that loudly).
inline std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

}  // namespace zentrix::test
