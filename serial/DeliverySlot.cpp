#include "serial/DeliverySlot.h"

std::uintptr_t DeliverySlot::Offer(const std::uint8_t* bytes, std::size_t count) {
    std::lock_guard<std::mutex> guard(m_lock);
    m_lastNumber = m_lastNumber + 1 != 0 ? m_lastNumber + 1 : 1;
    m_offered = m_lastNumber;
    m_bytes = bytes;
    m_count = count;
    return m_offered;
}

bool DeliverySlot::Take(std::uintptr_t number, std::vector<std::uint8_t>& bytes) {
    bytes.clear();
    std::lock_guard<std::mutex> guard(m_lock);
    if (number == 0 || number != m_offered) {
        return false;
    }
    bytes.assign(m_bytes, m_bytes + m_count);
    m_offered = 0;
    return true;
}

void DeliverySlot::Withdraw() {
    std::lock_guard<std::mutex> guard(m_lock);
    m_offered = 0;
    m_bytes = nullptr;
    m_count = 0;
}
