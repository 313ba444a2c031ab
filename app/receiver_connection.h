// Finding the receiver a start plans for, as the program does it and any tool that drives the
// receiver without the program's windows: the board's receiver service first, the search of the
// planned kind, and a receiver that only talks NMEA when the board's search heard sentences that
// no board answered. Who watches is told each stage and may give the search up.
#pragma once

#include <functional>
#include <memory>

#include "app/startup.h"
#include "platform/app_profile.h"
#include "receiver/commands/receiver_interface.h"

namespace zentrix::app {

/// The program's stored settings, under the key the program keeps them (its built-in title), for
/// reading by a tool that runs beside it.
platform::AppProfile programProfile();

/// What a start opens: the handheld's model, then the command line over the registry's values
/// (read only: a start that fails writes nothing).
ReceiverPlan planStart(const StartOptions& commandLine);

/// Makes the receiver of a model: the GPS-only chip on models 0 and 1, the board otherwise.
std::unique_ptr<receiver::ReceiverInterface> makeReceiver(DeviceModel model);
/// Makes a receiver of `kind`; `model` tells the GPS-only chip which one it is.
std::unique_ptr<receiver::ReceiverInterface> makeReceiver(ReceiverKind kind, DeviceModel model);

/// Who watches a connection. Every member may be empty.
struct ConnectionObserver {
    /// The board's receiver service is being looked for (a pause of up to 5 s).
    std::function<void()> serviceSearch;
    /// Each step of a receiver's search; false gives the search up.
    receiver::ConnectProgress progress;
    /// True once the user asked to end; asked before each search and at the end.
    std::function<bool()> cancelled;
};

/// What a connection ended with. The receiver exists whatever happened: its owner calls
/// `disconnect` when it is connected (and may call it in any case).
struct ReceiverConnection {
    std::unique_ptr<receiver::ReceiverInterface> receiver;
    ReceiverKind kind = ReceiverKind::Board;
    bool connected = false;
    /// The watcher gave up; `connected` is false then, even when the receiver had answered.
    bool cancelled = false;
    /// What the search tried, when it found nothing and was not cancelled.
    ConnectionFailure failure;
};

/// Opens the receiver of `plan` with the program's search. The receiver is told `plan.model`.
ReceiverConnection connectPlannedReceiver(const ReceiverPlan& plan,
                                          const ConnectionObserver& observer = {});

/// What the search of `receiver` on `portName` tried, for a message that it found nothing.
ConnectionFailure describeConnectionFailure(receiver::ReceiverInterface& receiver,
                                            const platform::WideString& portName);

}  // namespace zentrix::app
