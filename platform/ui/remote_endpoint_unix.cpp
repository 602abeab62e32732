// The remote-control endpoint on Linux: a Unix-domain stream socket of mode 0600. A lock file
// beside it tells whether another program listens (the lock goes with its process, so a
// socket left by one that crashed is replaced). One epoll descriptor gathers the readiness
// of the socket and of every client, so the event loop watches a single descriptor.

#ifndef _WIN32

#include <fcntl.h>
#include <poll.h>
#include <sys/epoll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <set>

#include "platform/ui/remote_endpoint.h"

namespace trelvanix::ui {

namespace {

constexpr int kBacklog = 16;
constexpr std::size_t kReadChunk = 16 * 1024;

std::string systemError() {
    return std::strerror(errno);
}

// A folder only this user can enter: made when missing, refused when another user owns it, it
// is a link, or others may enter it.
bool privateFolder(const std::string& path, std::string* error) {
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) {
        *error = "cannot make the folder " + path + ": " + systemError();
        return false;
    }
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0 || !S_ISDIR(status.st_mode) ||
        status.st_uid != ::getuid() || (status.st_mode & 077) != 0) {
        *error = path + " is not a folder of this user's own that nobody else may enter";
        return false;
    }
    return true;
}

class UnixSocketEndpoint final : public RemoteEndpoint {
  public:
    UnixSocketEndpoint(std::string path, int lock, int socket, int epoll)
        : path_(std::move(path)), lock_(lock), socket_(socket), epoll_(epoll) {}

    ~UnixSocketEndpoint() override {
        for (int client : clients_) ::close(client);
        ::close(socket_);
        ::unlink(path_.c_str());
        ::close(epoll_);
        ::close(lock_);  // releases the lock; the file stays, so a waiting program locks this one
    }

    const std::string& address() const override { return path_; }
    std::intptr_t wakeHandle() const override { return epoll_; }

    bool hasActivity() const override {
        pollfd ready = {epoll_, POLLIN, 0};
        return ::poll(&ready, 1, 0) > 0;
    }

    int accept() override {
        for (;;) {
            const int client = ::accept4(socket_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
            if (client < 0) return -1;
            // The socket's mode already keeps other users out; root is turned away here.
            ucred peer{};
            socklen_t size = sizeof peer;
            if (::getsockopt(client, SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0 ||
                peer.uid != ::getuid()) {
                ::close(client);
                continue;
            }
            epoll_event interest{};
            interest.events = EPOLLIN;
            interest.data.fd = client;
            ::epoll_ctl(epoll_, EPOLL_CTL_ADD, client, &interest);
            clients_.insert(client);
            return client;
        }
    }

    long receive(int client, std::string& into, std::size_t room) override {
        if (room == 0) return 0;
        char buffer[kReadChunk];
        const ssize_t n = ::recv(client, buffer, std::min(room, sizeof buffer), 0);
        if (n > 0) {
            into.append(buffer, static_cast<std::size_t>(n));
            return n;
        }
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) return 0;
        return -1;
    }

    long send(int client, std::string_view bytes) override {
        const ssize_t n = ::send(client, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (n >= 0) return n;
        return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR ? 0 : -1;
    }

    void watch(int client, bool input, bool output) override {
        epoll_event interest{};
        interest.events = (input ? EPOLLIN : 0u) | (output ? EPOLLOUT : 0u);
        interest.data.fd = client;
        ::epoll_ctl(epoll_, EPOLL_CTL_MOD, client, &interest);
    }

    void disconnect(int client) override {
        if (clients_.erase(client) == 0) return;
        ::epoll_ctl(epoll_, EPOLL_CTL_DEL, client, nullptr);
        ::close(client);
    }

  private:
    std::string path_;
    int lock_, socket_, epoll_;
    std::set<int> clients_;
};

}  // namespace

std::string defaultEndpointAddress(std::string* error) {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && runtime[0] == '/') return std::string(runtime) + "/trelvanix.sock";
    std::error_code ec;
    const std::string folder =
        (std::filesystem::temp_directory_path(ec) / ("trelvanix-" + std::to_string(::getuid())))
            .string();
    if (!privateFolder(folder, error)) return {};
    return folder + "/trelvanix.sock";
}

std::unique_ptr<RemoteEndpoint> openLocalEndpoint(const std::string& address, std::string* error) {
    sockaddr_un name{};
    name.sun_family = AF_UNIX;
    if (address.empty() || address.size() >= sizeof name.sun_path) {
        *error = "the socket path " + address + " is longer than " +
                 std::to_string(sizeof name.sun_path - 1) + " characters";
        return nullptr;
    }
    std::memcpy(name.sun_path, address.c_str(), address.size() + 1);

    const std::string lockPath = address + ".lock";
    const int lock = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (lock < 0) {
        *error = "cannot open " + lockPath + ": " + systemError();
        return nullptr;
    }
    if (::flock(lock, LOCK_EX | LOCK_NB) != 0) {
        ::close(lock);
        *error = "another Trelvanix already listens on " + address + "; it keeps listening";
        return nullptr;
    }
    // Whatever is left at the path is a socket from a program that ended without removing it;
    // anything else is not ours to delete.
    struct stat left {};
    if (::lstat(address.c_str(), &left) == 0) {
        if (!S_ISSOCK(left.st_mode)) {
            ::close(lock);
            *error = address + " exists and is not a socket";
            return nullptr;
        }
        ::unlink(address.c_str());
    }
    const int socket = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    const mode_t previousMask = ::umask(0177);  // the socket is made with mode 0600
    const bool bound =
        socket >= 0 && ::bind(socket, reinterpret_cast<sockaddr*>(&name), sizeof name) == 0;
    ::umask(previousMask);
    const int epoll = bound ? ::epoll_create1(EPOLL_CLOEXEC) : -1;
    epoll_event interest{};
    interest.events = EPOLLIN;
    interest.data.fd = socket;
    if (!bound || ::chmod(address.c_str(), 0600) != 0 || ::listen(socket, kBacklog) != 0 ||
        epoll < 0 || ::epoll_ctl(epoll, EPOLL_CTL_ADD, socket, &interest) != 0) {
        *error = "cannot listen on " + address + ": " + systemError();
        if (bound) ::unlink(address.c_str());
        if (socket >= 0) ::close(socket);
        if (epoll >= 0) ::close(epoll);
        ::close(lock);
        return nullptr;
    }
    return std::make_unique<UnixSocketEndpoint>(address, lock, socket, epoll);
}

}  // namespace trelvanix::ui

#endif
