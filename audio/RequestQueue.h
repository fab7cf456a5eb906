#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <optional>

// A bounded queue from exactly one producer thread to exactly one consumer thread that neither
// blocks nor allocates, so that the audio callback may read it. One slot stays free to tell a full
// queue from an empty one.
template <typename T, std::size_t Capacity> class RequestQueue {
public:
    // Producer side; false when the queue is full and the item was dropped.
    bool Push(const T& item) {
        const std::size_t tail = writeIndex.load(std::memory_order_relaxed);
        const std::size_t next = (tail + 1) % Capacity;
        if (next == readIndex.load(std::memory_order_acquire)) {
            return false;
        }
        slots[tail] = item;
        writeIndex.store(next, std::memory_order_release);
        return true;
    }

    // Consumer side.
    bool Empty() const {
        return readIndex.load(std::memory_order_relaxed) ==
               writeIndex.load(std::memory_order_acquire);
    }
    std::optional<T> Pop() {
        const std::size_t head = readIndex.load(std::memory_order_relaxed);
        if (head == writeIndex.load(std::memory_order_acquire)) {
            return std::nullopt;
        }
        T item = slots[head];
        readIndex.store((head + 1) % Capacity, std::memory_order_release);
        return item;
    }

private:
    static_assert(Capacity >= 2);
    static_assert(std::atomic<std::size_t>::is_always_lock_free);

    std::array<T, Capacity> slots{};
    alignas(64) std::atomic<std::size_t> writeIndex{0};
    alignas(64) std::atomic<std::size_t> readIndex{0};
};
