#include "today/host/today_host.h"

namespace zentrix::today {

int runTodayHost(int, char**) {
    return 1;
}

}  // namespace zentrix::today
