// The shape of the program's built-in resources as the resource compiler emits them (a generated
// source in the zentrix_resources library defines `zentrixBuiltInResources`).
#pragma once

#include <cstddef>

namespace zentrix::framework {

struct BuiltInImage {
    unsigned int id;  ///< 0 ends the table
    const char* name;
    const unsigned char* bytes;
    unsigned long size;
};

struct BuiltInResources {
    const char* strings;  ///< the string table file, UTF-8
    std::size_t stringsSize;
    const char* dialogs;  ///< every dialog file, joined
    std::size_t dialogsSize;
    const BuiltInImage* images;
    std::size_t imageCount;
};

}  // namespace zentrix::framework

const zentrix::framework::BuiltInResources& zentrixBuiltInResources();
