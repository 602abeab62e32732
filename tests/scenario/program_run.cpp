#include "tests/scenario/program_run.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

extern char** environ;

namespace trelvanix::scenario {

namespace {

std::string readAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::filesystem::path scratch(const std::string& name) {
    return std::filesystem::temp_directory_path() /
           ("trelvanix_scenario_" + std::to_string(::getpid()) + "_" + name);
}

std::filesystem::path& chosenDataFolder() {
    static std::filesystem::path folder = [] {
        auto path = scratch("data");
        std::filesystem::create_directories(path);
        return path;
    }();
    return folder;
}

// This process's environment with the data folder set for the program.
std::vector<std::string> programEnvironment() {
    const std::string key = "TRELVANIX_DATA_FOLDER=";
    std::vector<std::string> entries;
    for (char** e = environ; *e; ++e)
        if (std::string(*e).rfind(key, 0) != 0) entries.emplace_back(*e);
    entries.push_back(key + chosenDataFolder().string());
    return entries;
}

}  // namespace

std::filesystem::path dataFolder() {
    return chosenDataFolder();
}

void useDataFolder(const std::filesystem::path& folder) {
    chosenDataFolder() = folder;
}

RunningProgram startProgram(const std::vector<std::string>& args) {
    RunningProgram program;
    const auto outPath = scratch("stdout"), errPath = scratch("stderr");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    std::vector<std::string> words = {TRELVANIX_PROGRAM};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);

    std::vector<std::string> environment = programEnvironment();
    std::vector<char*> envp;
    for (std::string& entry : environment) envp.push_back(entry.data());
    envp.push_back(nullptr);

    pid_t pid = 0;
    if (posix_spawn(&pid, TRELVANIX_PROGRAM, &actions, nullptr, argv.data(), envp.data()) == 0)
        program.pid = pid;
    posix_spawn_file_actions_destroy(&actions);
    return program;
}

ProgramRun finishProgram(const RunningProgram& program) {
    ProgramRun run;
    if (program.pid > 0) {
        int status = 0;
        ::waitpid(program.pid, &status, 0);
        if (WIFEXITED(status)) run.status = WEXITSTATUS(status);
        if (WIFSIGNALED(status)) run.signal = WTERMSIG(status);
    }
    const auto outPath = scratch("stdout"), errPath = scratch("stderr");
    run.out = readAll(outPath);
    run.err = readAll(errPath);
    std::filesystem::remove(outPath);
    std::filesystem::remove(errPath);
    return run;
}

ProgramRun runProgram(const std::vector<std::string>& args) {
    return finishProgram(startProgram(args));
}

ProgramRun runScript(const std::string& script) {
    const auto path = scratch("script.txt");
    std::ofstream(path) << script;
    ProgramRun run = runProgram({"--headless", "--sim-time", "--script", path.string()});
    std::filesystem::remove(path);
    return run;
}

}  // namespace trelvanix::scenario
