#include "platform/cancellation.h"

#include <atomic>

namespace z917::platform {

namespace {
// Lock-free on every platform we build for, so a signal handler may set it.
std::atomic<bool> requested{false};
static_assert(std::atomic<bool>::is_always_lock_free);
}  // namespace

void Cancellation::Request() noexcept { requested.store(true, std::memory_order_relaxed); }

bool Cancellation::Requested() noexcept { return requested.load(std::memory_order_relaxed); }

void Cancellation::Reset() noexcept { requested.store(false, std::memory_order_relaxed); }

}  // namespace z917::platform
