#include "progress.h"

#include <unistd.h>

#include <cstdio>

namespace orvex_tool {

Console& Err() {
    static Console console;
    return console;
}

void Console::Line(const std::string& text) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (active_) std::fputs("\r\033[K", stderr);  // the bar's line is reused
    std::fprintf(stderr, "orvex: %s\n", text.c_str());
    if (active_) Draw();
    std::fflush(stderr);
}

void Console::StartProgress(size_t total, bool enabled) {
    std::lock_guard<std::mutex> lock(mutex_);
    total_ = total;
    done_ = 0;
    active_ = enabled && total > 1 && isatty(STDERR_FILENO);
    start_ = std::chrono::steady_clock::now();
    if (active_) Draw();
}

void Console::Step() {
    std::lock_guard<std::mutex> lock(mutex_);
    ++done_;
    if (active_) Draw();
}

void Console::EndProgress() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (active_) std::fputc('\n', stderr);
    active_ = false;
}

void Console::Draw() const {
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
