#pragma once

#include <QObject>
#include <QThread>
#include <QThreadPool>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>

#include "decode/PhotoDecoder.h"

namespace corkwallery {

// Decodes photos on worker threads and hands each result to the handler added with its job, on
// the queue's own thread and in the order the jobs were added, whichever finishes first; the
// thread that adds never waits. One worker per core the process may run on
// (QThread::idealThreadCount() follows the CPU affinity: under `taskset -c 0` there is one). Only
// a few decodes run ahead of the result handed on next, since waiting results hold memory. Jobs
// run off the queue's thread, so they must touch no widget.
class DecodeQueue final : public QObject {
    Q_OBJECT
public:
    using Result = PhotoDecoder::Result<Photo>;
    using Job = std::function<Result()>;
    using Handler = std::function<void(Result)>;

    explicit DecodeQueue(int workers = QThread::idealThreadCount());
    // Waits for the decodes under way; no handler runs any more.
    ~DecodeQueue() override;
    DecodeQueue(const DecodeQueue&) = delete;
    DecodeQueue& operator=(const DecodeQueue&) = delete;

    void add(Job job, Handler handler);
    // Runs `step` once every job added before it has been handed on.
    void then(std::function<void()> step);

private:
    struct Slot {
        std::optional<Result> result;  // filled by the worker
        Handler handler;
    };

    void startWaitingJobs();
    void handOnFinished();

    QThreadPool pool_;
    std::mutex mutex_;
    std::deque<std::pair<Job, Handler>> waiting_;
    std::deque<Slot> started_;  // in job order
    std::size_t runAhead_;
    bool handingOn_ = false;
};

}  // namespace corkwallery
