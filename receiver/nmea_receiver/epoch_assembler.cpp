#include "receiver/nmea_receiver/epoch_assembler.h"

namespace zentrix::receiver {

EpochAssembler::EpochAssembler(EpochObserver observer) : observer_(std::move(observer)) {}

void EpochAssembler::addSentence(std::string_view) {}

void EpochAssembler::endEpoch() {}

}  // namespace zentrix::receiver
