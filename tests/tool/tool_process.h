// Runs of the built orvex tool from the tool tests: a folder of its own for
// each test, the tool's exit status and what it wrote to its two streams.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace orvex_test {

struct ToolRun {
    int status;  // the exit status, -1 when the tool did not exit by itself
    std::string out, err;
};

inline std::string Slurp(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), {}};
}

class ToolFolder : public testing::Test {
  protected:
    // The process id keeps concurrent runs of the suite apart, the test's
    // name the tests of one run.
    void SetUp() override {
        const testing::TestInfo& test = *testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string(test.test_suite_name()) + "." + test.name();
        std::replace(name.begin(), name.end(), '/', '_');
        dir_ = std::filesystem::temp_directory_path() /
               ("orvex-tool-" + std::to_string(::getpid()) + "-" + name);
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    std::string Path(const std::string& name) const { return (dir_ / name).string(); }

    // Runs the tool with `input` as its standard input. Its standard output is
    // captured unless `output` names where it goes (a file, /dev/full).
    ToolRun Tool(const std::string& args, const std::string& input = "/dev/null",
                 const std::string& output = "") const {
        const std::string out = output.empty() ? Path("stdout.txt") : output;
        const std::string err = Path("stderr.txt");
        const std::string cmd =
            std::string(ORVEX_TOOL) + " " + args + " <" + input + " >" + out + " 2>" + err;
        const int raw = std::system(cmd.c_str());
        ToolRun r{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, output.empty() ? Slurp(out) : "",
                  Slurp(err)};
        if (output.empty()) std::filesystem::remove(out);
        std::filesystem::remove(err);
        return r;
    }

    // Files in the folder: the test's inputs, the tool's outputs and leftovers.
    size_t FileCount() const {
        return size_t(std::distance(std::filesystem::directory_iterator(dir_),
                                    std::filesystem::directory_iterator()));
    }

  private:
    std::filesystem::path dir_;
};

}  // namespace orvex_test
