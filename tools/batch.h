// Runs of the tool over many files: the checks that keep a run from losing
// an input or one of its own results, and the conversion of files at once.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace orvex_tool {

struct Job {
    std::string input, output;  // "-": standard input or output
};

// Refuses a run before anything is converted: two jobs that would write the
// same output (usage error naming both inputs), and an output that is the
// same file as any input, by device and inode, whatever its name (output
// error), so that --force never replaces an input.
void CheckJobs(const std::vector<Job>& jobs);

// Converts every job, up to `threads` at once (0: one per core), with the
// progress bar. A failure is reported and the other jobs go on, except after
// a usage error, which stops further jobs. Returns the exit status of the
// first failing job in the order given, or kOk.
// `convert` is called with the job's index.
int RunJobs(const std::vector<Job>& jobs, unsigned threads, bool progress,
            const std::function<void(size_t)>& convert);

}  // namespace orvex_tool
