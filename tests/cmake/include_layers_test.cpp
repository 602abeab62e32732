// Reads every source file's project includes and checks that the folders read ground up: a
// folder includes only itself and the floors below it, so nothing below app/ includes app/.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// The floors, lowest first. Folders on one floor do not include one another.
const std::vector<std::vector<std::string>> kFloors = {
    {"platform/clock", "platform/analysis", "platform/files"},
    {"platform/ui", "platform/driver"},
    {"platform/qt", "resources"},
    {"state"},
    {"daq"},
    {"analysis", "stimulus"},
    {"recording"},
    {"protocol"},
    {"results"},
    {"params"},
    {"app"},
};

int floorOf(const std::string& folder) {
    for (size_t floor = 0; floor < kFloors.size(); ++floor)
        for (const std::string& f : kFloors[floor])
            if (f == folder) return static_cast<int>(floor);
    return -1;
}

// The project folder a path inside the tree belongs to ("platform/ui/toolkit.h" ->
// "platform/ui"), or "" when it is in none.
std::string folderOf(const std::string& path) {
    std::string best;
    for (const auto& floor : kFloors)
        for (const std::string& f : floor)
            if (path.rfind(f + "/", 0) == 0 && f.size() > best.size()) best = f;
    return best;
}

// "file: includes folder" for each include that climbs or crosses a floor.
std::vector<std::string> violations(const std::string& file, std::istream& text) {
    static const std::regex include(R"(^\s*#\s*include\s+"([^"]+)\")");
    std::vector<std::string> found;
    const std::string from = folderOf(file);
    // The program's entry point is the roof: it may include anything.
    if (from.empty() || file == "app/main.cpp") return found;
    std::string line;
    std::smatch match;
    while (std::getline(text, line)) {
        if (!std::regex_search(line, match, include)) continue;
        const std::string to = folderOf(match[1].str());
        if (to.empty() || to == from) continue;
        // Only the entry point builds the Qt front end; everything else speaks to the toolkit.
        if (floorOf(to) >= floorOf(from) || to == "platform/qt")
            found.push_back(file + ": includes " + to);
    }
    return found;
}

TEST(IncludeLayers, EveryFolderIncludesOnlyTheFloorsBelowIt) {
    const fs::path root = TRELVANIX_SOURCE_DIR;
    std::vector<std::string> found;
    int files = 0;
    for (const auto& floor : kFloors) {
        for (const std::string& folder : floor) {
            for (const auto& entry : fs::recursive_directory_iterator(root / folder)) {
                const std::string ext = entry.path().extension().string();
                if (ext != ".cpp" && ext != ".h" && ext != ".in") continue;
                const std::string relative = fs::relative(entry.path(), root).generic_string();
                // A folder's subfolder that is a floor of its own is checked as that floor.
                if (folderOf(relative) != folder) continue;
                std::ifstream in(entry.path());
                ++files;
                for (std::string& v : violations(relative, in)) found.push_back(std::move(v));
            }
        }
    }
    EXPECT_GT(files, 100) << "the walk found the sources";
    EXPECT_EQ(found, std::vector<std::string>{});
}

TEST(IncludeLayers, TheCheckFindsAnIncludeThatClimbsOrCrosses) {
    std::istringstream climbing("#include \"state/shared_state.h\"\n#include \"app/startup.h\"\n");
    EXPECT_EQ(violations("params/parameter_files.cpp", climbing),
              std::vector<std::string>{"params/parameter_files.cpp: includes app"});
    std::istringstream crossing("#include <vector>\n  #include \"stimulus/stimulus.h\"\n");
    EXPECT_EQ(violations("analysis/units.cpp", crossing),
              std::vector<std::string>{"analysis/units.cpp: includes stimulus"});
    std::istringstream qt("#include \"platform/qt/qt_front_end.h\"\n");
    EXPECT_EQ(violations("app/startup.cpp", qt),
              std::vector<std::string>{"app/startup.cpp: includes platform/qt"});
    qt.clear();
    qt.seekg(0);
    EXPECT_TRUE(violations("app/main.cpp", qt).empty());
}

}  // namespace
