// The receiver simulator: a simulated receiver on the far end of a serial line.
//
// The line is a pseudo-terminal whose other end the program opens as its COM port (or a real
// device the simulator serves). A real line carries bytes only when both ends agree on the baud
// rate; a pseudo-terminal carries them whatever the rates, so the simulator plays that part
// itself: it reads the rate the program set on its end (tcgetattr on the master shows it) and,
// while it differs from the rate the receiver talks at, turns the receiver's output into noise and
// drops what the program sends. A baud search therefore works here as it does on a real line.
//
// Threads: one simulator thread owns the line and the receiver; every public operation may be
// called from any other thread.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tools/sim/sim_peer.h"
#include "tools/sim/sky.h"
#include "tools/sim/survey_board.h"

namespace zentrix::sim {

enum class SimReceiver { SurveyBoard, SirfChip, Replay };

struct SimOptions {
    SimReceiver receiver = SimReceiver::SurveyBoard;
    /// The rate the receiver talks at when it starts.
    uint32_t baudRate = 57600;
    /// The GPS-only chip starts in SiRF binary (else in NMEA).
    bool sirfStartsBinary = true;
    Place place;
    uint32_t seed = 1;
    /// The table the board serves after a source-table download: a file, else the text.
    std::filesystem::path sourceTable;
    std::string sourceTableText;
    /// UTC at start, seconds since 1970; 0 takes the system time.
    double startUtcSeconds = 0;
    /// Replay: the captured log, and whether to keep the capture's own pace (from the time
    /// fields of its sentences) rather than going as fast as the line allows.
    std::filesystem::path replayLog;
    bool replayRealTime = true;
    bool replayLoop = false;
    /// Hold output to the line's speed (bits per second / 10 bytes per clock second).
    bool paceOutput = true;
    /// Keep a copy of everything written to the line (see `Simulator::lineTranscript`).
    bool keepTranscript = false;
    /// The survey board's radios by port letter (a PDL on port D unless told otherwise), and
    /// whether it powers them at start.
    std::map<char, FittedRadio> radios = {{'D', FittedRadio{}}};
    bool radioOn = false;
    /// The board keeps trying a refused direct IP server or caster until told "OFF".
    bool retriesRefusedLinks = false;
    /// The survey board's port the line is wired to (A unless told otherwise).
    char handheldPort = 'A';
};

class Simulator final : SimLine {
  public:
    explicit Simulator(SimOptions options = {});
    ~Simulator() override;
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    /// Opens a fresh pseudo-terminal; its other end is `devicePath`.
    bool openPseudoTerminal();
    /// Serves an existing serial device instead (a null-modem cable to a real handheld). Its
    /// rate is set to the receiver's, so there is no garbling to simulate.
    bool serveDevice(const std::filesystem::path& device);
    /// Makes the line reachable as "COMn:" of the device root: the link devices/COMn.
    bool linkAsComPort(int number);
    /// The path the program opens.
    std::string devicePath() const;

    bool start();
    void stop();
    bool running() const { return thread_.joinable(); }

    // Faults.
    void setFault(SimFault fault, bool on = true);
    void clearFaults();
    bool fault(SimFault fault) const override;
    /// Switches `fault` on as soon as a command starting with `prefix` arrives, on the
    /// simulator's own thread and before that command is answered, so that a test's fault never
    /// races the line (a test thread woken by `waitForCommand` may come too late on a busy
    /// machine).
    void setFaultOnCommand(std::string prefix, SimFault fault);
    /// How late replies come under `SimFault::DelayReplies` (clock ms; default 12 s, beyond the
    /// handheld's 10 s wait).
    void setReplyDelayMs(uint32_t ms) { replyDelayMs_ = ms; }

    /// Moves the simulator's clock forward: the sky, the solution and pending work (a dial in
    /// progress, a delayed reply) behave as if that much time had passed.
    void advanceClock(uint32_t ms) { clockOffsetMs_ += ms; }
    uint64_t nowMs() const override;

    /// Every command the receiver heard, in order, as text (binary ones described).
    std::vector<std::string> commandLog() const;
    void clearCommandLog();
    /// Waits (clock ms) until a command starting with `prefix` has been heard; true if it was.
    bool waitForCommand(const std::string& prefix, uint32_t timeoutMs);

    /// Runs `inspect` on the survey board's settings under the simulator's lock (nothing for
    /// other receivers). Tests read and preset the board this way.
    void withBoard(const std::function<void(SurveyBoard&)>& inspect);
    /// Powers the board up again after "$PQELS,PWR,OFF".
    void powerOn();
    /// The rate the receiver talks at now, and the rate the program's end is set to (0 unknown).
    uint32_t receiverBaud() const;
    uint32_t lineBaud() const;
    /// Bytes written to the line so far (after garbling).
    uint64_t bytesWritten() const { return bytesWritten_; }
    /// Bytes the program wrote to the line so far, at any rate (those at a wrong rate reach no
    /// receiver, but they were sent).
    uint64_t bytesHeard() const { return bytesHeard_; }
    /// Every byte written to the line so far, as written (after garbling), when
    /// `SimOptions::keepTranscript` is set; empty otherwise.
    std::string lineTranscript() const;

  private:
    struct Output {
        uint64_t dueMs;
        std::string bytes;
        OutputKind kind;
        uint32_t baud;  // the rate the receiver talked at when it said this
    };

    void send(std::string bytes, OutputKind kind) override;
    void logCommand(std::string text) override;

    void loop();
    void step();
    void readLine();
    void writeLine();
    void vanish();
    void noise(std::string& bytes);
    uint32_t readLineBaud() const;

    SimOptions options_;
    std::unique_ptr<SimPeer> peer_;
    SurveyBoard* board_ = nullptr;

    int master_ = -1;
    int slave_ = -1;  // kept open so that the master never sees a hang-up between programs
    bool isPty_ = false;
    std::string devicePath_;
    std::filesystem::path link_;

    std::thread thread_;
    std::atomic<bool> stopRequested_{false};
    mutable std::mutex mutex_;  // guards the peer, the queues and the log
    std::condition_variable logChanged_;
    std::atomic<uint32_t> faults_{0};
    std::atomic<uint32_t> replyDelayMs_{12000};
    std::atomic<uint64_t> clockOffsetMs_{0};
    std::atomic<uint32_t> lineBaud_{0};
    std::atomic<uint64_t> bytesWritten_{0};
    std::atomic<uint64_t> bytesHeard_{0};
    std::vector<std::string> commands_;
    std::string faultTriggerPrefix_;  // under mutex_; empty when no fault waits for a command
    SimFault faultTrigger_ = SimFault::Silence;
    std::string transcript_;
    std::deque<Output> queue_;
    std::string writing_;  // bytes taken from the queue, not yet on the line
    struct WritingRun {
        size_t length;
        uint32_t baud;  // the rate the receiver talked at when it said these bytes
    };
    std::deque<WritingRun> writingRuns_;  // `writing_` in runs of one rate
    double lineCreditBytes_ = 0;
    uint64_t lastCreditMs_ = 0;
    uint32_t noiseState_ = 0x9E3779B9u;
    mutable std::mutex clockMutex_;
    mutable uint32_t clockLastTick_;
    mutable uint64_t clockTotalMs_ = 0;
};

/// The rate of a termios speed constant; 0 for one the simulator does not know.
uint32_t baudOfSpeed(unsigned speed);

}  // namespace zentrix::sim
