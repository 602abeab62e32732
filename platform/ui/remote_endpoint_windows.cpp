// The remote-control endpoint on Windows: the named pipe \\.\pipe\trelvanix-USER, for this
// user only and never from another machine. Every read, write and connection is overlapped and
// signals one event, the endpoint's wake handle. The first instance is created with
// FILE_FLAG_FIRST_PIPE_INSTANCE, so a second program cannot take the name over.

#ifdef _WIN32

#include <windows.h>
// after windows.h
#include <sddl.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>

#include "platform/ui/remote_endpoint.h"

namespace trelvanix::ui {

namespace {

constexpr DWORD kBufferBytes = 64 * 1024;

std::string windowsError(DWORD code) {
    return "Windows error " + std::to_string(code);
}

// "D:P(A;;GA;;;SID)": full access for the user running the program, nobody else.
std::string onlyThisUser() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return {};
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::string buffer(size, '\0');
    std::string descriptor;
    char* sid = nullptr;
    if (GetTokenInformation(token, TokenUser, buffer.data(), size, &size) &&
        ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &sid)) {
        descriptor = std::string("D:P(A;;GA;;;") + sid + ")";
        LocalFree(sid);
    }
    CloseHandle(token);
    return descriptor;
}

class NamedPipeEndpoint final : public RemoteEndpoint {
  public:
    NamedPipeEndpoint(std::string name, HANDLE wake) : name_(std::move(name)), wake_(wake) {}

    ~NamedPipeEndpoint() override {
        for (auto& [id, client] : clients_) close(client);
        if (waiting_.handle != INVALID_HANDLE_VALUE) close(waiting_);
        CloseHandle(wake_);
    }

    // Creates the instance the next client connects to.
    bool offerInstance(bool first, std::string* error) {
        SECURITY_ATTRIBUTES security{sizeof(SECURITY_ATTRIBUTES), nullptr, FALSE};
        const std::string descriptor = onlyThisUser();
        if (descriptor.empty() ||
            !ConvertStringSecurityDescriptorToSecurityDescriptorA(
                descriptor.c_str(), SDDL_REVISION_1, &security.lpSecurityDescriptor, nullptr)) {
            *error = "cannot describe who may use the pipe";
            return false;
        }
        waiting_ = Instance{};
        waiting_.handle = CreateNamedPipeA(
            name_.c_str(),
            PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED | (first ? FILE_FLAG_FIRST_PIPE_INSTANCE : 0),
            PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS,
            PIPE_UNLIMITED_INSTANCES, kBufferBytes, kBufferBytes, 0, &security);
        const DWORD created = GetLastError();
        LocalFree(security.lpSecurityDescriptor);
        if (waiting_.handle == INVALID_HANDLE_VALUE) {
            *error = created == ERROR_ACCESS_DENIED
                         ? "another Trelvanix already listens on " + name_ + "; it keeps listening"
                         : "cannot listen on " + name_ + ": " + windowsError(created);
            return false;
        }
        waiting_.connect.hEvent = wake_;
        if (!ConnectNamedPipe(waiting_.handle, &waiting_.connect)) {
            const DWORD state = GetLastError();
            if (state == ERROR_PIPE_CONNECTED) waiting_.connected = true;
            if (state == ERROR_PIPE_CONNECTED) SetEvent(wake_);
        }
        return true;
    }

    const std::string& address() const override { return name_; }
    std::intptr_t wakeHandle() const override { return reinterpret_cast<std::intptr_t>(wake_); }

    bool hasActivity() const override {
        if (WaitForSingleObject(wake_, 0) != WAIT_OBJECT_0) return false;
        ResetEvent(wake_);  // every instance is looked at after this
        return true;
    }

