// Another process for the broadcast tests: "send MESSAGE WPARAM LPARAM" broadcasts and prints how
// many listeners it reached; "listen" listens, prints "ready", then prints the first broadcast
// it receives (or nothing after ten seconds) and ends.
#include <poll.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "framework/broadcast.h"
#include "platform/broadcast_channel.h"

int main(int argc, char** argv) {
    using namespace zentrix;
    if (argc == 5 && std::strcmp(argv[1], "send") == 0) {
        const int reached = framework::BroadcastMessage(
            static_cast<framework::UINT>(std::strtoul(argv[2], nullptr, 10)),
            std::strtoull(argv[3], nullptr, 10), std::strtoll(argv[4], nullptr, 10));
        std::printf("%d\n", reached);
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "listen") == 0) {
        platform::BroadcastListener listener;
        if (!listener.listen()) {
            std::printf("error %s\n", listener.error().c_str());
            return 1;
        }
        std::printf("ready\n");
        std::fflush(stdout);
        std::string received;
        pollfd p{listener.fd(), POLLIN, 0};
        while (received.empty() && ::poll(&p, 1, 10000) > 0)
            listener.receive([&received](std::string_view text) { received = text; });
        std::printf("%s\n", received.c_str());
        return received.empty() ? 1 : 0;
    }
    std::fprintf(stderr, "usage: framework_broadcast_peer send MESSAGE WPARAM LPARAM | listen\n");
    return 2;
}
