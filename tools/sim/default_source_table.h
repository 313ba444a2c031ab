// The caster table the simulator serves when it is not given one.
#pragma once

#include <string>

namespace zentrix::sim {

/// A real caster's table (data/euref-ip.sourcetable.txt), built into the simulator so that it
/// runs with nothing beside it.
std::string defaultSourceTable();

}  // namespace zentrix::sim
