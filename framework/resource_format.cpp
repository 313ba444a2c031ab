#include "framework/resource_format.h"

#include <cctype>
#include <charconv>
#include <set>

#include "platform/text.h"

namespace zentrix::framework {
namespace {

struct Token {
    std::string text;
    bool quoted = false;
};

// Splits one line into words and quoted texts. Commas and "|" separate like blanks, so both
// "ES_NUMBER | WS_TABSTOP" and "7, 7, 40, 8" read naturally; "#" starts a comment outside quotes.
bool tokenize(std::string_view line, std::vector<Token>& out, std::string& error) {
    out.clear();
    size_t i = 0;
    while (i < line.size()) {
        char c = line[i];
        if (c == ' ' || c == '\t' || c == '\r' || c == ',' || c == '|') {
            ++i;
        } else if (c == '#') {
            break;
        } else if (c == '"') {
            Token t{"", true};
            ++i;
            bool closed = false;
            while (i < line.size()) {
                char d = line[i++];
                if (d == '"') {
                    closed = true;
                    break;
                }
                if (d == '\\' && i < line.size()) {
                    char e = line[i++];
                    switch (e) {
                        case 'n':
                            t.text += '\n';
                            break;
                        case 't':
                            t.text += '\t';
                            break;
                        case 'r':
                            t.text += '\r';
                            break;
                        default:
                            t.text += e;
                            break;  // \" and \\ and anything else literally
                    }
                } else {
                    t.text += d;
                }
            }
            if (!closed) {
                error = "unterminated text";
                return false;
            }
            out.push_back(std::move(t));
        } else {
            size_t start = i;
            while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r' &&
                   line[i] != ',' && line[i] != '|' && line[i] != '"' && line[i] != '#') {
                ++i;
            }
            out.push_back({std::string(line.substr(start, i - start)), false});
        }
    }
    return true;
}

bool parseInt(const Token& t, int& value) {
    if (t.quoted || t.text.empty())
        return false;
    const char* first = t.text.data();
    const char* last = first + t.text.size();
    int base = 10;
    if (t.text.size() > 2 && t.text[0] == '0' && (t.text[1] == 'x' || t.text[1] == 'X')) {
        first += 2;
        base = 16;
    }
    auto [ptr, ec] = std::from_chars(first, last, value, base);
    return ec == std::errc() && ptr == last;
}

bool isIdName(const Token& t) {
    if (t.quoted || t.text.empty())
        return false;
    if (!(std::isalpha(static_cast<unsigned char>(t.text[0])) || t.text[0] == '_'))
        return false;
    for (char c : t.text) {
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '_'))
            return false;
    }
    return true;
}

// An id is written as a name and a number; -1 is the unnamed label id.
bool parseId(const Token& name, const Token& number, UINT& id) {
    int value = 0;
    if (!isIdName(name) || !parseInt(number, value))
        return false;
    if (value == -1) {
        id = IDC_STATIC;
        return true;
    }
    if (value < 0 || value > 0xFFFF)
        return false;
    id = static_cast<UINT>(value);
    return true;
}

// Style words from `from` on: "A | B | NOT C". A word of the control's own type field (say
// CBS_DROPDOWN on a combo box line) replaces the keyword's default type rather than adding bits
// to it. Returns false on an unknown word.
bool parseStyles(const std::vector<Token>& tokens, size_t from, DWORD& style, std::string& error,
                 std::string_view typePrefix = {}, DWORD typeMask = 0) {
    bool negate = false;
    for (size_t i = from; i < tokens.size(); ++i) {
        const Token& t = tokens[i];
        if (!t.quoted && t.text == "NOT") {
            negate = true;
            continue;
        }
        auto value = t.quoted ? std::nullopt : styleByName(t.text);
        if (!value) {
            error = "unknown style '" + t.text + "'";
            return false;
        }
        bool typeWord = typeMask != 0 && *value <= typeMask && t.text.starts_with(typePrefix);
        if (typeWord && !negate) {
            style = (style & ~typeMask) | *value;
        } else {
            style = negate ? (style & ~*value) : (style | *value);
        }
        negate = false;
    }
    return true;
}

struct ControlKeyword {
    const char* keyword;
    ControlClass controlClass;
    DWORD defaultStyle;
};

struct TypeField {
    std::string_view prefix;
    DWORD mask;
};

TypeField typeField(ControlClass c) {
    switch (c) {
        case ControlClass::Static:
            return {"SS_", SS_TYPEMASK};
        case ControlClass::Button:
            return {"BS_", BS_TYPEMASK};
        case ControlClass::ComboBox:
            return {"CBS_", CBS_TYPEMASK};
        case ControlClass::ListView:
            return {"LVS_", LVS_TYPEMASK};
        default:
            return {{}, 0};
    }
}

