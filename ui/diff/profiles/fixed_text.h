// A text field of a stored record: at most `Width` 8-bit characters, zero-terminated on the
// handheld. Whatever is assigned is cut at its first zero byte and at the width, so a field can
// never hold more than the handheld's record could.
#pragma once

#include <cstddef>
#include <ostream>
#include <string>
#include <string_view>

namespace zentrix::diff {

template <size_t Width>
class FixedText {
public:
    static constexpr size_t kWidth = Width;

    FixedText() = default;
    explicit FixedText(std::string_view text) { assign(text); }

    FixedText& operator=(std::string_view text) { return assign(text), *this; }
    FixedText& operator=(const char* text) { return *this = std::string_view(text); }
    FixedText& operator=(const std::string& text) { return *this = std::string_view(text); }

    void assign(std::string_view text) {
        text = text.substr(0, text.find('\0'));
        text_.assign(text.substr(0, Width));
    }

    std::string_view view() const { return text_; }
    const std::string& str() const { return text_; }
    bool empty() const { return text_.empty(); }
    size_t size() const { return text_.size(); }

    friend bool operator==(const FixedText&, const FixedText&) = default;
    friend bool operator==(const FixedText& a, std::string_view b) { return a.view() == b; }
    friend std::ostream& operator<<(std::ostream& out, const FixedText& text) {
        return out << text.text_;
    }

private:
    std::string text_;
};

}  // namespace zentrix::diff
