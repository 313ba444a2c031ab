#include "receiver/replies/receiver_family.h"

#include <array>

namespace zentrix::receiver {
namespace {

constexpr std::array<FamilyRule, 11> kFamilyRules = {{
    {"QL10", "G", "", kFamilyL1Gsm},
    {"QL20", "G", "N", kFamilyL1L2Gsm},
    {"QL20", "G", "U", kFamilyL1L2GsmRadio},
    {"QG30", "G", "", kFamilyGnssGsm},
    {"QL10", "P", "", kFamilyGprsOnly},
    {"QL20", "P", "", kFamilyGprsOnly},
    {"QG30", "P", "", kFamilyGprsOnly},
    {"QL10", "N", "", kFamilyNoModem},
    {"QL20", "N", "", kFamilyNoModem},
    {"QG30", "N", "", kFamilyNoModem},
    {"QOEM", "", "", kFamilyOem},
}};

bool optionMatches(std::string_view options, char option) {
    return options.empty() || options.find(option) != std::string_view::npos;
}

}  // namespace

std::span<const FamilyRule> familyRules() {
    return kFamilyRules;
}

ReceiverFamily receiverFamilyOf(std::string_view productCode, std::string_view identifier) {
    if (identifier.size() < kIdentifierMinChars)
        return kFamilyUnknown;
    for (const FamilyRule& rule : kFamilyRules) {
        if (rule.productCode == productCode &&
            optionMatches(rule.modemOptions, identifier[kModemOptionIndex]) &&
            optionMatches(rule.radioOptions, identifier[kRadioOptionIndex])) {
            return rule.family;
        }
    }
    return kFamilyUnknown;
}

}  // namespace zentrix::receiver
