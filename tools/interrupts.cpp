#include "interrupts.h"

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <set>
#include <thread>

#include "image_io.h"
#include "progress.h"

namespace orvex_tool {
namespace {

std::mutex& Mutex() {
    static std::mutex mutex;
    return mutex;
}

std::set<std::string>& Temporaries() {
    static std::set<std::string> files;
    return files;
}

}  // namespace

void CleanUpOnInterrupt() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    if (pthread_sigmask(SIG_BLOCK, &set, nullptr) != 0) return;
    std::thread([set] {
        int signal = 0;
        while (sigwait(&set, &signal) != 0) {
        }
        // Never released: no temporary file is made or committed after this.
        Mutex().lock();
        for (const std::string& file : Temporaries()) unlink(file.c_str());
        _exit(128 + signal);
    }).detach();
}

std::unique_lock<std::mutex> LockTemporaries() {
    return std::unique_lock<std::mutex>(Mutex());
}

void AddTemporary(const std::string& path) {
    Temporaries().insert(path);
}

void DropTemporary(const std::string& path) {
    Temporaries().erase(path);
}

int FinishStandardOutput(int status) {
    if (std::fflush(stdout) == 0 && !std::ferror(stdout)) return status;
    const int error = errno;
    Err().Line(std::string("standard output: ") + std::strerror(error ? error : EIO));
    return status == kOk ? kOutputError : status;
}

}  // namespace orvex_tool
