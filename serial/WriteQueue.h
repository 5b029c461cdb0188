// The write queue of CControlDeskPort. The GUI thread queues frames; the
// watch thread takes them out in order and writes each one whole. The queue
// is small and bounded: a frame that finds it full is refused, never
// written over another.
//
// Both threads may call every method: the queue's own lock makes a push and a
// pop whole operations.
#pragma once

#include "serial/Frames.h"

#include <cstddef>
#include <deque>
#include <mutex>

enum class QueueResult {
    Queued,
    TooLong, // the frame and a terminating zero do not fit the write buffer size
    Full,    // kWriteQueueDepth frames wait already
    NotOpen, // the port is not open: there is nobody to write it
};

class WriteQueue {
public:
    // Frames waiting to be written at most. The GUI thread queues a few frames
    // in one go at most (a reply's PR and XR answers, a resend pair).
    static constexpr std::size_t kDepth = 16;

    // Frames of up to `bufferSize` bytes with their terminating zero from now
    // on; the frames still queued are forgotten.
    void Allocate(std::size_t bufferSize);
    QueueResult Push(const Frame& frame);
    // Moves the oldest frame into `frame`; false when none is queued.
    bool Pop(Frame& frame);

private:
    std::mutex m_lock;
    std::size_t m_bufferSize = 0; // guarded by m_lock
    std::deque<Frame> m_frames;   // guarded by m_lock
};
