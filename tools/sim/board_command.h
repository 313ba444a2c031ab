// One command line as the survey board reads it, and the checks its handlers share. Internal to
// the board's two halves: the settings (survey_board.cpp) and the correction links
// (board_links.cpp).
#pragma once

#include <algorithm>
#include <initializer_list>
#include <string>
#include <vector>

#include "tools/sim/survey_board.h"

namespace zentrix::sim {

struct SurveyBoard::Command {
    bool isSet = false;
    std::string key;
    std::vector<std::string> args;
    const std::string& arg(size_t i) const {
        static const std::string kEmpty;
        return i < args.size() ? args[i] : kEmpty;
    }
};

inline bool isPortLetter(const std::string& text) {
    return text.size() == 1 &&
           std::find(kBoardPorts.begin(), kBoardPorts.end(), text[0]) != kBoardPorts.end();
}

inline bool isOnOff(const std::string& text) {
    return text == "ON" || text == "OFF";
}

inline bool oneOf(const std::string& text, std::initializer_list<const char*> choices) {
    for (const char* choice : choices) {
        if (text == choice)
            return true;
    }
    return false;
}

}  // namespace zentrix::sim