// What each control line keyword creates. Every control is a visible child; the styles written
// on the line are added to (or, with NOT, taken from) these.
constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
const ControlKeyword kControlKeywords[] = {
    {"LTEXT", ControlClass::Static, kChild | SS_LEFT | WS_GROUP},
    {"CTEXT", ControlClass::Static, kChild | SS_CENTER | WS_GROUP},
    {"RTEXT", ControlClass::Static, kChild | SS_RIGHT | WS_GROUP},
    {"BITMAP", ControlClass::Static, kChild | SS_BITMAP},
    {"ICON", ControlClass::Static, kChild | SS_ICON},
    {"GROUPBOX", ControlClass::Button, kChild | BS_GROUPBOX},
    {"PUSHBUTTON", ControlClass::Button, kChild | BS_PUSHBUTTON | WS_TABSTOP},
    {"DEFPUSHBUTTON", ControlClass::Button, kChild | BS_DEFPUSHBUTTON | WS_TABSTOP},
    {"CHECKBOX", ControlClass::Button, kChild | BS_AUTOCHECKBOX | WS_TABSTOP},
    {"RADIOBUTTON", ControlClass::Button, kChild | BS_AUTORADIOBUTTON},
    {"EDITTEXT", ControlClass::Edit, kChild | ES_LEFT | WS_BORDER | WS_TABSTOP},
    {"COMBOBOX", ControlClass::ComboBox, kChild | CBS_DROPDOWNLIST | WS_TABSTOP},
    {"LISTVIEW", ControlClass::ListView, kChild | LVS_REPORT | WS_BORDER | WS_TABSTOP},
    {"TABCONTROL", ControlClass::TabControl, kChild | WS_TABSTOP},
    {"SLIDER", ControlClass::Slider, kChild | TBS_HORZ | WS_TABSTOP},
};

const ControlKeyword* controlKeyword(const Token& t) {
    if (t.quoted)
        return nullptr;
    for (const auto& k : kControlKeywords) {
        if (t.text == k.keyword)
            return &k;
    }
    return nullptr;
}

std::string where(std::string_view source, int line, const std::string& what) {
    return std::string(source) + ":" + std::to_string(line) + ": " + what;
}

template <class Fn>
std::string forEachLine(std::string_view text, std::string_view source, Fn&& fn) {
    std::vector<Token> tokens;
    int lineNo = 0;
    size_t pos = 0;
    while (pos <= text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        ++lineNo;
        pos = end + 1;
        std::string error;
        if (!tokenize(line, tokens, error))
            return where(source, lineNo, error);
        if (tokens.empty())
            continue;
        error = fn(tokens);
        if (!error.empty())
            return where(source, lineNo, error);
        if (end == text.size())
            break;
    }
    return {};
}

}  // namespace

Parsed<StringEntry> parseStringTable(std::string_view text, std::string_view source) {
    Parsed<StringEntry> result;
    std::set<UINT> seen;
    result.error = forEachLine(text, source, [&](const std::vector<Token>& t) -> std::string {
        StringEntry e;
        if (t.size() != 3 || !parseId(t[0], t[1], e.id) || !t[2].quoted) {
            return "expected: NAME NUMBER \"text\"";
        }
        if (!seen.insert(e.id).second)
            return "string " + std::to_string(e.id) + " twice";
        e.name = t[0].text;
        e.text = platform::fromUtf8(t[2].text);
        result.entries.push_back(std::move(e));
        return {};
    });
    return result;
}

