#include "platform/line_share.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <system_error>
#include <thread>

#include "platform/clock.h"
#include "platform/device_root.h"

namespace zentrix::platform {

namespace {

/// A small send buffer, so that a client that stops reading shows as one within a few seconds
/// of the receiver's output instead of after megabytes.
constexpr int kClientSendBuffer = 16 * 1024;
/// How often the share's thread looks at the pseudo-terminal while nobody listens.
constexpr int kServicePollMs = 50;
/// How often it hands the reader's bytes on while somebody does. The reader only copies them
/// into the outbox: every system call of the share happens on the share's own thread, so the
/// reader pays the same whether two programs listen or twenty. NMEA's listeners do not notice
/// 10 ms.
constexpr int kDeliverEveryMs = 10;
/// What the outbox holds at most (more than 20 s at 115200 baud).
constexpr size_t kOutboxLimit = 256 * 1024;

std::atomic<LineShare*> g_readerShare{nullptr};

std::string systemError(const char* what, int error) {
    return std::string(what) + ": " + std::strerror(error);
}

void closeFd(int& fd) {
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

/// Reads what is there and forgets it: the share's listeners are never heard.
void discardInput(int fd) {
    uint8_t sink[1024];
    while (::read(fd, sink, sizeof sink) > 0) {
    }
}

}  // namespace

std::vector<std::filesystem::path> defaultShareLinks() {
    std::vector<std::filesystem::path> links{deviceRoot() / "devices" / "ZENTRIX-SHARE"};
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime)
        links.push_back(std::filesystem::path(runtime) / "zentrix" / "receiver");
    return links;
}

struct LineShare::State {
    struct Client {
        int fd = -1;
        std::string pending;  ///< what the socket did not take yet
        uint32_t stallSince = 0;
        bool dead = false;
        bool slow = false;  ///< dead because it did not keep up
    };

    LineShareOptions options;
    int master = -1;
    int listener = -1;
    int wake = -1;
    std::filesystem::path terminal;
    std::vector<std::filesystem::path> links;
    uint16_t port = 0;

    std::mutex mutex;    ///< guards the outbox, the only thing the reader touches
    std::string outbox;  ///< what the reader read since the share's thread last took it
    // The share's thread's own.
    std::vector<Client> clients;
    bool terminalOpen = false;
    /// What the terminal could not take yet: it holds only a few kilobytes, and a burst (the
    /// share's thread kept from running for a moment) must not cut what a listener reads.
    std::string terminalPending;

    std::atomic<bool> active{false};  ///< somebody listens: the reader's only check
    std::atomic<bool> terminalInUse{false};
    std::atomic<size_t> clientCount{0};
    std::atomic<uint64_t> dropped{0};
    std::atomic<bool> stopping{false};
    std::thread thread;

    ~State() {
        closeFd(master);
        closeFd(listener);
        closeFd(wake);
        for (Client& client : clients) closeFd(client.fd);
    }

    void wakeUp() {
        const uint64_t one = 1;
        [[maybe_unused]] const ssize_t n = ::write(wake, &one, sizeof one);
    }

    bool openTerminal(std::string& error) {
        master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) {
            error = systemError("pseudo-terminal", errno);
            return false;
        }
        char name[128];
        if (::ptsname_r(master, name, sizeof name) != 0) {
            error = systemError("pseudo-terminal name", errno);
            return false;
        }
        terminal = name;
        ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
        // Raw, so that a listener that does not set the line up reads the sentences unchanged
        // (no CR to LF, no echo). Closing our side afterwards makes the master report a hang-up
        // until somebody opens the device: that is how the share sees whether anyone listens.
        const int slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (slave < 0) {
            error = systemError(name, errno);
            return false;
        }
        termios settings{};
        if (::tcgetattr(slave, &settings) == 0) {
            ::cfmakeraw(&settings);
            ::cfsetspeed(&settings, B115200);
            ::tcsetattr(slave, TCSANOW, &settings);
        }
        ::close(slave);
        return true;
    }

