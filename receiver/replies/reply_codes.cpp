#include "receiver/replies/reply_codes.h"

namespace zentrix::receiver {

std::optional<uint32_t> findCode(std::span<const CodeName> table, std::string_view name) {
    for (const CodeName& row : table) {
        if (row.name == name)
            return row.code;
    }
    return std::nullopt;
}

std::optional<uint32_t> findCodeByPrefix(std::span<const CodeName> table, std::string_view name,
                                         size_t prefixChars) {
    if (name.size() < prefixChars)
        return std::nullopt;
    for (const CodeName& row : table) {
        if (row.name.substr(0, prefixChars) == name.substr(0, prefixChars))
            return row.code;
    }
    return std::nullopt;
}

std::string_view nameOfCode(std::span<const CodeName> table, uint32_t code) {
    for (const CodeName& row : table) {
        if (row.code == code)
            return row.name;
    }
    return {};
}

uint32_t portIndexOf(std::string_view letters, char letter) {
    if (letter == '-' || letter == '\0')
        return 0;
    const size_t index = letters.find(letter);
    return index == std::string_view::npos ? 0 : static_cast<uint32_t>(index);
}

char portLetterOf(std::string_view letters, uint32_t index) {
    if (index >= letters.size() || letters[index] == '-')
        return 'A';
    return letters[index];
}

}  // namespace zentrix::receiver
