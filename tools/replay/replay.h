// Replaying a captured receiver log through the reader's framer and parsers.
//
// This is how a user checks what Zentrix makes of a receiver's output: every published snapshot
// becomes one JSON line, carrying the sentence whose parsing caused it. Others read these lines,
// so their form is a contract: keys are the record fields' names, numbers are degrees and metres
// as stored, at full double precision.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "receiver/position_record.h"
#include "receiver/receiver_reader.h"

namespace zentrix::replay {

struct ReplayOptions {
    /// Also publish the position after every GGA, for receivers that send no VEC.
    bool publishOnGga = false;
    /// Feed the bytes as they are. Otherwise a capture stored with bare line feeds gets the
    /// carriage returns a receiver sends, and leading "#" note lines are left out.
    bool raw = false;
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

std::string positionJson(const receiver::PositionRecord& p, std::string_view source);
std::string satellitesJson(const receiver::SatelliteRecord* entries, uint32_t count,
                           std::string_view source);

}  // namespace zentrix::replay