    bool makeLinks(std::string& error) {
        const auto wanted = options.links.empty() ? defaultShareLinks() : options.links;
        for (const auto& link : wanted) {
            std::error_code ec;
            std::filesystem::create_directories(link.parent_path(), ec);
            // A link left by a share that crashed is ours to replace; anything else is not.
            if (std::filesystem::is_symlink(std::filesystem::symlink_status(link, ec)))
                std::filesystem::remove(link, ec);
            std::filesystem::create_symlink(terminal, link, ec);
            if (ec) {
                error = link.string() + ": " + ec.message();
                return false;
            }
            links.push_back(link);
        }
        return true;
    }

    void removeLinks() {
        for (const auto& link : links) {
            std::error_code ec;
            if (std::filesystem::read_symlink(link, ec) == terminal)
                std::filesystem::remove(link, ec);
        }
        links.clear();
    }

    bool openServer(uint16_t wantedPort, std::string& error) {
        listener = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (listener < 0) {
            error = systemError("socket", errno);
            return false;
        }
        const int yes = 1;
        ::setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(wantedPort);
        if (::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            ::listen(listener, 8) != 0) {
            error = systemError(("127.0.0.1:" + std::to_string(wantedPort)).c_str(), errno);
            return false;
        }
        socklen_t length = sizeof address;
        ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
        port = ntohs(address.sin_port);
        return true;
    }

    void acceptClients() {
        for (;;) {
            const int fd = ::accept4(listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
            if (fd < 0)
                return;
            ::setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &kClientSendBuffer, sizeof kClientSendBuffer);
            const int yes = 1;
            ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
            Client client;
            client.fd = fd;
            clients.push_back(std::move(client));
        }
    }

    void flush(Client& client) {
        if (client.pending.empty())
            return;
        const ssize_t n = ::send(client.fd, client.pending.data(), client.pending.size(),
                                 MSG_DONTWAIT | MSG_NOSIGNAL);
        if (n < 0) {
            if (errno != EAGAIN && errno != EWOULDBLOCK)
                client.dead = true;
            return;
        }
        if (n > 0)
            client.stallSince = Clock::tickCount();
        client.pending.erase(0, static_cast<size_t>(n));
    }

    /// Is somebody holding the pseudo-terminal open? Its master hangs up while nobody does.
    bool checkTerminal() {
        if (master < 0)
            return false;
        pollfd p{master, POLLIN, 0};
        ::poll(&p, 1, 0);
        const bool inUse = !(p.revents & POLLHUP);
        if (inUse && (p.revents & POLLIN))
            discardInput(master);
        return inUse;
    }

    /// Writes what the terminal takes of what waits for it.
    void flushTerminal() {
        while (!terminalPending.empty()) {
            const ssize_t n = ::write(master, terminalPending.data(), terminalPending.size());
            if (n <= 0)
                return;
            terminalPending.erase(0, static_cast<size_t>(n));
        }
    }

    /// Hands what the reader left in the outbox on to every listener.
    void deliver(std::string& chunk) {
        chunk.clear();
        {
            std::lock_guard lock(mutex);
            chunk.swap(outbox);
        }
        if (terminalOpen) {
            // A listener on the terminal that falls behind loses the oldest bytes; nobody waits
            // for it.
            terminalPending += chunk;
            if (terminalPending.size() > options.clientBacklogBytes)
                terminalPending.erase(0, terminalPending.size() - options.clientBacklogBytes);
            flushTerminal();
        }
        if (chunk.empty())
            return;
        for (Client& client : clients) {
            if (client.dead)
                continue;
            if (client.pending.size() + chunk.size() > options.clientBacklogBytes) {
                client.dead = client.slow = true;
                continue;
            }
            if (client.pending.empty())
                client.stallSince = Clock::tickCount();
            client.pending += chunk;
            flush(client);
        }
    }