    int accept() override {
        DWORD ignored = 0;
        if (!waiting_.connected &&
            !GetOverlappedResult(waiting_.handle, &waiting_.connect, &ignored, FALSE))
            return -1;
        const int id = nextId_++;
        Instance& client = clients_[id] = std::move(waiting_);
        startRead(client);
        std::string error;
        offerInstance(false, &error);
        return id;
    }

    long receive(int id, std::string& into, std::size_t room) override {
        Instance* client = find(id);
        if (!client) return -1;
        if (client->reading) {
            DWORD n = 0;
            if (!GetOverlappedResult(client->handle, &client->read, &n, FALSE))
                return GetLastError() == ERROR_IO_INCOMPLETE ? 0 : -1;
            client->reading = false;
            client->received.append(client->buffer.data(), n);
            if (n == 0 && client->received.empty()) return -1;
        }
        const std::size_t given = std::min(room, client->received.size());
        into.append(client->received, 0, given);
        client->received.erase(0, given);
        if (client->received.empty()) startRead(*client);
        return static_cast<long>(given);
    }

    long send(int id, std::string_view bytes) override {
        Instance* client = find(id);
        if (!client) return -1;
        if (client->writing) {
            DWORD n = 0;
            if (!GetOverlappedResult(client->handle, &client->write, &n, FALSE))
                return GetLastError() == ERROR_IO_INCOMPLETE ? 0 : -1;
            client->writing = false;
        }
        if (bytes.empty()) return 0;
        client->sending.assign(bytes.substr(0, kBufferBytes));
        client->write = OVERLAPPED{};
        client->write.hEvent = wake_;
        if (!WriteFile(client->handle, client->sending.data(), DWORD(client->sending.size()),
                       nullptr, &client->write) &&
            GetLastError() != ERROR_IO_PENDING)
            return -1;
        client->writing = true;
        return static_cast<long>(client->sending.size());
    }

    void watch(int, bool, bool) override {}  // every completion signals the one event

    void disconnect(int id) override {
        const auto it = clients_.find(id);
        if (it == clients_.end()) return;
        close(it->second);
        clients_.erase(it);
    }

  private:
    struct Instance {
        HANDLE handle = INVALID_HANDLE_VALUE;
        OVERLAPPED connect{}, read{}, write{};
        bool connected = false, reading = false, writing = false;
        std::string buffer = std::string(kBufferBytes, '\0');
        std::string received, sending;
    };

    Instance* find(int id) {
        const auto it = clients_.find(id);
        return it == clients_.end() ? nullptr : &it->second;
    }

    void startRead(Instance& client) {
        client.read = OVERLAPPED{};
        client.read.hEvent = wake_;
        client.reading =
            ReadFile(client.handle, client.buffer.data(), kBufferBytes, nullptr, &client.read) ||
            GetLastError() == ERROR_IO_PENDING;
    }

    static void close(Instance& instance) {
        CancelIoEx(instance.handle, nullptr);
        DisconnectNamedPipe(instance.handle);
        CloseHandle(instance.handle);
        instance.handle = INVALID_HANDLE_VALUE;
    }

    std::string name_;
    HANDLE wake_;
    Instance waiting_;
    std::map<int, Instance> clients_;
    int nextId_ = 1;
};

}  // namespace

std::string defaultEndpointAddress(std::string* error) {
    char user[256];
    DWORD size = sizeof user;
    if (!GetUserNameA(user, &size)) {
        *error = "cannot tell the user's name: " + windowsError(GetLastError());
        return {};
    }
    return std::string("\\\\.\\pipe\\trelvanix-") + user;
}

std::unique_ptr<RemoteEndpoint> openLocalEndpoint(const std::string& address, std::string* error) {
    HANDLE wake = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (!wake) {
        *error = "cannot make an event: " + windowsError(GetLastError());
        return nullptr;
    }
    auto endpoint = std::make_unique<NamedPipeEndpoint>(address, wake);
    if (!endpoint->offerInstance(true, error)) return nullptr;
    return endpoint;
}

}  // namespace trelvanix::ui

#endif
