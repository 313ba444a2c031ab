// A language library as the program loads them: it replaces one string and one dialog of the
// program's samples. Built twice, the second time with a text that does not parse.
#include <cstring>

extern "C" __attribute__((visibility("default"))) const char* zentrix_language_resource(
    const char* kind) {
#ifdef ZENTRIX_BROKEN_LANGUAGE
    if (std::strcmp(kind, "strings") == 0)
        return "IDS_SAMPLE_GREETING 9000 \"unterminated\n";
#else
    if (std::strcmp(kind, "strings") == 0) {
        return "# German\nIDS_SAMPLE_GREETING 9000 \"Gr\xC3\xBC\xC3\x9F"
               "e aus der Tabelle\"\n";
    }
    if (std::strcmp(kind, "dialogs") == 0) {
        return "DIALOG IDD_SAMPLE_PAGE_EXTRA 9040 156 150\n"
               "CAPTION \"Weiteres\"\n"
               "  RTEXT \"Nichts einzustellen\" IDC_STATIC -1 4 6 148 8\n"
               "END\n";
    }
#endif
    return nullptr;
}