    void serve() {
        std::vector<pollfd> fds;
        std::string chunk;
        while (!stopping.load()) {
            terminalOpen = checkTerminal();
            terminalInUse.store(terminalOpen);
            if (!terminalOpen)
                terminalPending.clear();
            active.store(terminalOpen || !clients.empty(), std::memory_order_relaxed);
            fds.clear();
            fds.push_back({wake, POLLIN, 0});
            fds.push_back({listener, static_cast<short>(listener >= 0 ? POLLIN : 0), 0});
            fds.push_back({terminalOpen ? master : -1,
                           static_cast<short>(POLLIN | (terminalPending.empty() ? 0 : POLLOUT)),
                           0});
            for (const Client& client : clients)
                fds.push_back({client.fd,
                               static_cast<short>(POLLIN | (client.pending.empty() ? 0 : POLLOUT)),
                               0});
            ::poll(fds.data(), fds.size(), active.load() ? kDeliverEveryMs : kServicePollMs);
            if (fds[0].revents & POLLIN) {
                uint64_t count;
                [[maybe_unused]] const ssize_t n = ::read(wake, &count, sizeof count);
            }
            if (fds[2].revents & POLLIN)
                discardInput(master);
            for (size_t i = 0; i < clients.size(); ++i) {
                Client& client = clients[i];
                const short revents = fds[i + 3].revents;
                if (revents & POLLIN) {
                    uint8_t sink[1024];
                    const ssize_t n = ::recv(client.fd, sink, sizeof sink, MSG_DONTWAIT);
                    if (n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK))
                        client.dead = true;
                }
                if (revents & (POLLERR | POLLHUP))
                    client.dead = true;
            }
            deliver(chunk);
            for (Client& client : clients) {
                if (client.dead)
                    continue;
                flush(client);
                if (!client.pending.empty() &&
                    ticksSince(client.stallSince) >= options.stallLimitMs)
                    client.dead = client.slow = true;
            }
            for (auto it = clients.begin(); it != clients.end();) {
                if (!it->dead) {
                    ++it;
                    continue;
                }
                if (it->slow)
                    dropped.fetch_add(1);
                ::close(it->fd);
                it = clients.erase(it);
            }
            if (fds[1].revents & POLLIN)
                acceptClients();
            clientCount.store(clients.size());
        }
    }

    void mirror(const uint8_t* bytes, size_t size) {
        std::lock_guard lock(mutex);
        // Only a share thread that stopped being scheduled lets the outbox grow this far; the
        // oldest bytes are the ones nobody will miss.
        if (outbox.size() + size > kOutboxLimit)
            outbox.clear();
        outbox.append(reinterpret_cast<const char*>(bytes), size);
    }
};

LineShare::LineShare() = default;

LineShare::~LineShare() {
    stop();
}

bool LineShare::start(const LineShareOptions& options) {
    stop();
    lastError_.clear();
    auto state = std::make_unique<State>();
    state->options = options;
    state->wake = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (state->wake < 0) {
        lastError_ = systemError("eventfd", errno);
        return false;
    }
    if (options.pseudoTerminal &&
        (!state->openTerminal(lastError_) || !state->makeLinks(lastError_))) {
        state->removeLinks();
        return false;
    }
    if (options.tcpPort && !state->openServer(*options.tcpPort, lastError_)) {
        state->removeLinks();
        return false;
    }
    state->thread = std::thread([s = state.get()] { s->serve(); });
    state_ = std::move(state);
    return true;
}

void LineShare::stop() {
    if (!state_)
        return;
    if (readerShare() == this)
        attachReaderShare(nullptr);
    state_->stopping.store(true);
    state_->wakeUp();
    if (state_->thread.joinable())
        state_->thread.join();
    state_->removeLinks();
    state_.reset();
}

bool LineShare::running() const {
    return state_ != nullptr;
}

void LineShare::mirror(const uint8_t* bytes, size_t size) {
    State* state = state_.get();
    if (!state || size == 0 || !state->active.load(std::memory_order_relaxed))
        return;
    state->mirror(bytes, size);
}

std::filesystem::path LineShare::terminalPath() const {
    return state_ ? state_->terminal : std::filesystem::path();
}

std::vector<std::filesystem::path> LineShare::links() const {
    return state_ ? state_->links : std::vector<std::filesystem::path>();
}

uint16_t LineShare::tcpPort() const {
    return state_ ? state_->port : 0;
}

size_t LineShare::clientCount() const {
    return state_ ? state_->clientCount.load() : 0;
}

uint64_t LineShare::droppedClients() const {
    return state_ ? state_->dropped.load() : 0;
}

bool LineShare::terminalInUse() const {
    return state_ && state_->terminalInUse.load();
}

void attachReaderShare(LineShare* share) {
    g_readerShare.store(share, std::memory_order_release);
}

LineShare* readerShare() {
    return g_readerShare.load(std::memory_order_acquire);
}

}  // namespace zentrix::platform