Parsed<DialogTemplate> parseDialogs(std::string_view text, std::string_view source) {
    Parsed<DialogTemplate> result;
    DialogTemplate* open = nullptr;
    ControlTemplate* lastControl = nullptr;
    std::set<UINT> dialogIds;
    result.error = forEachLine(text, source, [&](const std::vector<Token>& t) -> std::string {
        const std::string& word = t[0].quoted ? std::string() : t[0].text;
        std::string error;
        if (word == "DIALOG") {
            if (open)
                return "DIALOG inside a dialog (END missing)";
            DialogTemplate d;
            int w = 0;
            int h = 0;
            if (t.size() < 5 || !parseId(t[1], t[2], d.id) || !parseInt(t[3], w) ||
                !parseInt(t[4], h) || w <= 0 || h <= 0) {
                return "expected: DIALOG NAME NUMBER WIDTH HEIGHT [styles]";
            }
            if (!dialogIds.insert(d.id).second)
                return "dialog " + std::to_string(d.id) + " twice";
            d.name = t[1].text;
            d.size = {w, h};
            d.style = WS_POPUP | WS_CAPTION | DS_SETFONT;
            if (!parseStyles(t, 5, d.style, error))
                return error;
            result.entries.push_back(std::move(d));
            open = &result.entries.back();
            lastControl = nullptr;
            return {};
        }
        if (!open)
            return "'" + word + "' outside a DIALOG ... END block";
        if (word == "END") {
            if (t.size() != 1)
                return "END takes nothing";
            open = nullptr;
            return {};
        }
        if (word == "CAPTION") {
            if (t.size() != 2 || !t[1].quoted)
                return "expected: CAPTION \"text\"";
            open->caption = platform::fromUtf8(t[1].text);
            return {};
        }
        if (word == "FONT") {
            int points = 0;
            if (t.size() != 3 || !parseInt(t[1], points) || points <= 0 || points > 72 ||
                !t[2].quoted) {
                return "expected: FONT POINTS \"face\"";
            }
            open->fontPoints = points;
            open->fontFace = platform::fromUtf8(t[2].text);
            return {};
        }
        if (word == "ITEM") {
            if (!lastControl)
                return "ITEM before any control";
            if (t.size() != 2 || !t[1].quoted)
                return "expected: ITEM \"text\"";
            lastControl->items.push_back(platform::fromUtf8(t[1].text));
            return {};
        }
        const ControlKeyword* kw = controlKeyword(t[0]);
        if (!kw)
            return "unknown keyword '" + word + "'";
        ControlTemplate c;
        c.controlClass = kw->controlClass;
        c.style = kw->defaultStyle;
        size_t i = 1;
        if (i < t.size() && t[i].quoted)
            c.text = platform::fromUtf8(t[i++].text);
        int x = 0;
        int y = 0;
        int w = 0;
        int h = 0;
        if (t.size() < i + 6 || !parseId(t[i], t[i + 1], c.id) || !parseInt(t[i + 2], x) ||
            !parseInt(t[i + 3], y) || !parseInt(t[i + 4], w) || !parseInt(t[i + 5], h) || w < 0 ||
            h < 0) {
            return std::string("expected: ") + kw->keyword +
                   " [\"text\"] NAME NUMBER X Y WIDTH HEIGHT [styles]";
        }
        c.name = t[i].text;
        c.rect = CRect(x, y, x + w, y + h);
        TypeField field = typeField(c.controlClass);
        if (!parseStyles(t, i + 6, c.style, error, field.prefix, field.mask))
            return error;
        if (c.id != IDC_STATIC && open->control(c.id)) {
            return "control " + std::to_string(c.id) + " twice in " + open->name;
        }
        open->controls.push_back(std::move(c));
        lastControl = &open->controls.back();
        return {};
    });
    if (result.ok() && open)
        result.error = std::string(source) + ": END missing after " + open->name;
    return result;
}

Parsed<BitmapEntry> parseBitmapList(std::string_view text, std::string_view source) {
    Parsed<BitmapEntry> result;
    std::set<UINT> seen;
    result.error = forEachLine(text, source, [&](const std::vector<Token>& t) -> std::string {
        BitmapEntry e;
        if (t.size() != 4 || t[0].quoted || (t[0].text != "BITMAP" && t[0].text != "ICON") ||
            !parseId(t[1], t[2], e.id) || !t[3].quoted || t[3].text.empty()) {
            return "expected: BITMAP|ICON NAME NUMBER \"file\"";
        }
        if (!seen.insert(e.id).second)
            return "image " + std::to_string(e.id) + " twice";
        e.kind = t[0].text;
        e.name = t[1].text;
        e.path = t[3].text;
        result.entries.push_back(std::move(e));
        return {};
    });
    return result;
}

std::string collectIds(const std::vector<StringEntry>& strings,
                       const std::vector<DialogTemplate>& dialogs,
                       const std::vector<BitmapEntry>& bitmaps,
                       std::map<std::string, UINT>& idsByName) {
    // Names the framework itself defines with fixed numbers.
    static const std::map<std::string, UINT> kFixed = {
        {"IDOK", 1}, {"IDCANCEL", 2}, {"IDYES", 6}, {"IDNO", 7}, {"IDC_STATIC", IDC_STATIC}};
    auto add = [&](const std::string& name, UINT id) -> std::string {
        if (auto f = kFixed.find(name); f != kFixed.end()) {
            return f->second == id ? std::string() : name + " must be " + std::to_string(f->second);
        }
        auto [it, inserted] = idsByName.emplace(name, id);
        if (!inserted && it->second != id) {
            return name + " is both " + std::to_string(it->second) + " and " + std::to_string(id);
        }
        return {};
    };
    for (const auto& s : strings) {
        if (auto e = add(s.name, s.id); !e.empty())
            return e;
    }
    for (const auto& d : dialogs) {
        if (auto e = add(d.name, d.id); !e.empty())
            return e;
        for (const auto& c : d.controls) {
            if (auto e = add(c.name, c.id); !e.empty())
                return e;
        }
    }
    for (const auto& b : bitmaps) {
        if (auto e = add(b.name, b.id); !e.empty())
            return e;
    }
    return {};
}

}  // namespace zentrix::framework
