#include "engine/worker_pool.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

namespace orvex::engine {
namespace {

// How long a thread that runs out of work keeps looking before it sleeps.
// Video calls come a frame apart, often within this: a worker that slept
// must first be woken and scheduled (tens of microseconds, more where the
// processor is virtual), which took nearly a third of a two-thread 1080p
// bilinear frame's time; spinning this long costs under 1 % of a core at
// 30 frames a second.
constexpr std::chrono::microseconds kSpinTime{200};

inline void CpuRelax() {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#elif defined(__aarch64__)
    asm volatile("yield");
#endif
}

// Waits until done() or kSpinTime has passed.
template <class Done>
void SpinUntil(Done done) {
    const auto end = std::chrono::steady_clock::now() + kSpinTime;
    for (unsigned i = 1; !done(); ++i) {
        CpuRelax();
        if (i % 64 == 0 && std::chrono::steady_clock::now() > end) return;
    }
}

struct Batch {
    const std::function<void(size_t)>* task;
    size_t count;
    size_t helpers;               // workers that may still join
    std::atomic<size_t> next{0};  // the next task to take
    std::mutex mutex;
    std::condition_variable idle;
    // Workers inside the batch; changed under the mutex, read by the
    // caller's spin without it.
    std::atomic<size_t> active{0};

    // Takes and runs tasks until none is left.
    void Work() {
        for (size_t i; (i = next.fetch_add(1)) < count;) (*task)(i);
    }
};

class Pool {
  public:
    void Run(Batch& batch) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            Grow(batch.helpers);
            queue_.push_back(&batch);
            queued_.store(queue_.size(), std::memory_order_release);
        }
        wake_.notify_all();
        batch.Work();
        {
            // No worker joins after this; those inside finish their tasks.
            std::lock_guard<std::mutex> lock(mutex_);
            queue_.erase(std::remove(queue_.begin(), queue_.end(), &batch), queue_.end());
            queued_.store(queue_.size(), std::memory_order_release);
        }
        // The lock is still taken after the spin: the last worker leaves
        // the batch only when it lets go of the lock.
        SpinUntil([&] { return batch.active.load(std::memory_order_acquire) == 0; });
        std::unique_lock<std::mutex> lock(batch.mutex);
        batch.idle.wait(lock, [&] { return batch.active == 0; });
    }

  private:
    // Starts workers up to `wanted`; a thread that cannot be started leaves
    // the work to the others.
    void Grow(size_t wanted) {
        while (workers_.size() < wanted) {
            try {
                workers_.emplace_back([this] { Serve(); });
            } catch (...) {
                return;
            }
        }
    }

    void Serve() {
        for (;;) {
            Batch* batch = nullptr;
            SpinUntil([&] { return queued_.load(std::memory_order_acquire) != 0; });
            {
                std::unique_lock<std::mutex> lock(mutex_);
                wake_.wait(lock, [&] { return !queue_.empty(); });
                batch = queue_.front();
                {
                    std::lock_guard<std::mutex> inside(batch->mutex);
                    ++batch->active;
                }
                if (--batch->helpers == 0) queue_.pop_front();
                queued_.store(queue_.size(), std::memory_order_release);
            }
            batch->Work();
            std::lock_guard<std::mutex> inside(batch->mutex);
            if (--batch->active == 0) batch->idle.notify_all();
        }
    }

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Batch*> queue_;
    std::atomic<size_t> queued_{0};  // queue_.size(), for the spin
    std::vector<std::thread> workers_;
};

// The pool lives as long as the process: its workers wait for work until
// the process ends, and nothing joins them at unload, where joining could
// wait on a lock the loader holds.
Pool& SharedPool() {
    static Pool* pool = new Pool;
    return *pool;
}

}  // namespace

size_t AvailableCores() {
    // Asking the system costs a file read on some; the answer is kept.
    static const size_t cores = [] {
        const unsigned n = std::thread::hardware_concurrency();
        return n == 0 ? size_t(1) : size_t(n);
    }();
    return cores;
}

void RunTasks(size_t count, size_t helpers, const std::function<void(size_t)>& task) {
    helpers = std::min(helpers, count - (count > 0 ? 1 : 0));
    if (helpers == 0) {
        for (size_t i = 0; i < count; ++i) task(i);
        return;
    }
    Batch batch;
    batch.task = &task;
    batch.count = count;
    batch.helpers = helpers;
    SharedPool().Run(batch);
}

}  // namespace orvex::engine
