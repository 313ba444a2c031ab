#include "framework/fonts.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QString>
#include <QStringList>
#include <map>

#include "platform/text.h"

namespace zentrix::framework {

namespace {

struct FaceMapping {
    const char* face;  // lower case
    const char* family;
};

// Liberation Sans, Serif and Mono share the advance widths and vertical metrics of the faces
// they stand in for. Tahoma and the old dialog faces have no metric twin here; Liberation Sans
// is the nearest installed sans-serif, and dialog geometry is computed from the font actually
// used, so they only look a little different.
constexpr FaceMapping kFaceMappings[] = {
    {"arial", "Liberation Sans"},
    {"helvetica", "Liberation Sans"},
    {"tahoma", "Liberation Sans"},
    {"ms sans serif", "Liberation Sans"},
    {"ms shell dlg", "Liberation Sans"},
    {"microsoft sans serif", "Liberation Sans"},
    {"segoe ui", "Liberation Sans"},
    {"system", "Liberation Sans"},
    {"arial narrow", "Liberation Sans Narrow"},
    {"times new roman", "Liberation Serif"},
    {"times", "Liberation Serif"},
    {"courier new", "Liberation Mono"},
    {"courier", "Liberation Mono"},
};

constexpr const char* kFallbackFamily = "Liberation Sans";

bool installed(const QString& family) {
    return QFontDatabase::families().contains(family, Qt::CaseInsensitive);
}

// Before the application object exists the font database cannot be asked; the mapping table
// alone answers then, and Qt's own font matching does the rest when the font is used.
std::string resolveWithoutDatabase(std::string_view face) {
    const std::string lower = platform::asciiLower(face);
    for (const auto& mapping : kFaceMappings) {
        if (lower == mapping.face) {
            return mapping.family;
        }
    }
    return face.empty() ? std::string(kFallbackFamily) : std::string(face);
}

std::string resolveUncached(std::string_view face) {
    const std::string lower = platform::asciiLower(face);
    for (const auto& mapping : kFaceMappings) {
        if (lower == mapping.face && installed(QString::fromUtf8(mapping.family))) {
            return mapping.family;
        }
    }
    const QString requested = QString::fromUtf8(face.data(), static_cast<qsizetype>(face.size()));
    if (!requested.isEmpty() && installed(requested)) {
        return std::string(face);
    }
    if (installed(QString::fromUtf8(kFallbackFamily))) {
        return kFallbackFamily;
    }
    // Without fonts-liberation the texts still show, in whatever the desktop uses; widths then
    // differ from the handheld's and long labels may be cut earlier.
    return QFontDatabase::systemFont(QFontDatabase::GeneralFont).family().toStdString();
}

}  // namespace

std::string resolveFontFamily(std::string_view face) {
    // The font database is only consulted on the user-interface thread; the cache saves a scan
    // of every family for each font a page creates.
    static std::map<std::string, std::string, std::less<>> cache;
    if (QGuiApplication::instance() == nullptr) {
        return resolveWithoutDatabase(face);
    }
    if (auto found = cache.find(face); found != cache.end()) {
        return found->second;
    }
    std::string family = resolveUncached(face);
    cache.emplace(std::string(face), family);
    return family;
}

}  // namespace zentrix::framework
