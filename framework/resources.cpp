#include "framework/resources.h"

#include <dlfcn.h>

#include <map>
#include <memory>
#include <mutex>

#include "framework/dialog_template.h"
#include "framework/resource_format.h"
#include "framework/resources_data.h"

namespace zentrix::framework {
namespace {

struct ResourceSet {
    std::map<UINT, WideString> strings;
    std::map<UINT, std::unique_ptr<DialogTemplate>> dialogs;
};

// Fills `set` from the texts; false when a text does not parse (the set is then left empty).
bool parseInto(ResourceSet& set, std::string_view strings, std::string_view dialogs,
               std::string_view source) {
    ResourceSet parsed;
    if (!strings.empty()) {
        auto s = parseStringTable(strings, std::string(source) + " strings");
        if (!s.ok())
            return false;
        for (auto& e : s.entries) parsed.strings[e.id] = std::move(e.text);
    }
    if (!dialogs.empty()) {
        auto d = parseDialogs(dialogs, std::string(source) + " dialogs");
        if (!d.ok())
            return false;
        for (auto& t : d.entries) {
            UINT id = t.id;
            parsed.dialogs[id] = std::make_unique<DialogTemplate>(std::move(t));
        }
    }
    set = std::move(parsed);
    return true;
}

struct LanguageLibrary {
    void* handle = nullptr;
    ResourceSet resources;
    ~LanguageLibrary() {
        if (handle)
            dlclose(handle);
    }
};

// Lookups happen on the user-interface thread, but the lock keeps a stray worker-thread
// loadString from reading a table that is being replaced.
std::mutex& lock() {
    static std::mutex m;
    return m;
}

const ResourceSet& builtIn() {
    static const ResourceSet set = [] {
        ResourceSet s;
        const BuiltInResources& r = zentrixBuiltInResources();
        // The build checked these texts; a failure here would be a broken build, so the
        // program simply runs without texts rather than stopping.
        parseInto(s, {r.strings, r.stringsSize}, {r.dialogs, r.dialogsSize}, "built-in");
        return s;
    }();
    return set;
}

std::unique_ptr<LanguageLibrary>& language() {
    static std::unique_ptr<LanguageLibrary> library;
    return library;
}

}  // namespace

std::optional<std::string> bitmapResourceBytes(UINT id) {
    const BuiltInResources& r = zentrixBuiltInResources();
    for (std::size_t i = 0; i < r.imageCount; ++i) {
        if (r.images[i].id == id) {
            return std::string(reinterpret_cast<const char*>(r.images[i].bytes), r.images[i].size);
        }
    }
    return std::nullopt;
}

WideString loadString(UINT id) {
    std::lock_guard guard(lock());
    if (const auto& lang = language()) {
        if (auto it = lang->resources.strings.find(id); it != lang->resources.strings.end()) {
            return it->second;
        }
    }
    const auto& strings = builtIn().strings;
    auto it = strings.find(id);
    return it == strings.end() ? WideString() : it->second;
}

bool hasString(UINT id) {
    std::lock_guard guard(lock());
    if (const auto& lang = language(); lang && lang->resources.strings.count(id))
        return true;
    return builtIn().strings.count(id) != 0;
}

const DialogTemplate* findDialogTemplate(UINT id) {
    std::lock_guard guard(lock());
    if (const auto& lang = language()) {
        if (auto it = lang->resources.dialogs.find(id); it != lang->resources.dialogs.end()) {
            return it->second.get();
        }
    }
    const auto& dialogs = builtIn().dialogs;
    auto it = dialogs.find(id);
    return it == dialogs.end() ? nullptr : it->second.get();
}

std::vector<UINT> builtInDialogIds() {
    std::vector<UINT> ids;
    for (const auto& [id, t] : builtIn().dialogs) ids.push_back(id);
    return ids;
}

bool loadLanguageLibrary(const std::string& path) {
    auto library = std::make_unique<LanguageLibrary>();
    library->handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library->handle)
        return false;
    auto entry =
        reinterpret_cast<ZentrixLanguageResourceFn>(dlsym(library->handle, ZENTRIX_LANGUAGE_ENTRY));
    if (!entry)
        return false;
    const char* strings = entry("strings");
    const char* dialogs = entry("dialogs");
    if (!parseInto(library->resources, strings ? strings : "", dialogs ? dialogs : "", path)) {
        return false;
    }
    std::lock_guard guard(lock());
    language() = std::move(library);
    return true;
}

void unloadLanguageLibrary() {
    std::lock_guard guard(lock());
    language().reset();
}

WideString formatPattern(WideStringView pattern, std::initializer_list<WideStringView> values) {
    WideString text;
    for (size_t i = 0; i < pattern.size(); ++i) {
        const size_t index = i + 1 < pattern.size() ? size_t(pattern[i + 1] - u'1') : values.size();
        if (pattern[i] == u'%' && index < values.size()) {
            text += values.begin()[index];
            ++i;
        } else {
            text += pattern[i];
        }
    }
    return text;
}

}  // namespace zentrix::framework
