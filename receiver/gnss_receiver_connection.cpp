// Finding the receiver and leaving it as it was found.
//
// The board talks at whatever rate it was last set to, and a rate that does not match only shows
// as noise. So the search tries the rates in order of likelihood, each with a reader thread of its
// own, and takes the first rate at which a sentence start ("$P" or "$G") is heard. Only one reader
// thread exists at any time: the rate of the port changes only while none runs.
#include <algorithm>
#include <array>

#include "receiver/gnss_receiver.h"

namespace zentrix::receiver {

namespace {

constexpr std::array<uint32_t, 6> kSearchRates = {57600, 115200, 9600, 4800, 19200, 38400};
/// How often the search looks whether a new reader thread has created its events.
constexpr uint32_t kReaderStartPollMs = 1;

}  // namespace

uint32_t GnssReceiver::connect(WideStringView portName) {
    using Stage = ConnectStep::Stage;
    poweredOff_ = false;
    searchTrials_ = 0;
    heardBaud_ = 0;
    if (!reportConnectStep(Stage::OpeningPort) || !openPort(portName))
        return 0;
    port_.purge(platform::SerialPort::kPurgeTxClear | platform::SerialPort::kPurgeRxClear);
    if (!searchBaudRate())
        return 0;
    if (!reportConnectStep(Stage::SettingUp, port_.baudRate()))
        return 0;  // the reader keeps running; the owner disconnects

    uint32_t port = 0;
    uint32_t baudCode = 0;
    if (!queryReceiverPort(port, baudCode))
        return 0;  // the reader keeps running; the owner disconnects
    // The receiver's own NPT setting is given back at disconnect; results of these steps are not
    // looked at, a missing answer only costs its time-out.
    if (run(Command::QueryNpt)) {
        const NptSettings saved = reader_.replies().getNpt();
        savedNptFirst_ = saved.first;
        savedNptSecond_ = saved.second;
    }
    run(Command::SetNpt, {1, 0});
    setStatusNmea(port);
    run(Command::QueryReceiverFamily);
    receiverPort_ = port;
    if (!isConnected())
        return 0;
    return reportConnectStep(Stage::Connected, port_.baudRate()) ? 1 : 0;
}

std::vector<uint32_t> GnssReceiver::ratesTried() const {
    return {kSearchRates.begin(),
            kSearchRates.begin() + std::min<size_t>(searchTrials_, kSearchRates.size())};
}

bool GnssReceiver::searchBaudRate() {
    searchTrials_ = 0;
    heardBaud_ = 0;
    for (const uint32_t rate : kSearchRates) {
        if (!reportConnectStep(ConnectStep::Stage::TryingRate, rate))
            return false;
        ++searchTrials_;
        reader_.activityEvent().reset();
        port_.setBaudRate(rate);
        // Bytes the line took at the previous rate say nothing about this one; left in the
        // driver's queue they can pass for a sentence start and stop the search at a wrong rate.
        port_.purge(platform::SerialPort::kPurgeRxClear);
        if (!startReader()) {
            stopReader();
            continue;
        }
        // The first command must not look for the reader's events before the thread has made
        // them. Waiting for them, rather than a fixed 100 ms, is never too short on a loaded
        // machine and costs nothing on an idle one.
        while (!reader_.vectorEvent().exists() && readerThread_->isRunning()) {
            platform::sleepMs(kReaderStartPollMs);
        }
        run(Command::QueryReceiverPort);
        if (channel_.waitActivity()) {
            heardBaud_ = rate;
            return true;
        }
        stopReader();
    }
    return false;
}

uint32_t GnssReceiver::disconnect() {
    if (!poweredOff_) {
        if (nmeaOffOnDisconnect_) {
            uint32_t port = 0;
            uint32_t baudCode = 0;
            if (queryReceiverPort(port, baudCode))
                setNmeaAll(false, port);
        }
        run(Command::SetNpt,
            {static_cast<int32_t>(savedNptFirst_), static_cast<int32_t>(savedNptSecond_)});
    }
    stopReader();
    closePort();
    return 1;
}

}  // namespace zentrix::receiver
