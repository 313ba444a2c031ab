// Reading the fields of a "$PQELR" reply: what every reply parser shares.
#pragma once

#include <cstddef>
#include <string_view>

#include "receiver/nmea/field_cursor.h"
#include "receiver/nmea/sentence.h"

namespace zentrix::receiver::reply {

/// "$PQELR", a comma, the three-letter type and a comma take characters 0 to 10.
inline constexpr size_t kFirstField = 11;

/// Characters that end a field.
inline bool endsField(char c) {
    return c == ',' || c == '*' || c == '\r' || c == '\n' || c == '\0';
}
/// Characters that end the list of fields.
inline bool endsList(char c) {
    return c == '*' || c == '\r' || c == '\n' || c == '\0';
}

/// The text from `position` up to the end of its field; empty past the end of the sentence.
inline std::string_view textAt(const Sentence& s, size_t position) {
    const std::string_view all = s.view();
    if (position >= all.size())
        return {};
    size_t end = position;
    while (end < all.size() && !endsField(all[end])) ++end;
    return all.substr(position, end - position);
}

/// Up to `count` characters from `position`; empty past the end of the sentence, however short
/// the sentence is.
inline std::string_view charsAt(const Sentence& s, size_t position, size_t count) {
    return position < s.length ? s.view().substr(position, count) : std::string_view();
}

/// A cursor at the start of field `n` (counted from 1 after the header); at the end of the list
/// when the reply has fewer fields.
inline FieldCursor cursorAtField(const Sentence& s, int n) {
    FieldCursor cursor(s, kFirstField);
    for (int i = 1; i < n; ++i) cursor.skipField();
    return cursor;
}

inline std::string_view field(const Sentence& s, int n) {
    return textAt(s, cursorAtField(s, n).position());
}

/// Moves a cursor that stands inside or at the end of a field to the start of the next one.
inline void nextField(FieldCursor& cursor) {
    cursor.skipField();
}

/// Reads the text of the field under the cursor and leaves the cursor on its separator.
inline std::string_view readText(const Sentence& s, FieldCursor& cursor) {
    const std::string_view text = textAt(s, cursor.position());
    cursor.skip(text.size());
    return text;
}

inline bool startsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

/// Walks a list of settings from `position` to "*" or the line end. Each setting is a key of
/// three characters, one separator character, then the value up to the next field's end; the
/// receiver writes them "PWR,ON" or "PWR=ON" alike. `onSetting(key, value)` sees every one.
template <typename OnSetting>
void forEachSetting(const Sentence& s, size_t position, OnSetting&& onSetting) {
    constexpr size_t kKeyChars = 3;
    FieldCursor cursor(s, position);
    while (!cursor.atEnd()) {
        for (size_t i = 0; i <= kKeyChars; ++i) {
            if (endsList(cursor.peekAhead(i)))
                return;
        }
        const std::string_view key = charsAt(s, cursor.position(), kKeyChars);
        cursor.skip(kKeyChars + 1);
        const std::string_view value = readText(s, cursor);
        onSetting(key, value);
        if (cursor.peek() != ',')
            return;
        cursor.skip();
    }
}

}  // namespace zentrix::receiver::reply
