// Text fields of fixed size, as the receiver's replies fill them.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <string_view>

#include "platform/text.h"

namespace zentrix::receiver {

/// At most `Capacity` characters. Longer text is cut to that length as it is stored, so whatever
/// the receiver sends can never run past the field.
template <size_t Capacity>
class FixedText {
  public:
    static constexpr size_t kCapacity = Capacity;

    FixedText() = default;
    explicit FixedText(std::string_view text) { assign(text); }

    void assign(std::string_view text) {
        length_ = std::min(text.size(), Capacity);
        std::copy_n(text.data(), length_, chars_.data());
    }
    void clear() { length_ = 0; }

    std::string_view view() const { return {chars_.data(), length_}; }
    bool empty() const { return length_ == 0; }
    /// The text as the user interface holds it, through the handheld's ANSI code page.
    platform::WideString wide() const { return platform::ansiToWide(view()); }

  private:
    std::array<char, Capacity> chars_{};
    size_t length_ = 0;
};

}  // namespace zentrix::receiver
