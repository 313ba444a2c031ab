// The receiver the page tests talk to: it answers from values the test sets, fails the
// operations the test names, and writes every call down as a line of text ("queryGps",
// "setSbas 0"), so that a test compares what a page sent with what it should have sent.
//
// Operations are added here as pages need them, each the same way: record the call, then either
// fail (answer 0, out-values untouched, as a receiver that did not answer) or fill the
// out-values from the public members below.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "receiver/commands/receiver_interface.h"

namespace zentrix::test {

class FakeReceiver : public receiver::ReceiverInterface {
  public:
    /// Every call so far, in order.
    const std::vector<std::string>& calls() const { return calls_; }
    void clearCalls() { calls_.clear(); }
    /// Operation `name` ("queryGps") answers 0 from now on, until `succeed(name)`.
    void fail(const std::string& name) { failing_.insert(name); }
    void succeed(const std::string& name) { failing_.erase(name); }

    // What the operations answer.
    receiver::PositionRecord position;
    receiver::SatelliteTable satellites;
    float baselineMetres = 0;
    uint32_t wtiValue = 0;
    uint32_t deviceModel = 2;
    uint8_t gps = 1;
    uint8_t glonass = 1;
    uint8_t sbas = 1;
    uint8_t qzss = 1;

    // Live state: read once a second by the status pages.
    uint32_t getPosition(receiver::PositionRecord& out) override {
        return answer("getPosition", [&] { out = position; });
    }
    uint32_t getSatellites(receiver::SatelliteTable& out) override {
        if (!answer("getSatellites", [&] { out = satellites; }))
            return 0;
        return satellites.count;
    }
    uint32_t getBaselineLength(float& metres) override {
        return answer("getBaselineLength", [&] { metres = baselineMetres; });
    }
    uint32_t getWtiValue() override { return answer("getWtiValue", [] {}) ? wtiValue : 0; }
    uint32_t getDeviceModel() override {
        return answer("getDeviceModel", [] {}) ? deviceModel : 0;
    }

    // Constellation switches.
    uint32_t queryGps(uint8_t& on) override { return query("queryGps", on, gps); }
    uint32_t queryGlonass(uint8_t& on) override { return query("queryGlonass", on, glonass); }
    uint32_t querySbas(uint8_t& on) override { return query("querySbas", on, sbas); }
    uint32_t queryQzss(uint8_t& on) override { return query("queryQzss", on, qzss); }

  protected:
    /// Writes `line` down; answers 0 when its first word names a failing operation, else runs
    /// `fill` and answers 1.
    template <class Fill>
    uint32_t answer(const std::string& line, Fill&& fill) {
        calls_.push_back(line);
        if (failing_.count(line.substr(0, line.find(' '))) != 0)
            return 0;
        fill();
        return 1;
    }
    template <class T>
    uint32_t query(const std::string& name, T& out, const T& value) {
        return answer(name, [&] { out = value; });
    }

  private:
    std::vector<std::string> calls_;
    std::set<std::string> failing_;
};

}  // namespace zentrix::test
