// A program the launch tests start: it writes what it was started with to the file named by
// $ZENTRIX_ARGV_RECORD, each field ended by a NUL byte: its process id, whether it leads a
// session of its own, what its standard input is, its working folder, then its arguments after
// argv[0]. The file appears whole (written aside, then renamed).
#include <limits.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    const char* record = ::getenv("ZENTRIX_ARGV_RECORD");
    if (!record)
        return 2;
    std::string text = std::to_string(::getpid()) + '\0';
    text += std::string(::getsid(0) == ::getpid() ? "leader" : "member") + '\0';
    char buffer[PATH_MAX] = {};
    const ssize_t length = ::readlink("/proc/self/fd/0", buffer, sizeof buffer - 1);
    text += std::string(buffer, length > 0 ? static_cast<size_t>(length) : 0) + '\0';
    text += std::string(::getcwd(buffer, sizeof buffer) ? buffer : "") + '\0';
    for (int i = 1; i < argc; ++i) text += std::string(argv[i]) + '\0';
    const std::string aside = std::string(record) + ".part";
    FILE* file = std::fopen(aside.c_str(), "wb");
    if (!file)
        return 3;
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    if (std::fclose(file) != 0 || !written)
        return 4;
    return std::rename(aside.c_str(), record) == 0 ? 0 : 5;
}
