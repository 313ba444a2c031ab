#include "tools/sim/replay_peer.h"

#include <algorithm>
#include <fstream>
#include <sstream>

namespace zentrix::sim {
namespace {

/// Seconds of the day of a sentence that carries the time in its first field (GGA, RMC, ZDA);
/// -1 for any other.
double timeOfSentence(const std::string& capturedLine) {
    // Some receivers start every sentence with "$$"; the sentence begins at the last of them.
    const size_t body = capturedLine.find_first_not_of('$');
    if (body == 0 || body == std::string::npos)
        return -1;
    const std::string line = capturedLine.substr(body - 1);
    if (line.size() < 14)
        return -1;
    const std::string type = line.substr(3, 4);
    if (type != "GGA," && type != "RMC," && type != "ZDA,")
        return -1;
    const std::string t = line.substr(7, 6);
    if (!std::all_of(t.begin(), t.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return -1;
    double seconds = std::stoi(t.substr(0, 2)) * 3600 + std::stoi(t.substr(2, 2)) * 60 +
                     std::stoi(t.substr(4, 2));
    if (line.size() > 15 && line[13] == '.' && line[14] >= '0' && line[14] <= '9')
        seconds += (line[14] - '0') / 10.0;
    return seconds;
}

}  // namespace

std::vector<ReplayPeer::Line> ReplayPeer::linesOf(const std::string& capture) {
    std::vector<Line> lines;
    double first = -1, previous = -1, dayOffset = 0, offset = 0;
    size_t start = 0;
    while (start < capture.size()) {
        size_t end = capture.find('\n', start);
        end = end == std::string::npos ? capture.size() : end + 1;
        std::string bytes = capture.substr(start, end - start);
        start = end;
        if (bytes[0] == '#')
            continue;  // notes of whoever made the capture
        // A capture stored with bare line feeds gets the carriage returns the receiver sent.
        if (bytes.back() == '\n' && (bytes.size() < 2 || bytes[bytes.size() - 2] != '\r'))
            bytes.insert(bytes.size() - 1, "\r");
        const double t = timeOfSentence(bytes);
        if (t >= 0) {
            if (previous >= 0 && t + dayOffset < previous - 43200)
                dayOffset += 86400;
            const double absolute = t + dayOffset;
            if (first < 0)
                first = absolute;
            // A capture's clock that steps back is taken as it comes, never as a long wait.
            offset = std::max(offset, absolute - first);
            previous = absolute;
        }
        lines.push_back({std::move(bytes), offset});
    }
    return lines;
}

ReplayPeer::ReplayPeer(const std::filesystem::path& log, uint32_t baud, bool realTime, bool loop)
    : baud_(baud), realTime_(realTime), loop_(loop) {
    std::ifstream in(log, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    lines_ = linesOf(content.str());
}

void ReplayPeer::receive(const uint8_t* bytes, size_t count, SimLine& line) {
    // A recording cannot answer; what the program says is only logged.
    for (size_t i = 0; i < count; ++i) {
        const char c = static_cast<char>(bytes[i]);
        if (c == '\n') {
            if (!input_.empty())
                line.logCommand(input_);
            input_.clear();
        } else if (c != '\r' && input_.size() < 1024) {
            input_.push_back(c);
        }
    }
}

void ReplayPeer::tick(SimLine& line) {
    const uint64_t now = line.nowMs();
    if (!started_) {
        started_ = true;
        startMs_ = lastMs_ = now;
    }
    creditBytes_ = std::min(creditBytes_ + static_cast<double>(now - lastMs_) * baud_ / 10000.0,
                            std::max(256.0, baud_ / 10.0));
    lastMs_ = now;
    while (next_ < lines_.size()) {
        const Line& l = lines_[next_];
        if (realTime_) {
            if (static_cast<double>(now - startMs_) < l.offsetSeconds * 1000.0)
                break;
        } else {
            if (creditBytes_ < static_cast<double>(l.bytes.size()))
                break;
            creditBytes_ -= static_cast<double>(l.bytes.size());
        }
        line.send(l.bytes, OutputKind::Reply);
        if (++next_ == lines_.size() && loop_) {
            next_ = 0;
            startMs_ = now;
            if (realTime_)
                break;
        }
    }
}

}  // namespace zentrix::sim
