#pragma once

#include <QThread>
#include <QThreadPool>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>

#include "decode/PhotoDecoder.h"

namespace corkwallery {

// Decodes photos on worker threads and hands the results back in the order the decodes were
// added, whichever finishes first. One worker per core the process may run on
// (QThread::idealThreadCount() follows the CPU affinity: under `taskset -c 0` there is one). Only
// a few decodes run ahead of the result taken next, since waiting results hold memory. Jobs run
// off the calling thread, so they must touch no widget.
class DecodeQueue {
public:
    using Result = PhotoDecoder::Result<Photo>;
    using Job = std::function<Result()>;

    explicit DecodeQueue(int workers = QThread::idealThreadCount());
    // Waits for the decodes under way; those not started are dropped.
    ~DecodeQueue();
    DecodeQueue(const DecodeQueue&) = delete;
    DecodeQueue& operator=(const DecodeQueue&) = delete;

    void add(Job job);
    // Waits for the result of the oldest job not taken yet (a failure when none is left).
    Result takeNext();

private:
    void startWaitingJobs();

    QThreadPool pool_;
    std::mutex mutex_;
    std::condition_variable finished_;
    std::deque<Job> waiting_;
    std::deque<std::optional<Result>> started_;  // in job order, filled as each one finishes
    std::size_t runAhead_;
};

}  // namespace corkwallery
