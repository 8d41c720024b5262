#include "tools/capture/FrameWriter.h"

#include <algorithm>

FrameWriter::FrameWriter(FrameSink& frameSink, int threadCount, int width, int height)
    : sink(frameSink), outputWidth(width), outputHeight(height) {
    threadCount = std::max(1, threadCount);
    // Two pictures more than threads: one being drawn, one waiting while all threads write.
    slots.resize(static_cast<std::size_t>(threadCount) + 2);
    for (Slot& slot : slots) {
        idle.push_back(&slot);
    }
    for (int i = 0; i < threadCount; ++i) {
        threads.emplace_back([this] { Work(); });
    }
}

FrameWriter::~FrameWriter() {
    Drain();
}

ReadBackImage& FrameWriter::NextPicture() {
    std::unique_lock lock(mutex);
    changed.wait(lock, [this] { return !idle.empty(); });
    taken = idle.front();
    idle.pop_front();
    return taken->picture;
}

void FrameWriter::Submit(std::uint64_t frame, double seconds) {
    {
        const std::lock_guard lock(mutex);
        taken->frame = frame;
        taken->seconds = seconds;
        queued.push_back(taken);
        taken = nullptr;
    }
    changed.notify_all();
}

bool FrameWriter::Drain() {
    {
        const std::lock_guard lock(mutex);
        stopping = true;
    }
    changed.notify_all();
    for (std::thread& thread : threads) {
        thread.join();
    }
    threads.clear();
    return !failed;
}

void FrameWriter::Work() {
    for (;;) {
        Slot* slot = nullptr;
        {
            std::unique_lock lock(mutex);
            changed.wait(lock, [this] { return stopping || !queued.empty(); });
            if (queued.empty()) {
                return;
            }
            slot = queued.front();
            queued.pop_front();
        }
        if (!failed) {
            if (sink.Write(Compose(*slot))) {
                ++written;
            } else {
                failed = true;
            }
        }
        {
            const std::lock_guard lock(mutex);
            idle.push_back(slot);
        }
        changed.notify_all();
    }
}

Frame FrameWriter::Compose(Slot& slot) const {
    const ReadBackImage& picture = slot.picture;
    Frame out{slot.frame, slot.seconds, picture.width, picture.height, picture.rgb.data()};
    if (picture.width == outputWidth && picture.height == outputHeight) {
        return out;
    }
    slot.composed.assign(static_cast<std::size_t>(outputWidth) * outputHeight * 3, 0);
    const int left = (outputWidth - picture.width) / 2;
    const int top = (outputHeight - picture.height) / 2;
    for (int row = 0; row < picture.height; ++row) {
        std::copy_n(picture.rgb.begin() + row * picture.width * 3, picture.width * 3,
                    slot.composed.begin() + ((top + row) * outputWidth + left) * 3);
    }
    out.width = outputWidth;
    out.height = outputHeight;
    out.rgb = slot.composed.data();
    return out;
}
