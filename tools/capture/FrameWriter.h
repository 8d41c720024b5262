#pragma once
// Hands the frames read back on the drawing thread to a sink on threads of its own, so that
// drawing the next frame overlaps composing and writing the last ones. With one thread the
// sink receives the frames in order.

#include "platform/d3d8/ReadBack.h"
#include "tools/capture/FrameSink.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

class FrameWriter {
  public:
    // The pictures are centred in frames of the output size, black around them.
    FrameWriter(FrameSink& sink, int threads, int outputWidth, int outputHeight);
    ~FrameWriter();
    FrameWriter(const FrameWriter&) = delete;
    FrameWriter& operator=(const FrameWriter&) = delete;

    // A picture to read the next frame into; waits while every one is still queued.
    ReadBackImage& NextPicture();
    // Queues the picture from NextPicture as this frame.
    void Submit(std::uint64_t frame, double seconds);
    // Writes what is queued and stops the threads. False when a write failed (the sink's
    // Error says why); frames after a failed one are dropped.
    bool Drain();

    bool Failed() const { return failed; }
    std::uint64_t Written() const { return written; }

  private:
    struct Slot {
        ReadBackImage picture;
        std::vector<std::uint8_t> composed;
        std::uint64_t frame = 0;
        double seconds = 0;
    };

    void Work();
    Frame Compose(Slot& slot) const;

    FrameSink& sink;
    int outputWidth;
    int outputHeight;
    std::vector<Slot> slots;
    Slot* taken = nullptr;
    std::deque<Slot*> idle;
    std::deque<Slot*> queued;
    std::mutex mutex;
    std::condition_variable changed;
    bool stopping = false;
    std::atomic<bool> failed{false};
    std::atomic<std::uint64_t> written{0};
    std::vector<std::thread> threads;
};
