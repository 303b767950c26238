#include "progress.h"

#include <unistd.h>

#include <cstdio>

namespace orvex_tool {

Progress::Progress(size_t total, bool enabled)
    : total_(total),
      active_(enabled && total > 1 && isatty(STDERR_FILENO)),
      start_(std::chrono::steady_clock::now()) {
    if (active_) Draw();
}

Progress::~Progress() {
    if (active_) std::fputc('\n', stderr);
}

void Progress::Step() {
    ++done_;
    if (active_) Draw();
}

void Progress::Draw() const {
    constexpr size_t kBar = 30;
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    const double fps = seconds > 0 ? double(done_) / seconds : 0;
    const double left = fps > 0 ? double(total_ - done_) / fps : 0;
    char bar[kBar + 1];
    const size_t filled = total_ ? done_ * kBar / total_ : kBar;
    for (size_t i = 0; i < kBar; ++i) bar[i] = i < filled ? '#' : '.';
    bar[kBar] = '\0';
    std::fprintf(stderr, "\r[%s] %zu/%zu frames  %.1f fps  %d:%02d left ", bar, done_, total_, fps,
                 int(left) / 60, int(left) % 60);
    std::fflush(stderr);
}

}  // namespace orvex_tool
