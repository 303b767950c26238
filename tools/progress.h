// A one-line progress bar on standard error for runs over many frames.
#pragma once

#include <chrono>
#include <cstddef>

namespace orvex_tool {

class Progress {
  public:
    // Draws only when enabled and standard error is a terminal.
    Progress(size_t total, bool enabled);
    ~Progress();
    void Step();

  private:
    void Draw() const;

    size_t total_;
    size_t done_ = 0;
    bool active_;
    std::chrono::steady_clock::time_point start_;
};

}  // namespace orvex_tool
