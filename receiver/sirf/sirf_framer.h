// Cutting the GPS-only chip's byte stream into frames.
//
// The chip talks NMEA or SiRF binary on the same line, and switches between them on command, so
// both kinds are framed by one state machine fed one byte at a time: a "$" followed by "P" or "G"
// starts an NMEA sentence that ends at a carriage return and line feed; 0xA0 0xA2 starts a binary
// frame whose two-byte length says where its checksum and the end bytes 0xB0 0xB3 stand. The
// framer does no I/O and allocates nothing: the frame buffer is a member. A sentence that would
// not fit, a length of 0 or above the protocol's 1023 bytes, a bad checksum or bad end bytes drop
// the frame and the search starts again at the byte that failed, so one lying frame costs only
// itself and what it swallowed (at most a maximal payload's worth).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace zentrix::receiver {

/// What a complete frame is, as the reader dispatches it.
enum class SirfFrameKind : uint8_t {
    NmeaGga,  ///< NMEA heads 0 to 5, in this order
    NmeaGll,
    NmeaGsa,
    NmeaGsv,
    NmeaGst,
    NmeaVtg,
    Acknowledge,           ///< "$PQELR,ACK" or MID 11
    NotAcknowledged,       ///< "$PQELR,NAK" or MID 12
    OkToSend,              ///< MID 18, payload byte 1 non-zero
    NotOkToSend,           ///< MID 18, payload byte 1 zero
    GeodeticNavigation,    ///< MID 41
    NavigationParameters,  ///< MID 19
    TrackerData,           ///< MID 4
    ClockStatus,           ///< MID 7
    SoftwareVersion,       ///< MID 6
    Other,                 ///< any other frame, NMEA or binary
};

/// The protocol a frame start belongs to: 0 none yet, 1 NMEA, 2 SiRF binary.
enum class SirfProtocol : uint8_t { None = 0, Nmea = 1, Binary = 2 };

/// Whether a two-byte checksum belongs to a payload. The contract is the sum of the payload bytes
/// modulo 65536; chips send that sum cut to 15 bits, which differs once a payload (tracker data
/// with many strong satellites) adds up to 32768 or more. Either is accepted.
bool sirfChecksumMatches(std::span<const uint8_t> payload, uint16_t stated);

/// The kind of a complete binary payload (MID first); `Other` for an empty one.
SirfFrameKind classifySirfPayload(std::span<const uint8_t> payload);
/// The kind of a complete NMEA sentence from its first characters.
SirfFrameKind classifyNmeaSentence(std::string_view sentence);

class SirfFramer {
  public:
    /// The frame buffer: an NMEA sentence longer than this is dropped.
    static constexpr size_t kFrameBufferBytes = 20480;
    /// The protocol's largest payload. A binary frame that states more is refused as soon as its
    /// length is read: a corrupt length byte must not swallow the frames that follow.
    static constexpr size_t kMaxPayloadBytes = 1023;

    enum class Feed : uint8_t {
        Nothing,     ///< the byte was taken or dropped
        FrameStart,  ///< "$P", "$G" or 0xA0 0xA2 was seen: see `protocol`
        Complete,    ///< a frame is complete: see `kind`, `frame` and `payload`
    };

    Feed feed(uint8_t byte);

    /// The protocol of the last frame start.
    SirfProtocol protocol() const { return protocol_; }

    // Valid after `Complete` until the next `feed`.
    SirfFrameKind kind() const { return kind_; }
    /// Every byte of the frame as it came, start and end bytes included.
    std::span<const uint8_t> frame() const { return {buffer_.data(), completeLength_}; }
    /// A binary frame's payload (MID first); empty for NMEA.
    std::span<const uint8_t> payload() const;
    bool binary() const { return completeBinary_; }

  private:
    enum class State : uint8_t {
        Search,        // waiting for "$" or 0xA0
        AfterDollar,   // "$" seen: only "P" and "G" start a sentence
        NmeaBody,      // collecting up to the carriage return
        NmeaAfterCr,   // a carriage return seen: a line feed completes the sentence
        AfterA0,       // 0xA0 seen: 0xA2 must follow
        LengthHigh,    // the payload length, high byte
        LengthLow,     // the payload length, low byte
        Payload,       // collecting the payload
        ChecksumHigh,  // the stated checksum, high byte
        ChecksumLow,   // the stated checksum, low byte
        EndFirst,      // 0xB0 must follow
        EndSecond,     // 0xB3 completes the frame
    };

    /// Drops what was collected and looks at `byte` as a possible start.
    Feed restartWith(uint8_t byte);
    void store(uint8_t byte) { buffer_[position_++] = byte; }
    Feed complete(bool binary);

    std::array<uint8_t, kFrameBufferBytes> buffer_{};
    size_t position_ = 0;
    size_t completeLength_ = 0;
    size_t payloadLength_ = 0;
    uint16_t statedChecksum_ = 0;
    State state_ = State::Search;
    SirfProtocol protocol_ = SirfProtocol::None;
    SirfFrameKind kind_ = SirfFrameKind::Other;
    bool completeBinary_ = false;
};

}  // namespace zentrix::receiver
