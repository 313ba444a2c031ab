// The commands of zentrixctl, each a check of its arguments and a run against the receiver
// (see `CommandEntry`). The table that names them is in ctl.cpp.
#pragma once

#include <span>
#include <string>

#include "tools/ctl/ctl.h"

namespace zentrix::ctl {

// status_command.cpp
std::string checkStatus(std::span<const std::string> args);
int runStatus(Context& context, std::span<const std::string> args);

// sourcetable_command.cpp
std::string checkSourceTable(std::span<const std::string> args);
int runSourceTable(Context& context, std::span<const std::string> args);

// setting_commands.cpp
std::string checkGet(std::span<const std::string> args);
int runGet(Context& context, std::span<const std::string> args);
std::string checkSet(std::span<const std::string> args);
int runSet(Context& context, std::span<const std::string> args);
/// The setting names and their values, for --help: one line each, indented by two blanks.
std::string settingsHelp();

// action_commands.cpp
std::string checkNoArguments(std::span<const std::string> args);
std::string checkNtrip(std::span<const std::string> args);
std::string checkSend(std::span<const std::string> args);
std::string checkRecord(std::span<const std::string> args);
int runDial(Context& context, std::span<const std::string> args);
int runHangup(Context& context, std::span<const std::string> args);
int runNtrip(Context& context, std::span<const std::string> args);
int runSend(Context& context, std::span<const std::string> args);
int runReset(Context& context, std::span<const std::string> args);
int runPowerOff(Context& context, std::span<const std::string> args);
int runRecord(Context& context, std::span<const std::string> args);

}  // namespace zentrix::ctl
