#pragma once
// A shared library opened at run time: dlopen on Linux and macOS, LoadLibrary on Windows.

#include <memory>
#include <string>

namespace trelvanix::driver {

class SharedLibrary {
  public:
    // Opens the library at `path` (a bare file name is looked up the system's way), or
    // returns null with *error saying why the system could not load it.
    static std::unique_ptr<SharedLibrary> open(const std::string& path, std::string* error);
    ~SharedLibrary();
    SharedLibrary(const SharedLibrary&) = delete;
    SharedLibrary& operator=(const SharedLibrary&) = delete;

    // The address of the exported function `name`, or null when the library has none.
    void* function(const char* name) const;

  private:
    explicit SharedLibrary(void* handle) : handle_(handle) {}
    void* handle_;
};

// Sets *function to the library's exported function `name`. When it has none, *function is null
// and the name is added to the comma-separated list *missing, when one is given.
template <typename Function>
void resolve(const SharedLibrary& library, const char* name, Function* function,
             std::string* missing) {
    *function = reinterpret_cast<Function>(library.function(name));
    if (!*function && missing) *missing += (missing->empty() ? "" : ", ") + std::string(name);
}

}  // namespace trelvanix::driver
