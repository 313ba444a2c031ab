#include "today/host/today_host.h"

int main(int argc, char** argv) {
    return zentrix::today::runTodayHost(argc, argv);
}
