// The settings zentrixctl reads and writes, as one table: each row names a setting (or a family
// of them, "nmea.<output>.<sentence>"), the values it takes, and how the receiver reads and
// writes it, with the same operations, codes and order as the pages that set it. `get` and `set`
// only walk the table; nothing here writes to the user.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "receiver/commands/receiver_interface.h"

namespace zentrix::ctl {

struct SettingRow;

/// One setting as the command line names it: its row, and what the name chose where the row's
/// pattern leaves a choice (the output or port, and the sentence).
struct Setting {
    const SettingRow* row = nullptr;
    std::string name;   ///< "nmea.cable.gga"
    uint32_t port = 0;  ///< the output, serial port or radio port the name chose
    uint32_t code = 0;  ///< the sentence the name chose
};

/// The caster settings one query reads and one command writes.
struct CasterSettings {
    std::string host;
    int32_t port = 0;
    std::string login;
    std::string password;
};

/// The receiver for one run, with the answers of the queries several settings share (the NMEA
/// outputs of a port, the caster, a port's radio), so that `get all` asks each once. Only
/// answers are kept: a query that failed is asked again, so that its failure is reported with
/// the receiver's own answer.
class SettingSession {
  public:
    explicit SettingSession(receiver::ReceiverInterface& receiver) : receiver_(receiver) {}

    receiver::ReceiverInterface& receiver() { return receiver_; }
    const receiver::MessageOutputs* nmeaOutputs(uint32_t port);
    const CasterSettings* caster();
    const receiver::RadioSettings* radio(uint32_t port);
    /// Forgets every answer: after a write, the read-back asks afresh.
    void forget();

  private:
    receiver::ReceiverInterface& receiver_;
    std::map<uint32_t, receiver::MessageOutputs> nmea_;
    std::optional<CasterSettings> caster_;
    std::map<uint32_t, receiver::RadioSettings> radios_;
};

/// What a read or a write came to. Neither value nor problem: the operation failed and the
/// receiver's answer to its last command tells why.
struct SettingResult {
    /// A read: the value as `get` prints it and `set` takes it. A write: empty.
    std::optional<std::string> value;
    bool done = false;
    /// Why it failed, in words, when the receiver answered but the answer cannot be used (no
    /// radio on the port).
    std::string problem;
    /// A read that found nothing to report that is no failure (a port without a radio has no
    /// channel): `get all` leaves it out.
    bool absent = false;
};

/// What a kind of receiver can do with a setting.
enum class Access : uint8_t { None, Read, ReadWrite };

/// The words a setting takes, or the form of its value.
struct ValueForm {
    enum class Kind : uint8_t {
        Words,       ///< one of `words`
        Integer,     ///< whole number from `min` to `max`
        Decimal,     ///< number from `min` to `max`, kept to `decimals` places
        Interval,    ///< "off" or an NMEA interval of the output page's list
        Text,        ///< text of at most `maxChars` characters the receiver's command can carry
        HostPort,    ///< HOST:PORT
        MountPoint,  ///< a mount point, or "off" for none
    };
    Kind kind = Kind::Words;
    std::span<const std::string_view> words = {};
    double min = 0;
    double max = 0;
    int decimals = 0;
    size_t maxChars = 0;
};

struct SettingRow {
    /// The name, or a pattern with <output>, <sentence>, <port> or <radio-port> in it.
    std::string_view pattern;
    /// The values as --help shows them.
    std::string_view values;
    ValueForm form;
    /// The GPS-only chip's support (the survey board has every row, a plain NMEA receiver none).
    Access chip = Access::None;
    /// A password: `get` tells only whether it is set, `set NAME -` reads it from standard input.
    bool secret = false;
    SettingResult (*read)(SettingSession&, const Setting&) = nullptr;
    /// Null for a setting only the receiver changes.
    SettingResult (*write)(SettingSession&, const Setting&, const std::string& value) = nullptr;
};

std::span<const SettingRow> settingRows();
/// The setting `name` names exactly; nothing when none does.
std::optional<Setting> findSetting(std::string_view name);
/// Every setting by name, in table order.
std::vector<Setting> allSettings();
/// `value` as the setting stores it ("ON" -> "on", "1.50" -> "1.5"), or why it cannot be.
/// Words are taken in any case; numbers with "." whatever the locale.
std::optional<std::string> canonicalValue(const Setting& setting, std::string_view value,
                                          std::string& why);
/// The lines of --help for the settings: each pattern and its values, then what the patterns'
/// parts stand for.
std::string settingLines();

}  // namespace zentrix::ctl
