// The connection profiles the correction-link pages remember, as the handheld stored them:
// fixed-width 8-bit text fields, each cut to its width.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/atomic_file.h"
#include "ui/diff/profiles/fixed_text.h"

namespace zentrix::diff {

/// A direct IP server ("dip_data.txt", one record per line).
struct DirectIpProfile {
    static constexpr std::string_view kFileName = "dip_data.txt";
    static constexpr std::string_view kHeader = "Dip data. Version";
    static constexpr platform::FileAccess kAccess = platform::FileAccess::Shared;

    FixedText<32> name;
    FixedText<32> host;
    int32_t port = 0;

    /// Same server: host and port (the name is only the user's label).
    bool sameServer(const DirectIpProfile& other) const {
        return host == other.host && port == other.port;
    }
    friend bool operator==(const DirectIpProfile&, const DirectIpProfile&) = default;
};

/// An NTRIP caster with login and mount point ("ntrip_data.txt", one record per line).
struct NtripProfile {
    static constexpr std::string_view kFileName = "ntrip_data.txt";
    static constexpr std::string_view kHeader = "Ntrip data. Version";
    static constexpr platform::FileAccess kAccess = platform::FileAccess::OwnerOnly;

    FixedText<32> name;
    FixedText<32> host;
    int32_t port = 0;
    FixedText<32> login;
    FixedText<32> password;
    FixedText<100> mountPoint;

    bool sameServer(const NtripProfile& other) const {
        return host == other.host && port == other.port && login == other.login &&
               password == other.password && mountPoint == other.mountPoint;
    }
    friend bool operator==(const NtripProfile&, const NtripProfile&) = default;
};

/// A number for the GSM data call ("gsm_data.txt", one line per field), keyed by the number.
struct GsmProfile {
    static constexpr std::string_view kFileName = "gsm_data.txt";
    static constexpr platform::FileAccess kAccess = platform::FileAccess::Shared;
    static constexpr size_t kFieldCount = 2;
    static constexpr size_t kKeyField = 1;

    FixedText<8> pin;
    FixedText<20> phoneNumber;

    std::string_view field(size_t index) const {
        return index == 0 ? pin.view() : phoneNumber.view();
    }
    void setField(size_t index, std::string_view text) {
        if (index == 0) {
            pin.assign(text);
        } else {
            phoneNumber.assign(text);
        }
    }
    friend bool operator==(const GsmProfile&, const GsmProfile&) = default;
};

/// A packet-data access point ("gprs_data.txt", one line per field), keyed by the APN.
struct GprsProfile {
    static constexpr std::string_view kFileName = "gprs_data.txt";
    static constexpr platform::FileAccess kAccess = platform::FileAccess::OwnerOnly;
    static constexpr size_t kFieldCount = 4;
    static constexpr size_t kKeyField = 1;

    FixedText<32> pin;
    FixedText<32> apn;
    FixedText<32> login;
    FixedText<32> password;

    std::string_view field(size_t index) const {
        switch (index) {
            case 0:
                return pin.view();
            case 1:
                return apn.view();
            case 2:
                return login.view();
            default:
                return password.view();
        }
    }
    void setField(size_t index, std::string_view text) {
        switch (index) {
            case 0:
                pin.assign(text);
                break;
            case 1:
                apn.assign(text);
                break;
            case 2:
                login.assign(text);
                break;
            default:
                password.assign(text);
                break;
        }
    }
    friend bool operator==(const GprsProfile&, const GprsProfile&) = default;
};

}  // namespace zentrix::diff
