// Worker threads shared by the calls of the process: created when a call
// first wants them and kept, so no call pays for starting threads. A call
// hands over a batch of numbered tasks, works on them itself, and returns
// when all are done; batches of concurrent calls share the workers.
#pragma once

#include <cstddef>
#include <functional>

namespace orvex::engine {

// Runs task(0) .. task(count - 1), on the calling thread and on at most
// helpers workers; returns when every task has finished. Where workers
// cannot be had, the calling thread runs them all.
void RunTasks(size_t count, size_t helpers, const std::function<void(size_t)>& task);

// Threads the processor runs at once (at least 1).
size_t AvailableCores();

}  // namespace orvex::engine
