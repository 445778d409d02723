#include "support/testlib_run.h"

#include <cstdlib>
#include <fstream>

namespace velmira::test {

TestLibRun::TestLibRun() {
    setenv("VELMIRA_TESTLIB_LOG", path("calls.log").c_str(), 1);
    setenv("VELMIRA_TESTLIB_SCRIPT", path("script.txt").c_str(), 1);
}

TestLibRun::~TestLibRun() {
    unsetenv("VELMIRA_TESTLIB_LOG");
    unsetenv("VELMIRA_TESTLIB_SCRIPT");
}

void TestLibRun::script(const std::string& lines) {
    std::ofstream(path("script.txt")) << lines;
}

std::vector<std::string> TestLibRun::calls() const {
    return readLines(path("calls.log"));
}

std::vector<std::string> readLines(const std::string& path) {
    std::vector<std::string> lines;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

}  // namespace velmira::test
