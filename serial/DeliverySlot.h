// How a port's thread hands received bytes to the owner window so that only
// the port's own deliveries count.
//
// The thread offers the bytes (they stay in its own buffer, which it leaves
// alone until the offer is withdrawn), then sends the window a message that
// carries only the offer's number; the window takes the bytes by that number.
// Any process can post or send the same message with any wParam: a number
// that is not on offer (a foreign message, an offer already taken) gives
// nothing, so a reply is never handled twice and no foreign byte reaches the
// parsers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

class DeliverySlot {
public:
    // Port thread: offers `count` bytes at `bytes`, replacing any offer not
    // yet withdrawn. Gives the offer's number (never 0) for the message.
    std::uintptr_t Offer(const std::uint8_t* bytes, std::size_t count);
    // Window thread: when `number` is on offer, copies its bytes to `bytes`,
    // ends the offer and gives true; otherwise false and `bytes` is left empty.
    bool Take(std::uintptr_t number, std::vector<std::uint8_t>& bytes);
    // Port thread, once its message has returned: ends the offer if it was
    // not taken, so that the buffer is its own again.
    void Withdraw();

private:
    std::mutex m_lock;
    std::uintptr_t m_lastNumber = 0;       // guarded by m_lock
    std::uintptr_t m_offered = 0;          // guarded by m_lock; 0: no offer
    const std::uint8_t* m_bytes = nullptr; // guarded by m_lock
    std::size_t m_count = 0;               // guarded by m_lock
};
