#pragma once

#include <functional>
#include <utility>

namespace tavimo {

// A place among the transfers a scheduler runs at once. The transfer gives
// it back as soon as its network part is over, so the next transfer starts
// while this one's file is made durable. Given back once, however often
// release() is called.
class TransferSlot {
public:
    TransferSlot() = default; // a place no scheduler waits for
    explicit TransferSlot(std::function<void()> freed) : freed_(std::move(freed)) {}

    void release()
    {
        if (std::function<void()> freed = std::exchange(freed_, nullptr))
            freed();
    }

private:
    std::function<void()> freed_;
};

} // namespace tavimo
