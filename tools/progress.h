// The tool's standard error: one-line messages and, for runs over many
// frames, a progress bar that messages from any thread never garble.
#pragma once

#include <chrono>
#include <cstddef>
#include <mutex>
#include <string>

namespace orvex_tool {

class Console {
  public:
    // Prints "orvex: text" on its own line.
    void Line(const std::string& text);

    // The bar is drawn only when enabled and standard error is a terminal.
    void StartProgress(size_t total, bool enabled);
    void Step();
    void EndProgress();

  private:
    void Draw() const;

    std::mutex mutex_;
    size_t total_ = 0;
    size_t done_ = 0;
    bool active_ = false;
    std::chrono::steady_clock::time_point start_;
};

// The process's standard error.
Console& Err();

}  // namespace orvex_tool
