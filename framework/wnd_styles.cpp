#include "framework/wnd_styles.h"

namespace zentrix::framework {
namespace {

struct NamedStyle {
    std::string_view name;
    DWORD value;
};

#define ZX_STYLE(name) \
    { #name, name }
constexpr NamedStyle kStyles[] = {
    ZX_STYLE(WS_OVERLAPPED),     ZX_STYLE(WS_POPUP),           ZX_STYLE(WS_CHILD),
    ZX_STYLE(WS_VISIBLE),        ZX_STYLE(WS_DISABLED),        ZX_STYLE(WS_CAPTION),
    ZX_STYLE(WS_BORDER),         ZX_STYLE(WS_VSCROLL),         ZX_STYLE(WS_HSCROLL),
    ZX_STYLE(WS_SYSMENU),        ZX_STYLE(WS_GROUP),           ZX_STYLE(WS_TABSTOP),
    ZX_STYLE(DS_SETFONT),        ZX_STYLE(DS_MODALFRAME),      ZX_STYLE(DS_CENTER),
    ZX_STYLE(SS_LEFT),           ZX_STYLE(SS_CENTER),          ZX_STYLE(SS_RIGHT),
    ZX_STYLE(SS_ICON),           ZX_STYLE(SS_OWNERDRAW),       ZX_STYLE(SS_BITMAP),
    ZX_STYLE(SS_NOTIFY),         ZX_STYLE(SS_CENTERIMAGE),     ZX_STYLE(SS_NOPREFIX),
    ZX_STYLE(SS_SUNKEN),         ZX_STYLE(BS_PUSHBUTTON),      ZX_STYLE(BS_DEFPUSHBUTTON),
    ZX_STYLE(BS_CHECKBOX),       ZX_STYLE(BS_AUTOCHECKBOX),    ZX_STYLE(BS_RADIOBUTTON),
    ZX_STYLE(BS_GROUPBOX),       ZX_STYLE(BS_AUTORADIOBUTTON), ZX_STYLE(BS_OWNERDRAW),
    ZX_STYLE(BS_LEFT),           ZX_STYLE(BS_RIGHT),           ZX_STYLE(BS_CENTER),
    ZX_STYLE(BS_PUSHLIKE),       ZX_STYLE(BS_MULTILINE),       ZX_STYLE(ES_LEFT),
    ZX_STYLE(ES_CENTER),         ZX_STYLE(ES_RIGHT),           ZX_STYLE(ES_MULTILINE),
    ZX_STYLE(ES_UPPERCASE),      ZX_STYLE(ES_LOWERCASE),       ZX_STYLE(ES_PASSWORD),
    ZX_STYLE(ES_AUTOVSCROLL),    ZX_STYLE(ES_AUTOHSCROLL),     ZX_STYLE(ES_READONLY),
    ZX_STYLE(ES_WANTRETURN),     ZX_STYLE(ES_NUMBER),          ZX_STYLE(CBS_SIMPLE),
    ZX_STYLE(CBS_DROPDOWN),      ZX_STYLE(CBS_DROPDOWNLIST),   ZX_STYLE(CBS_AUTOHSCROLL),
    ZX_STYLE(CBS_SORT),          ZX_STYLE(LVS_ICON),           ZX_STYLE(LVS_REPORT),
    ZX_STYLE(LVS_SMALLICON),     ZX_STYLE(LVS_LIST),           ZX_STYLE(LVS_SINGLESEL),
    ZX_STYLE(LVS_SHOWSELALWAYS), ZX_STYLE(LVS_AUTOARRANGE),    ZX_STYLE(LVS_NOCOLUMNHEADER),
    ZX_STYLE(LVS_NOSORTHEADER),  ZX_STYLE(TBS_HORZ),           ZX_STYLE(TBS_AUTOTICKS),
    ZX_STYLE(TBS_VERT),          ZX_STYLE(TBS_NOTICKS),        ZX_STYLE(TCS_BOTTOM),
    ZX_STYLE(TCS_FIXEDWIDTH),
};
#undef ZX_STYLE

}  // namespace

std::optional<DWORD> styleByName(std::string_view name) {
    for (const auto& s : kStyles) {
        if (s.name == name)
            return s.value;
    }
    return std::nullopt;
}

}  // namespace zentrix::framework
