#pragma once

#include <QSize>
#include <QtGlobal>
#include <condition_variable>
#include <mutex>
#include <optional>

namespace corkwallery {

// The memory that decodes running at the same time may allocate together. Each decode reserves
// what its header says it will allocate before it starts: it waits while others hold too much,
// and one that could never fit is refused at once, so no two can each take the most.
class DecodeBudget {
public:
    // Held for the length of one decode; gives its bytes back when it goes.
    class Reservation {
    public:
        Reservation(Reservation&& other) noexcept;
        Reservation(const Reservation&) = delete;
        Reservation& operator=(const Reservation&) = delete;
        Reservation& operator=(Reservation&&) = delete;
        ~Reservation();

    private:
        friend class DecodeBudget;
        Reservation(DecodeBudget* budget, qint64 bytes) : budget_(budget), bytes_(bytes) {}
        DecodeBudget* budget_;
        qint64 bytes_;
    };

    explicit DecodeBudget(qint64 capacity) : capacity_(capacity) {}

    // The bytes of `pixels` at `bytesPerPixel`, for sizes a header states, whatever they are: past
    // kNever it is kNever, more than any budget, so that sums of a few never overflow either.
    static constexpr qint64 kNever = qint64{1} << 48;
    static qint64 bytesFor(QSize pixels, qint64 bytesPerPixel);

    // Waits until `bytes` fit beside what the others hold; none when they never could.
    std::optional<Reservation> reserve(qint64 bytes);

private:
    void release(qint64 bytes);

    const qint64 capacity_;
    std::mutex mutex_;
    std::condition_variable released_;
    qint64 held_ = 0;
};

}  // namespace corkwallery
