#include "batch.h"

#include <sys/stat.h>

#include <atomic>
#include <filesystem>
#include <map>
#include <thread>

#include "image_io.h"
#include "progress.h"

namespace orvex_tool {
namespace {

namespace fs = std::filesystem;

std::string Normal(const std::string& path) {
    std::error_code ec;
    const fs::path absolute = fs::absolute(path, ec);
    return (ec ? fs::path(path) : absolute).lexically_normal().string();
}

}  // namespace

void CheckJobs(const std::vector<Job>& jobs) {
    std::map<std::string, const Job*> byOutput;
    for (const Job& job : jobs) {
        if (job.output == "-") continue;
        const auto [it, fresh] = byOutput.emplace(Normal(job.output), &job);
        if (!fresh)
            throw ToolError(kUsageError, it->second->input + " and " + job.input +
                                             " would both be written to " + job.output);
    }
    std::vector<std::pair<struct stat, const std::string*>> inputs;
    for (const Job& job : jobs) {
        struct stat st {};
        if (job.input != "-" && stat(job.input.c_str(), &st) == 0)
            inputs.emplace_back(st, &job.input);
    }
    for (const Job& job : jobs) {
        struct stat out {};
        if (job.output == "-" || stat(job.output.c_str(), &out) != 0) continue;
        for (const auto& [in, name] : inputs)
            if (in.st_dev == out.st_dev && in.st_ino == out.st_ino)
                throw ToolError(kOutputError, job.output + ": is the input " + *name +
                                                  " (an input is never replaced)");
    }
}

int RunJobs(const std::vector<Job>& jobs, unsigned threads, bool progress,
            const std::function<void(size_t)>& convert) {
    if (threads == 0) threads = std::max(1u, std::thread::hardware_concurrency());
    threads = unsigned(std::min<size_t>(threads, jobs.size()));
    std::vector<int> statuses(jobs.size(), kOk);
    std::atomic<size_t> next{0};
    std::atomic<bool> stop{false};
    Err().StartProgress(jobs.size(), progress);
    auto work = [&] {
        while (!stop) {
            const size_t i = next++;
            if (i >= jobs.size()) break;
            try {
                convert(i);
            } catch (const ToolError& e) {
                Err().Line(e.what());
                statuses[i] = e.status();
                if (e.status() == kUsageError) stop = true;
            } catch (const std::exception& e) {  // out of memory, above all
                Err().Line(jobs[i].input + ": " + e.what());
                statuses[i] = kOutputError;
            }
            Err().Step();
        }
    };
    std::vector<std::thread> pool;
    for (unsigned t = 1; t < threads; ++t) pool.emplace_back(work);
    work();
    for (std::thread& t : pool) t.join();
    Err().EndProgress();
    for (int status : statuses)
        if (status != kOk) return status;
    return kOk;
}

}  // namespace orvex_tool
