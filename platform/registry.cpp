#include "platform/registry.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <system_error>

#include "platform/device_root.h"

namespace zentrix::platform {
namespace fs = std::filesystem;
namespace {

constexpr int kBusyTimeoutMs = 10000;

constexpr const char* kSchema =
    "CREATE TABLE IF NOT EXISTS keys("
    "  folded TEXT PRIMARY KEY, parent TEXT NOT NULL, name TEXT NOT NULL);"
    "CREATE INDEX IF NOT EXISTS keys_parent ON keys(parent);"
    "CREATE TABLE IF NOT EXISTS vals("
    "  key TEXT NOT NULL, folded TEXT NOT NULL, name TEXT NOT NULL,"
    "  type INTEGER NOT NULL, data BLOB NOT NULL, PRIMARY KEY(key, folded));";

std::string rootName(RootKey root) { return root == RootKey::CurrentUser ? "HKCU" : "HKLM"; }

// Canonical stored path: root name and the non-empty components joined by "\".
std::string canonicalPath(RootKey root, WideStringView path) {
    std::string canonical = rootName(root);
    const std::string utf8 = toUtf8(path);
    size_t start = 0;
    for (size_t i = 0; i <= utf8.size(); ++i) {
        if (i < utf8.size() && utf8[i] != '\\') continue;
        if (i > start) canonical += "\\" + utf8.substr(start, i - start);
        start = i + 1;
    }
    return canonical;
}

std::string parentOf(const std::string& path) {
    const auto slash = path.rfind('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

bool isRoot(const std::string& path) { return path.find('\\') == std::string::npos; }

std::vector<uint8_t> utf16le(WideStringView text) {
    std::vector<uint8_t> bytes;
    bytes.reserve((text.size() + 1) * 2);
    for (const char16_t c : text) {
        bytes.push_back(static_cast<uint8_t>(c & 0xFF));
        bytes.push_back(static_cast<uint8_t>(c >> 8));
    }
    bytes.push_back(0);
    bytes.push_back(0);
    return bytes;
}

WideString fromUtf16le(const std::vector<uint8_t>& bytes) {
    WideString text;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const auto c = static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8));
        if (c == 0) break;
        text += c;
    }
    return text;
}

// Narrows the store and its companion files to the owner's read and write bits at most (a mode
// with fewer bits keeps them: never widened). `createStore` makes an empty store 0600 when
// there is none, which SQLite accepts as a new database.
void makeOwnerOnly(const fs::path& store, bool createStore) {
    if (createStore) {
        const int fd = ::open(store.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0)
            ::close(fd);
    }
    for (const char* suffix : {"", "-wal", "-shm"}) {
        fs::path file = store;
        file += suffix;
        struct stat info {};
        if (::lstat(file.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
            continue;
        const mode_t narrowed = info.st_mode & 0600;
        if ((info.st_mode & 07777) != narrowed)
            ::chmod(file.c_str(), narrowed);
    }
}

}  // namespace

// A prepared statement that finalizes itself.
struct Registry::Statement {
    sqlite3_stmt* stmt = nullptr;

    Statement(sqlite3* db, const char* sql) { sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr); }
    ~Statement() { sqlite3_finalize(stmt); }
    explicit operator bool() const { return stmt != nullptr; }

    Statement& bind(int index, const std::string& text) {
        sqlite3_bind_text(stmt, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
        return *this;
    }
    Statement& bind(int index, int64_t number) {
        sqlite3_bind_int64(stmt, index, number);
        return *this;
    }
    Statement& bind(int index, std::span<const uint8_t> blob) {
        static const uint8_t kNothing = 0;  // an empty value is an empty blob, not NULL
        sqlite3_bind_blob(stmt, index, blob.empty() ? &kNothing : blob.data(),
                          static_cast<int>(blob.size()), SQLITE_TRANSIENT);
        return *this;
    }
    int step() { return stmt ? sqlite3_step(stmt) : SQLITE_ERROR; }
    bool done() { return step() == SQLITE_DONE; }
    std::string text(int column) {
        const auto* p = sqlite3_column_text(stmt, column);
        return p ? std::string(reinterpret_cast<const char*>(p),
                               static_cast<size_t>(sqlite3_column_bytes(stmt, column)))
                 : std::string();
    }
    std::vector<uint8_t> blob(int column) {
        const auto* p = static_cast<const uint8_t*>(sqlite3_column_blob(stmt, column));
        return p ? std::vector<uint8_t>(p, p + sqlite3_column_bytes(stmt, column))
                 : std::vector<uint8_t>();
    }
};

Registry::Registry(fs::path file) : file_(std::move(file)) {
    const int result = openStore();
    if (result != SQLITE_NOTADB && result != SQLITE_CORRUPT) return;
    // Not a database, or damaged beyond use: keep it for whoever wants to look, start afresh.
    std::error_code error;
    for (const char* suffix : {"", "-wal", "-shm"}) {
        fs::path from = file_;
        from += suffix;
        fs::path to = file_;
        to += std::string(".damaged") + suffix;
        if (fs::exists(from, error)) fs::rename(from, to, error);
    }
    openStore();
}

Registry::~Registry() { sqlite3_close_v2(db_); }

int Registry::openStore() {
    createParentFolders(file_);
    // The store holds passwords. SQLite gives its -wal and -shm files the mode of the database,
    // so a database made 0600 before SQLite first opens it keeps them private too; files found
    // wider (an older store, a copy) are narrowed before and after the open.
    makeOwnerOnly(file_, true);
    sqlite3* db = nullptr;
    const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX;
    int result = sqlite3_open_v2(file_.c_str(), &db, flags, nullptr);
    if (result == SQLITE_OK) {
        sqlite3_busy_timeout(db, kBusyTimeoutMs);
        // FULL synchronisation: a setting is on the disk before the write reports success.
        for (const char* sql : {"PRAGMA journal_mode=WAL;", "PRAGMA synchronous=FULL;", kSchema}) {
            result = sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
            if (result != SQLITE_OK) break;
        }
    }
    if (result == SQLITE_OK) {
        db_ = db;
        makeOwnerOnly(file_, false);
    } else {
        sqlite3_close_v2(db);
    }
    return result & 0xFF;  // the primary result code
}

std::shared_ptr<Registry> Registry::device() {
    static std::mutex mutex;
    static std::shared_ptr<Registry> current;
    std::lock_guard lock(mutex);
    const fs::path file = deviceRoot() / "registry.db";
    if (!current || current->file() != file) current = std::make_shared<Registry>(file);
    return current;
}

RegistryKey Registry::key(RootKey root, WideStringView path) { return RegistryKey(*this, root, path); }

bool Registry::execute(const char* sql) {
    return db_ && sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

bool Registry::begin(bool write) { return execute(write ? "BEGIN IMMEDIATE;" : "BEGIN;"); }

bool Registry::commit() {
    if (execute("COMMIT;")) return true;
    rollback();
    return false;
}

void Registry::rollback() { execute("ROLLBACK;"); }

bool Registry::keyExists(const std::string& folded) {
    if (isRoot(folded)) return true;
    Statement st(db_, "SELECT 1 FROM keys WHERE folded = ?1;");
    return st && st.bind(1, folded).step() == SQLITE_ROW;
}

bool Registry::createKey(const std::string& path) {
    std::lock_guard lock(mutex_);
    if (!begin(true)) return false;
    for (std::string key = path; !isRoot(key); key = parentOf(key)) {
        Statement st(db_, "INSERT OR IGNORE INTO keys(folded, parent, name) VALUES(?1, ?2, ?3);");
        const std::string parent = parentOf(key);
        if (!st || !st.bind(1, asciiLower(key)).bind(2, asciiLower(parent))
                        .bind(3, key.substr(parent.size() + 1)).done()) {
            rollback();
            return false;
        }
    }
    return commit();
}

bool Registry::deleteKey(const std::string& folded) {
    std::lock_guard lock(mutex_);
    if (isRoot(folded) || !begin(true)) return false;
    if (!keyExists(folded)) {
        rollback();
        return false;
    }
    // The key itself and everything whose path continues it with a "\". The prefix is compared
    // as bytes: substr() of a text counts characters, which differ from the UTF-8 length of any
    // path with a character outside ASCII.
    const std::string below = folded + "\\";
    Statement values(db_,
                     "DELETE FROM vals WHERE key = ?1 OR "
                     "substr(CAST(key AS BLOB), 1, ?3) = CAST(?2 AS BLOB);");
    Statement keys(db_,
                   "DELETE FROM keys WHERE folded = ?1 OR "
                   "substr(CAST(folded AS BLOB), 1, ?3) = CAST(?2 AS BLOB);");
    const auto length = static_cast<int64_t>(below.size());
    if (!values || !keys || !values.bind(1, folded).bind(2, below).bind(3, length).done() ||
        !keys.bind(1, folded).bind(2, below).bind(3, length).done()) {
        rollback();
        return false;
    }
    return commit();
}

std::optional<std::vector<WideString>> Registry::subkeys(const std::string& folded) {
    std::lock_guard lock(mutex_);
    if (!begin(false)) return std::nullopt;
    std::optional<std::vector<WideString>> names;
    if (keyExists(folded)) {
        Statement st(db_, "SELECT name FROM keys WHERE parent = ?1 ORDER BY rowid;");
        if (st) {
            st.bind(1, folded);
            names.emplace();
            while (st.step() == SQLITE_ROW) names->push_back(fromUtf8(st.text(0)));
        }
    }
    commit();
    return names;
}

std::optional<std::vector<RegistryValueName>> Registry::valueNames(const std::string& folded) {
    std::lock_guard lock(mutex_);
    if (!begin(false)) return std::nullopt;
    std::optional<std::vector<RegistryValueName>> names;
    if (keyExists(folded)) {
        Statement st(db_, "SELECT name, type FROM vals WHERE key = ?1 ORDER BY rowid;");
        if (st) {
            st.bind(1, folded);
            names.emplace();
            while (st.step() == SQLITE_ROW) {
                names->push_back({fromUtf8(st.text(0)),
                                  static_cast<ValueType>(sqlite3_column_int64(st.stmt, 1))});
            }
        }
    }
    commit();
    return names;
}

bool Registry::setValue(const std::string& folded, WideStringView name, ValueType type,
                        std::span<const uint8_t> data) {
    std::lock_guard lock(mutex_);
    if (!begin(true)) return false;
    const std::string utf8 = toUtf8(name);
    // An existing value keeps its spelling and its place in the enumeration order.
    Statement update(db_, "UPDATE vals SET type = ?4, data = ?5 WHERE key = ?1 AND folded = ?2;");
    Statement insert(db_, "INSERT INTO vals(key, folded, name, type, data) "
                          "VALUES(?1, ?2, ?3, ?4, ?5);");
    if (!keyExists(folded) || !update || !insert) {
        rollback();
        return false;
    }
    const auto typeNumber = static_cast<int64_t>(type);
    if (!update.bind(1, folded).bind(2, asciiLower(utf8)).bind(4, typeNumber).bind(5, data).done()) {
        rollback();
        return false;
    }
    if (sqlite3_changes(db_) == 0 &&
        !insert.bind(1, folded).bind(2, asciiLower(utf8)).bind(3, utf8).bind(4, typeNumber)
             .bind(5, data).done()) {
        rollback();
        return false;
    }
    return commit();
}

std::optional<RegistryValue> Registry::value(const std::string& folded, WideStringView name) {
    std::lock_guard lock(mutex_);
    Statement st(db_, "SELECT type, data FROM vals WHERE key = ?1 AND folded = ?2;");
    if (!st || st.bind(1, folded).bind(2, asciiLower(toUtf8(name))).step() != SQLITE_ROW) {
        return std::nullopt;
    }
    return RegistryValue{static_cast<ValueType>(sqlite3_column_int64(st.stmt, 0)), st.blob(1)};
}

bool Registry::deleteValue(const std::string& folded, WideStringView name) {
    std::lock_guard lock(mutex_);
    Statement st(db_, "DELETE FROM vals WHERE key = ?1 AND folded = ?2;");
    return st && st.bind(1, folded).bind(2, asciiLower(toUtf8(name))).done() &&
           sqlite3_changes(db_) > 0;
}

RegistryKey::RegistryKey(Registry& registry, RootKey root, WideStringView path)
    : registry_(&registry),
      root_(root),
      path_(path),
      stored_(canonicalPath(root, path)),
      folded_(asciiLower(stored_)) {}

RegistryKey RegistryKey::subkey(WideStringView name) const {
    WideString path = path_;
    if (!path.empty()) path += u'\\';
    path += name;
    return RegistryKey(*registry_, root_, path);
}

bool RegistryKey::exists() const {
    std::lock_guard lock(registry_->mutex_);
    return registry_->isOpen() && registry_->keyExists(folded_);
}

bool RegistryKey::create() const { return registry_->isOpen() && registry_->createKey(stored_); }

bool RegistryKey::remove() const { return registry_->isOpen() && registry_->deleteKey(folded_); }

std::optional<std::vector<WideString>> RegistryKey::subkeys() const {
    if (!registry_->isOpen()) return std::nullopt;
    return registry_->subkeys(folded_);
}

std::optional<std::vector<RegistryValueName>> RegistryKey::valueNames() const {
    if (!registry_->isOpen()) return std::nullopt;
    return registry_->valueNames(folded_);
}

bool RegistryKey::setValue(WideStringView name, ValueType type, std::span<const uint8_t> data) const {
    return registry_->isOpen() && registry_->setValue(folded_, name, type, data);
}

std::optional<RegistryValue> RegistryKey::value(WideStringView name) const {
    if (!registry_->isOpen()) return std::nullopt;
    return registry_->value(folded_, name);
}

bool RegistryKey::deleteValue(WideStringView name) const {
    return registry_->isOpen() && registry_->deleteValue(folded_, name);
}

bool RegistryKey::setString(WideStringView name, WideStringView text) const {
    return setValue(name, ValueType::String, utf16le(text));
}

bool RegistryKey::setDword(WideStringView name, uint32_t number) const {
    const uint8_t bytes[4] = {static_cast<uint8_t>(number), static_cast<uint8_t>(number >> 8),
                              static_cast<uint8_t>(number >> 16), static_cast<uint8_t>(number >> 24)};
    return setValue(name, ValueType::Dword, bytes);
}

std::optional<WideString> RegistryKey::string(WideStringView name) const {
    const auto stored = value(name);
    if (!stored || stored->type != ValueType::String) return std::nullopt;
    return fromUtf16le(stored->data);
}

std::optional<uint32_t> RegistryKey::dword(WideStringView name) const {
    const auto stored = value(name);
    if (!stored || stored->type != ValueType::Dword || stored->data.size() != 4) return std::nullopt;
    const auto& d = stored->data;
    return static_cast<uint32_t>(d[0] | (d[1] << 8) | (d[2] << 16) | (static_cast<uint32_t>(d[3]) << 24));
}

}  // namespace zentrix::platform
