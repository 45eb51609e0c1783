#include "decode/DecodeQueue.h"

#include <algorithm>

namespace corkwallery {

DecodeQueue::DecodeQueue(int workers) {
    workers = std::max(1, workers);
    pool_.setMaxThreadCount(workers);
    runAhead_ = 2 * static_cast<std::size_t>(workers);
    // Before any worker starts: the decoders' limits are process-wide settings.
    PhotoDecoder::prepareDecoders();
}

DecodeQueue::~DecodeQueue() {
    {
        const std::lock_guard lock(mutex_);
        waiting_.clear();
    }
    pool_.waitForDone();
}

void DecodeQueue::add(Job job) {
    const std::lock_guard lock(mutex_);
    waiting_.push_back(std::move(job));
    startWaitingJobs();
}

DecodeQueue::Result DecodeQueue::takeNext() {
    std::unique_lock lock(mutex_);
    if (started_.empty())
        return Result::failure(platform::Error::Kind::Invalid, "no decode was added");
    finished_.wait(lock, [this] { return started_.front().has_value(); });
    Result result = std::move(*started_.front());
    started_.pop_front();
    startWaitingJobs();
    return result;
}

// Called with the mutex held. A deque keeps its elements in place as it grows and shrinks at the
// ends, so each job writes its own slot.
void DecodeQueue::startWaitingJobs() {
    while (!waiting_.empty() && started_.size() < runAhead_) {
        std::optional<Result>* slot = &started_.emplace_back();
        pool_.start([this, slot, job = std::move(waiting_.front())] {
            Result result = job();
            {
                const std::lock_guard lock(mutex_);
                *slot = std::move(result);
            }
            finished_.notify_all();
        });
        waiting_.pop_front();
    }
}

}  // namespace corkwallery
