#include "platform/driver/shared_library.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

#include "platform/files/operator_files.h"

namespace trelvanix::driver {

namespace {

// A path (not a bare name the system looks up) is checked before the loader opens it: a pipe
// would keep the loader waiting for ever.
std::string pathProblem(const std::string& path) {
    if (path.find_first_of("/\\") == std::string::npos) return {};
    return files::fileProblem(path, files::OperatorFile::DriverLibrary);
}

}  // namespace

#ifdef _WIN32

std::unique_ptr<SharedLibrary> SharedLibrary::open(const std::string& path, std::string* error) {
    if (std::string problem = pathProblem(path); !problem.empty()) {
        if (error) *error = std::move(problem);
        return nullptr;
    }
    HMODULE module = ::LoadLibraryA(path.c_str());
    if (!module) {
        if (error) *error = "Windows error " + std::to_string(::GetLastError());
        return nullptr;
    }
    return std::unique_ptr<SharedLibrary>(new SharedLibrary(module));
}

SharedLibrary::~SharedLibrary() {
    ::FreeLibrary(static_cast<HMODULE>(handle_));
}

void* SharedLibrary::function(const char* name) const {
    return reinterpret_cast<void*>(::GetProcAddress(static_cast<HMODULE>(handle_), name));
}

#else

std::unique_ptr<SharedLibrary> SharedLibrary::open(const std::string& path, std::string* error) {
    if (std::string problem = pathProblem(path); !problem.empty()) {
        if (error) *error = std::move(problem);
        return nullptr;
    }
    // Every function is bound now, so a library that cannot work fails here, not mid-run.
    void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* why = ::dlerror();
        if (error) *error = why ? why : "unknown error";
        return nullptr;
    }
    return std::unique_ptr<SharedLibrary>(new SharedLibrary(handle));
}

SharedLibrary::~SharedLibrary() {
    ::dlclose(handle_);
}

void* SharedLibrary::function(const char* name) const {
    return ::dlsym(handle_, name);
}

#endif

}  // namespace trelvanix::driver
