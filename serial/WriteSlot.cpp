#include "serial/WriteSlot.h"

void WriteSlot::Allocate(std::size_t size) {
    std::lock_guard<std::mutex> guard(m_lock);
    m_size = size;
    m_frame.clear();
    m_frame.reserve(size);
    m_queued = false;
}

bool WriteSlot::Fill(const Frame& frame) {
    std::lock_guard<std::mutex> guard(m_lock);
    if (frame.size() + 1 > m_size) {
        return false;
    }
    m_frame = frame;
    m_queued = true;
    return true;
}

bool WriteSlot::Take(Frame& frame) {
    std::lock_guard<std::mutex> guard(m_lock);
    if (!m_queued) {
        return false;
    }
    frame = m_frame;
    m_queued = false;
    return true;
}
