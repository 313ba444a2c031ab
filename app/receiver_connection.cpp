#include "app/receiver_connection.h"

#include "framework/resources.h"
#include "platform/app_profile.h"
#include "platform/device_identity.h"
#include "platform/device_root.h"
#include "platform/registry.h"
#include "receiver/gnss_receiver.h"
#include "receiver/nmea_receiver/nmea_receiver.h"
#include "receiver/sirf/sirf_receiver.h"
#include "resources/resource_ids.h"

namespace zentrix::app {

namespace {

bool cancelledBy(const ConnectionObserver& observer) {
    return observer.cancelled && observer.cancelled();
}

/// Runs the receiver's search with the observer as its progress listener.
bool search(receiver::ReceiverInterface& receiver, const platform::WideString& portName,
            const ConnectionObserver& observer) {
    if (cancelledBy(observer))
        return false;
    receiver.setConnectProgress(observer.progress);
    const bool found = receiver.connect(portName) != 0;
    receiver.setConnectProgress(nullptr);
    return found;
}

}  // namespace

platform::AppProfile programProfile() {
    // The key is the program's title as built in, whatever language a start loads later.
    platform::AppProfile profile(platform::Registry::device(),
                                 framework::loadString(IDS_APP_TITLE));
    profile.setRegistryKey(kRegistryCompany);
    return profile;
}

ReceiverPlan planStart(const StartOptions& commandLine) {
    return planReceiver(deviceModelFromCode(platform::readModelCode()), commandLine,
                        loadReceiverSettings(programProfile()));
}

std::unique_ptr<receiver::ReceiverInterface> makeReceiver(DeviceModel model) {
    if (model == kSurveyModel)
        return std::make_unique<receiver::GnssReceiver>();
    return std::make_unique<receiver::SirfReceiver>(model);
}

std::unique_ptr<receiver::ReceiverInterface> makeReceiver(ReceiverKind kind, DeviceModel model) {
    switch (kind) {
        case ReceiverKind::Board:
            return std::make_unique<receiver::GnssReceiver>();
        case ReceiverKind::Sirf:
            return std::make_unique<receiver::SirfReceiver>(model);
        case ReceiverKind::Nmea:
            break;
    }
    return std::make_unique<receiver::NmeaReceiver>();
}

ConnectionFailure describeConnectionFailure(receiver::ReceiverInterface& receiver,
                                            const platform::WideString& portName) {
    ConnectionFailure failure;
    failure.portName = portName;
    failure.devicePath = platform::resolvePortName(portName);
    const platform::SerialPort* port = nullptr;
    if (auto* board = dynamic_cast<receiver::GnssReceiver*>(&receiver)) {
        failure.ratesTried = board->ratesTried();
        port = &board->serialPort();
    } else if (auto* chip = dynamic_cast<receiver::SirfReceiver*>(&receiver)) {
        failure.ratesTried = chip->ratesTried();
        port = &chip->serialPort();
    } else if (auto* nmea = dynamic_cast<receiver::NmeaReceiver*>(&receiver)) {
        failure.ratesTried = nmea->ratesTried();
        port = &nmea->serialPort();
    }
    if (failure.ratesTried.empty() && port)
        failure.openError = port->lastError();
    return failure;
}

ReceiverConnection connectPlannedReceiver(const ReceiverPlan& plan,
                                          const ConnectionObserver& observer) {
    ReceiverConnection result;
    result.kind = plan.kind;
    result.receiver = makeReceiver(plan.kind, plan.model);
    result.receiver->setDeviceModel(plan.model);
    if (plan.kind == ReceiverKind::Board) {
        if (observer.serviceSearch)
            observer.serviceSearch();
        ensureServiceRunning();
    }
    bool found = search(*result.receiver, plan.port, observer);
    auto* board = dynamic_cast<receiver::GnssReceiver*>(result.receiver.get());
    if (!found && plan.nmeaFallback && board && board->heardBaud() != 0 && !cancelledBy(observer)) {
        // Sentences on the line but no board answering them: a receiver that only talks NMEA.
        // The board's port is given back without its disconnect, whose commands would each wait
        // out their time-out on a receiver that never answers.
        board->stopReader();
        board->closePort();
        result.kind = ReceiverKind::Nmea;
        result.receiver = makeReceiver(result.kind, plan.model);
        result.receiver->setDeviceModel(plan.model);
        found = search(*result.receiver, plan.port, observer);
    }
    // A give-up while the receiver was being set up still counts: the user asked to end.
    result.cancelled = cancelledBy(observer);
    result.connected = found && !result.cancelled;
    if (!found && !result.cancelled)
        result.failure = describeConnectionFailure(*result.receiver, plan.port);
    return result;
}

}  // namespace zentrix::app
