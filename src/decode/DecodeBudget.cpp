#include "decode/DecodeBudget.h"

#include <algorithm>
#include <utility>

namespace corkwallery {

DecodeBudget::Reservation::Reservation(Reservation&& other) noexcept
    : budget_(std::exchange(other.budget_, nullptr)), bytes_(other.bytes_) {}

DecodeBudget::Reservation::~Reservation() {
    if (budget_ != nullptr)
        budget_->release(bytes_);
}

qint64 DecodeBudget::bytesFor(QSize pixels, qint64 bytesPerPixel) {
    const qint64 width = std::max(pixels.width(), 0), height = std::max(pixels.height(), 0);
    if (width == 0 || height == 0 || bytesPerPixel <= 0)
        return 0;
    return width * height > kNever / bytesPerPixel ? kNever : width * height * bytesPerPixel;
}

std::optional<DecodeBudget::Reservation> DecodeBudget::reserve(qint64 bytes) {
    bytes = std::max<qint64>(bytes, 0);
    if (bytes > capacity_)
        return std::nullopt;
    std::unique_lock lock(mutex_);
    released_.wait(lock, [&] { return held_ + bytes <= capacity_; });
    held_ += bytes;
    return Reservation(this, bytes);
}

void DecodeBudget::release(qint64 bytes) {
    {
        const std::lock_guard lock(mutex_);
        held_ -= bytes;
    }
    released_.notify_all();
}

}  // namespace corkwallery
