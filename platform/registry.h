// The handheld's registry, kept in an SQLite file at the device root.
//
// Settings must survive anything: the main program and the launcher writing at the same moment,
// a process killed in the middle of a write, a store file damaged by something else. SQLite in
// write-ahead-log mode gives each write its own transaction, so a value is either the old one or
// the new one; other processes wait for a writer instead of failing. A file that is not a
// database at all is moved aside (never deleted) and a fresh store takes its place.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <vector>

#include "platform/text.h"

struct sqlite3;

namespace zentrix::platform {

enum class RootKey { CurrentUser, LocalMachine };

/// The value types the program stores, with the handheld's type numbers.
enum class ValueType : uint32_t { String = 1, Binary = 3, Dword = 4 };

struct RegistryValue {
    ValueType type = ValueType::Binary;
    std::vector<uint8_t> data;
};

struct RegistryValueName {
    WideString name;
    ValueType type = ValueType::Binary;
};

class RegistryKey;

/// One registry store. Names of keys and values compare without regard to ASCII case, and
/// enumeration lists them in the order they were created. Every operation reports failure by its
/// result; none throws. Any thread may use it.
class Registry {
public:
    explicit Registry(std::filesystem::path file);
    ~Registry();
    Registry(const Registry&) = delete;
    Registry& operator=(const Registry&) = delete;

    /// The store of the current device root ("registry.db"), opened on first use.
    static std::shared_ptr<Registry> device();

    bool isOpen() const { return db_ != nullptr; }
    const std::filesystem::path& file() const { return file_; }

    RegistryKey key(RootKey root, WideStringView path);

private:
    friend class RegistryKey;
    struct Statement;

    /// SQLITE_OK or the primary SQLite result code of the failure.
    int openStore();
    bool execute(const char* sql);
    bool begin(bool write);
    bool commit();
    void rollback();

    bool keyExists(const std::string& folded);
    bool createKey(const std::string& path);
    bool deleteKey(const std::string& folded);
    std::optional<std::vector<WideString>> subkeys(const std::string& folded);
    std::optional<std::vector<RegistryValueName>> valueNames(const std::string& folded);
    bool setValue(const std::string& folded, WideStringView name, ValueType type,
                  std::span<const uint8_t> data);
    std::optional<RegistryValue> value(const std::string& folded, WideStringView name);
    bool deleteValue(const std::string& folded, WideStringView name);

    std::filesystem::path file_;
    sqlite3* db_ = nullptr;
    std::recursive_mutex mutex_;
};

/// A key of a registry, named by its root and path ("Software\Zentrix\Group0"). The key need not
/// exist: `create` makes it and its parents, and operations on a missing key fail.
class RegistryKey {
public:
    RegistryKey(Registry& registry, RootKey root, WideStringView path);

    const WideString& path() const { return path_; }
    RegistryKey subkey(WideStringView name) const;

    bool exists() const;
    bool create() const;
    /// Deletes the key with every subkey and value below it.
    bool remove() const;

    /// Names of the direct subkeys, in creation order; empty when the key is missing.
    std::optional<std::vector<WideString>> subkeys() const;
    std::optional<std::vector<RegistryValueName>> valueNames() const;

    bool setValue(WideStringView name, ValueType type, std::span<const uint8_t> data) const;
    std::optional<RegistryValue> value(WideStringView name) const;
    bool deleteValue(WideStringView name) const;

    /// Strings are stored as the handheld stored them: UTF-16LE with a terminating zero.
    bool setString(WideStringView name, WideStringView text) const;
    bool setDword(WideStringView name, uint32_t number) const;
    /// The value when it exists and has that type (a string is read up to its first zero).
    std::optional<WideString> string(WideStringView name) const;
    std::optional<uint32_t> dword(WideStringView name) const;

private:
    Registry* registry_;
    RootKey root_;
    WideString path_;
    std::string stored_;  // "HKCU\Software\..." as it is stored
    std::string folded_;  // the same in lower case, for lookups
};

}  // namespace zentrix::platform
