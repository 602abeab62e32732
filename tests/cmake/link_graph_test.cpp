// Reads the link graph the build writes at configure time and looks for a library that
// depends, directly or through others, on itself.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

using LinkGraph = std::map<std::string, std::vector<std::string>>;

// "library: dependency;dependency" per line.
LinkGraph parseLinkGraph(std::istream& in) {
    LinkGraph graph;
    std::string line;
    while (std::getline(in, line)) {
        const auto colon = line.find(':');
        if (colon == std::string::npos) continue;
        auto& dependencies = graph[line.substr(0, colon)];
        std::istringstream rest(line.substr(colon + 1));
        std::string dependency;
        while (std::getline(rest, dependency, ';')) {
            const auto first = dependency.find_first_not_of(' ');
            if (first != std::string::npos) dependencies.push_back(dependency.substr(first));
        }
    }
    return graph;
}

// One cycle as "a -> b -> a", or an empty text when there is none.
std::string findCycle(const LinkGraph& graph) {
    enum class Mark { Unvisited, OnPath, Done };
    std::map<std::string, Mark> marks;
    std::vector<std::string> path;
    std::string cycle;
    std::function<bool(const std::string&)> visit = [&](const std::string& library) {
        marks[library] = Mark::OnPath;
        path.push_back(library);
        if (const auto found = graph.find(library); found != graph.end()) {
            for (const std::string& dependency : found->second) {
                const Mark mark = marks[dependency];
                if (mark == Mark::OnPath) {
                    auto at = std::find(path.begin(), path.end(), dependency);
                    for (; at != path.end(); ++at) cycle += *at + " -> ";
                    cycle += dependency;
                    return true;
                }
                if (mark == Mark::Unvisited && visit(dependency)) return true;
            }
        }
        path.pop_back();
        marks[library] = Mark::Done;
        return false;
    };
    for (const auto& [library, dependencies] : graph)
        if (marks[library] == Mark::Unvisited && visit(library)) return cycle;
    return {};
}

TEST(LinkGraph, NoLibraryDependsOnOneThatDependsBackOnIt) {
    std::ifstream in(TRELVANIX_LINK_GRAPH);
    ASSERT_TRUE(in) << "cannot read " << TRELVANIX_LINK_GRAPH;
    const LinkGraph graph = parseLinkGraph(in);
    ASSERT_TRUE(graph.count("trelvanix_daq")) << "the graph lists the project's libraries";
    EXPECT_EQ(findCycle(graph), "");
}

TEST(LinkGraph, TheCheckFindsAPlantedCycleThroughAnotherLibrary) {
    std::istringstream in(
        "state: ui;resources\n"
        "recording: state;daq\n"
        "daq: state;ui\n"
        "ui:\n");
    LinkGraph graph = parseLinkGraph(in);
    EXPECT_EQ(findCycle(graph), "");
    graph["state"].push_back("recording");
    EXPECT_EQ(findCycle(graph), "state -> recording -> state");
    graph["state"].pop_back();
    graph["ui"].push_back("daq");
    EXPECT_EQ(findCycle(graph), "daq -> state -> ui -> daq");
}

}  // namespace
