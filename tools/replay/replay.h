// Replaying a captured receiver log through the reader's framer and parsers.
//
// This is how a user checks what Zentrix makes of a receiver's output: every published snapshot
// becomes one JSON line, carrying the sentence whose parsing caused it. Others read these lines,
// so their form is a contract: keys are the record fields' names, numbers are degrees and metres
// as stored, at full double precision.
//
// The live view prints the same lines from a receiver on a serial port, read by the program's own
// reader thread, so that a person can watch what the program would see.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/text.h"
#include "receiver/commands/station_list.h"
#include "receiver/nmea/position_record.h"
#include "receiver/nmea/receiver_reader.h"

namespace zentrix::replay {

/// Whose parsing the bytes go through: the survey board's reader, or the framer and epochs of a
/// receiver that speaks plain NMEA.
enum class ReceiverKind { Board, Nmea };

struct ReplayOptions {
    /// Also publish the position after every GGA, for receivers that send no VEC.
    bool publishOnGga = false;
    /// Feed the bytes as they are. Otherwise a capture stored with bare line feeds gets the
    /// carriage returns a receiver sends, and leading "#" note lines are left out.
    bool raw = false;
    /// With `Nmea` every epoch publishes one position and one satellite table; the end of the
    /// bytes is a quiet line and ends the last epoch.
    ReceiverKind receiver = ReceiverKind::Board;
};

/// Makes a stored capture look as it did on the line (see `ReplayOptions::raw`).
std::string lineBytesOf(std::string_view capture);

/// Makes `reader` hand every published snapshot to `line` as one JSON line (on the reader thread).
void attachJsonLines(receiver::ReceiverReader& reader, const ReplayOptions& options,
                     std::function<void(const std::string&)> line);

/// Runs `bytes` through a reader and hands every published snapshot to `line` as one JSON line
/// (without its line feed).
void replay(std::string bytes, const ReplayOptions& options,
            const std::function<void(const std::string&)>& line);

/// The live view: a serial port instead of a capture.
struct LiveOptions {
    platform::WideString port;  ///< "COM3:"
    uint32_t baudRate = 57600;
    /// Switch on the sentences the view shows (position, satellites, errors, time, vector) on the
    /// receiver port the handheld is wired to.
    bool configure = false;
    /// Start the receiver's modem and dial, so that corrections arrive and the solution converges.
    bool dial = false;
    /// Stop after this many seconds; 0 runs until stopped.
    uint32_t seconds = 0;
    bool publishOnGga = false;
    /// `Nmea` listens for the rate itself (the receiver's passive search) and writes nothing.
    ReceiverKind receiver = ReceiverKind::Board;
};

/// What the command line asks for: a capture to replay, or a live view of a port.
struct CommandLine {
    ReplayOptions replay;
    std::string file;  ///< "-" for standard input; empty for a live view
    std::optional<LiveOptions> live;
    /// A saved NTRIP source table to list station by station.
    std::string sourceTableFile;
};

/// Reads the arguments that follow the program name; nothing when they make no sense together.
std::optional<CommandLine> parseCommandLine(std::span<const std::string> args);

/// Why a live view ended.
enum class LiveEnd { Stopped, TimeUp, PortFailed, LinkLost };

/// Opens the port, runs the program's reader thread on it and hands every published snapshot to
/// `line` as one JSON line (on the reader thread), until `stop` is set, the time is up or the
/// device goes away. What it configured and why it ended goes to `note` (on the calling thread).
/// A plain NMEA receiver is searched for passively first; each position it publishes goes to
/// `line` with the satellite table beside it, on the calling thread, with an empty "source".
LiveEnd runLive(const LiveOptions& options, const std::atomic<bool>& stop,
                std::function<void(const std::string&)> line,
                const std::function<void(const std::string&)>& note);

/// One station of a source table as one JSON object, keyed as the record's fields.
std::string stationJson(const receiver::StationRecord& record);
/// Parses a saved source table as the program does and hands every station to `line`. A file
/// saved without the caster's status line gets "SOURCETABLE 200 OK" in front, as a caster sends it.
void sourceTableStations(std::string_view saved,
                         const std::function<void(const std::string&)>& line);

/// A JSON string of any bytes: quotes and backslashes escaped, control and non-ASCII bytes as
/// \u00XX (a receiver's bytes are not always UTF-8).
std::string jsonString(std::string_view text);
/// The shortest text that reads back as the same number, with "." whatever the locale; null for a
/// value that is not finite.
std::string jsonNumber(double value);

std::string positionJson(const receiver::PositionRecord& p, std::string_view source);
/// A plain NMEA receiver's position: the keys of `positionJson`, with "utc" in ISO 8601
/// ("2021-06-01T12:34:56.50Z") and left out while the sentences have given no date.
std::string nmeaPositionJson(const receiver::PositionRecord& p, std::string_view source);
std::string satellitesJson(const receiver::SatelliteRecord* entries, uint32_t count,
                           std::string_view source);

}  // namespace zentrix::replay
