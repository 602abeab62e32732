// Remote control's costs on the running program: the round trip of `get PANEL ACQUIRE` while
// it acquires 8 channels at 50 kS/s on the real clock, and the processor time the program
// spends on that acquisition without a client and with one sending 100 commands a second.
// Starts the built program headless with --listen in a runtime folder of its own.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

// The program, acquiring 8 x 50 kS/s, and one connection to it.
class Program {
  public:
    Program() {
        folder_ =
            fs::temp_directory_path() / ("trelvanix_remote_bench_" + std::to_string(getpid()));
        fs::create_directories(folder_ / "data");
        fs::permissions(folder_, fs::perms::owner_all);
        std::vector<std::string> env;
        for (char** e = environ; *e; ++e) env.emplace_back(*e);
        env.push_back("XDG_RUNTIME_DIR=" + folder_.string());
        env.push_back("TRELVANIX_DATA_FOLDER=" + (folder_ / "data").string());
        std::vector<char*> envp, argv;
        for (auto& e : env) envp.push_back(e.data());
        envp.push_back(nullptr);
        std::string program = TRELVANIX_PROGRAM, headless = "--headless", listen = "--listen";
        argv = {program.data(), headless.data(), listen.data(), nullptr};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        if (posix_spawn(&pid_, TRELVANIX_PROGRAM, &actions, nullptr, argv.data(), envp.data()))
            throw std::runtime_error("cannot start the program");
        const auto deadline = Clock::now() + std::chrono::seconds(60);
        while (!connect()) {
            if (Clock::now() > deadline) throw std::runtime_error("the program does not listen");
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        for (int c = 1; c < 8; ++c) command("set PANEL CHECK_" + std::to_string(c) + " 1");
        command("menu MENUBAR_RATE_KS_50");
        acquireWithStretch("S_0_1");
    }

    // (Re)starts acquisition with the stretch menu item given ("S_0_1": 100 ms).
    void acquireWithStretch(const std::string& item) {
        if (item == stretch_) return;
        command("press PANEL STOP");  // "error: ... dimmed" when nothing runs: fine
        command("menu MENUBAR_STRETCH_" + item);
        command("press PANEL ACQUIRE");
        stretch_ = item;
        std::this_thread::sleep_for(std::chrono::seconds(2));  // the run settles
    }
    ~Program() {
        ::close(socket_);
        ::kill(pid_, SIGTERM);
        ::waitpid(pid_, nullptr, 0);
        fs::remove_all(folder_);
    }

    // Sends one line and returns its answer (event lines are not asked for here).
    std::string command(const std::string& line) {
        const std::string out = line + "\n";
        if (::send(socket_, out.data(), out.size(), MSG_NOSIGNAL) != ssize_t(out.size()))
            throw std::runtime_error("send failed");
        for (;;) {
            if (const auto end = pending_.find('\n'); end != std::string::npos) {
                std::string answer = pending_.substr(0, end);
                pending_.erase(0, end + 1);
                return answer;
            }
            char buffer[4096];
            const ssize_t n = ::recv(socket_, buffer, sizeof buffer, 0);
            if (n <= 0) throw std::runtime_error("the program closed the connection");
            pending_.append(buffer, std::size_t(n));
        }
    }

    // Processor seconds the program has used so far (user and system).
    double processorSeconds() const {
        std::ifstream stat("/proc/" + std::to_string(pid_) + "/stat");
        std::string text((std::istreambuf_iterator<char>(stat)), {});
        std::istringstream fields(text.substr(text.rfind(')') + 2));
        std::string field;
        unsigned long long user = 0, system = 0;
        for (int i = 3; i <= 15 && fields >> field; ++i) {
            if (i == 14) user = std::stoull(field);
            if (i == 15) system = std::stoull(field);
        }
        return double(user + system) / double(::sysconf(_SC_CLK_TCK));
    }

  private:
    bool connect() {
        socket_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un name{};
        name.sun_family = AF_UNIX;
        const std::string path = (folder_ / "trelvanix.sock").string();
        path.copy(name.sun_path, sizeof name.sun_path - 1);
        if (::connect(socket_, reinterpret_cast<sockaddr*>(&name), sizeof name) == 0) return true;
        ::close(socket_);
        return false;
    }

    fs::path folder_;
    pid_t pid_ = -1;
    int socket_ = -1;
    std::string pending_;
    std::string stretch_;
};

Program& program() {
    static Program running;
    return running;
}

double percentile(std::vector<double> values, double p) {
    std::sort(values.begin(), values.end());
    return values[std::size_t(p * double(values.size() - 1))];
}

// Round trips one after another, with stretches of state.range(0) ms; the median and the 90th
// percentile in milliseconds. Commands run between stretches, as the operator's clicks do; the
// loop reads a stretch only once it is in and serves commands while it comes in, so a trip
// waits at most for the processing of one stretch, whatever the stretch's length.
void BM_GetRoundTripWhileAcquiring8x50k(benchmark::State& state) {
    Program& p = program();
    p.acquireWithStretch(state.range(0) == 10 ? "S_0_01" : "S_0_1");
    std::vector<double> trips;
    for (auto _ : state) {
        const auto start = Clock::now();
        benchmark::DoNotOptimize(p.command("get PANEL ACQUIRE"));
        trips.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    state.counters["median_ms"] = percentile(trips, 0.5);
    state.counters["p90_ms"] = percentile(trips, 0.9);
}
BENCHMARK(BM_GetRoundTripWhileAcquiring8x50k)->Arg(100)->Arg(10)->Iterations(200)->UseRealTime();

// The program's processor time over 10 s of acquisition, as a percentage of one core, with
// commands at `state.range(0)` per second.
void BM_ProgramProcessorWithCommandsPerSecond(benchmark::State& state) {
    Program& p = program();
    p.acquireWithStretch("S_0_1");
    const int perSecond = int(state.range(0));
    for (auto _ : state) {
        const double before = p.processorSeconds();
        const auto start = Clock::now(), end = start + std::chrono::seconds(10);
        auto next = start;
        while (Clock::now() < end) {
            if (perSecond > 0) {
                p.command("get PANEL ACQUIRE");
                next += std::chrono::microseconds(1000000 / perSecond);
                std::this_thread::sleep_until(next);
            } else {
                std::this_thread::sleep_until(end);
            }
        }
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        state.counters["program_cpu_percent"] = 100.0 * (p.processorSeconds() - before) / seconds;
    }
}
BENCHMARK(BM_ProgramProcessorWithCommandsPerSecond)
    ->Arg(0)
    ->Arg(100)
    ->Iterations(1)
    ->Repetitions(3)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();

}  // namespace
