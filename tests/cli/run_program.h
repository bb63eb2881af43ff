#pragma once
// Runs a program with arguments and standard input, and collects its exit status and
// both outputs. Bounded: a program still running after the limit is killed.

#include <string>
#include <vector>

namespace testing_support {

struct ProgramRun {
    int status = -1;  // exit status; -1 when killed or not started
    std::string out;
    std::string err;
};

ProgramRun RunProgram(const std::string& path, const std::vector<std::string>& args,
                      const std::string& input = {}, int limitSeconds = 120);

}  // namespace testing_support
