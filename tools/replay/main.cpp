// zentrix-replay: what Zentrix makes of a receiver's output, one JSON line per published snapshot.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>

#include "tools/replay/replay.h"

namespace {

int usage() {
    std::fprintf(stderr,
                 "usage: zentrix-replay [--publish-on-gga] [--raw] FILE\n"
                 "  FILE            a captured receiver log; - reads standard input\n"
                 "  --publish-on-gga  also publish the position after every GGA (receivers that\n"
                 "                  send no VEC)\n"
                 "  --raw           feed the bytes as they are (no CR LF line ends added, no '#'\n"
                 "                  note lines left out)\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    zentrix::replay::ReplayOptions options;
    const char* file = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--publish-on-gga") == 0) {
            options.publishOnGga = true;
        } else if (std::strcmp(argv[i], "--raw") == 0) {
            options.raw = true;
        } else if (file == nullptr && (argv[i][0] != '-' || std::strcmp(argv[i], "-") == 0)) {
            file = argv[i];
        } else {
            return usage();
        }
    }
    if (file == nullptr) return usage();

    std::string bytes;
    if (std::strcmp(file, "-") == 0) {
        bytes.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
    } else {
        std::ifstream in(file, std::ios::binary);
        if (!in) {
            std::fprintf(stderr, "zentrix-replay: cannot read %s: %s\n", file, std::strerror(errno));
            return 1;
        }
        std::ostringstream content;
        content << in.rdbuf();
        bytes = content.str();
    }
    std::ios::sync_with_stdio(false);
    zentrix::replay::replay(std::move(bytes), options,
                            [](const std::string& line) { std::cout << line << '\n'; });
    std::cout.flush();
    return std::cout ? 0 : 1;
}
