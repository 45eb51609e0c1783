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

void DecodeQueue::add(Job job, Handler handler) {
    const std::lock_guard lock(mutex_);
    waiting_.emplace_back(std::move(job), std::move(handler));
    startWaitingJobs();
}

// A job of its own that decodes nothing, so that it comes in its turn.
void DecodeQueue::then(std::function<void()> step) {
    add([] { return Result::failure(platform::Error::Kind::Invalid, "nothing decoded"); },
        [step = std::move(step)](const Result&) { step(); });
}

// Called with the mutex held. A deque keeps its elements in place as it grows and shrinks at the
// ends, so each job writes its own slot. The queue outlives its workers (see the destructor), and
// the hand-on call is dropped with the queue.
void DecodeQueue::startWaitingJobs() {
    while (!waiting_.empty() && started_.size() < runAhead_) {
        auto [job, handler] = std::move(waiting_.front());
        waiting_.pop_front();
        Slot* slot = &started_.emplace_back(Slot{std::nullopt, std::move(handler)});
        pool_.start([this, slot, job = std::move(job)] {
            Result result = job();
            {
                const std::lock_guard lock(mutex_);
                slot->result = std::move(result);
            }
            QMetaObject::invokeMethod(this, &DecodeQueue::handOnFinished, Qt::QueuedConnection);
        });
    }
}

// Hands on the result at the front once it is finished, then lets the event loop turn before the
// next: each handler's work (a window, a save) is one turn's. A handler may add jobs; one that
// runs the event loop (a dialog) cannot have the next result handed on inside it.
void DecodeQueue::handOnFinished() {
    if (handingOn_)
        return;
    Slot slot;
    {
        const std::lock_guard lock(mutex_);
        if (started_.empty() || !started_.front().result)
            return;
        slot = std::move(started_.front());
        started_.pop_front();
        startWaitingJobs();
    }
    handingOn_ = true;
    slot.handler(std::move(*slot.result));
    handingOn_ = false;
    const std::lock_guard lock(mutex_);
    if (!started_.empty() && started_.front().result)
        QMetaObject::invokeMethod(this, &DecodeQueue::handOnFinished, Qt::QueuedConnection);
}

}  // namespace corkwallery
