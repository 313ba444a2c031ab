// A captured log played onto the line: at the pace it was captured, or as fast as the line goes.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "tools/sim/sim_peer.h"

namespace zentrix::sim {

class ReplayPeer : public SimPeer {
  public:
    /// An unreadable log plays as silence.
    ReplayPeer(const std::filesystem::path& log, uint32_t baud, bool realTime, bool loop);

    void receive(const uint8_t* bytes, size_t count, SimLine& line) override;
    void tick(SimLine& line) override;
    uint32_t baudRate() const override { return baud_; }

    size_t lineCount() const { return lines_.size(); }
    bool finished() const { return next_ >= lines_.size() && !loop_; }

    struct Line {
        std::string bytes;
        double offsetSeconds;  // from the first timed sentence of the capture
    };
    /// Splits a capture into lines with their capture times (exposed for tests).
    static std::vector<Line> linesOf(const std::string& capture);

  private:
    std::vector<Line> lines_;
    uint32_t baud_;
    bool realTime_;
    bool loop_;
    size_t next_ = 0;
    bool started_ = false;
    uint64_t startMs_ = 0;
    uint64_t lastMs_ = 0;
    double creditBytes_ = 0;
    std::string input_;
};

}  // namespace zentrix::sim
