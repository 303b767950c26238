// Temporary outputs on an interrupt: SIGINT and SIGTERM remove every
// temporary file being written and end the process with 128 + the signal.
#pragma once

#include <mutex>
#include <string>

namespace orvex_tool {

// Blocks the two signals and waits for them on a thread of its own, so that
// no thread is stopped halfway. Call before any other thread starts.
void CleanUpOnInterrupt();

// Held while a temporary file is created, renamed or removed, and while
// the interrupt removes them: a file is never left between the two.
std::unique_lock<std::mutex> LockTemporaries();
// With the lock held: the files an interrupt removes.
void AddTemporary(const std::string& path);
void DropTemporary(const std::string& path);

// Flushes standard output; an output error (status 4) when it failed.
int FinishStandardOutput(int status);

}  // namespace orvex_tool
