#pragma once

#include <QTemporaryDir>
#include <string>
#include <vector>

namespace velmira::test {

// One use of the test library: its call log and result script live in a
// temporary folder and are handed to it through its environment.
class TestLibRun {
  public:
    TestLibRun();
    ~TestLibRun();

    // Results, one "call-or-function result" per line.
    void script(const std::string& lines);
    // The calls the library saw, in order.
    std::vector<std::string> calls() const;
    std::string path(const char* name) const { return (dir_.path() + "/" + name).toStdString(); }

  private:
    QTemporaryDir dir_;
};

std::vector<std::string> readLines(const std::string& path);

}  // namespace velmira::test
