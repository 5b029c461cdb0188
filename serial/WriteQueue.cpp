#include "serial/WriteQueue.h"

void WriteQueue::Allocate(std::size_t bufferSize) {
    std::lock_guard<std::mutex> guard(m_lock);
    m_bufferSize = bufferSize;
    m_frames.clear();
}

QueueResult WriteQueue::Push(const Frame& frame) {
    std::lock_guard<std::mutex> guard(m_lock);
    if (frame.size() + 1 > m_bufferSize) {
        return QueueResult::TooLong;
    }
    if (m_frames.size() >= kDepth) {
        return QueueResult::Full;
    }
    m_frames.push_back(frame);
    return QueueResult::Queued;
}

bool WriteQueue::Pop(Frame& frame) {
    std::lock_guard<std::mutex> guard(m_lock);
    if (m_frames.empty()) {
        return false;
    }
    frame = std::move(m_frames.front());
    m_frames.pop_front();
    return true;
}
