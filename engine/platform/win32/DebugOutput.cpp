#include "platform/win32/Windows.h"

#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>

namespace {

// The text written last and how many identical texts arrived after it. Flushed when a
// different text arrives and when the program exits.
class DebugSink {
public:
    ~DebugSink() { Flush(); }

    void Write(const char* text) {
        std::lock_guard lock(mutex_);
        if (haveLast_ && last_ == text) {
            ++repeats_;
            return;
        }
        FlushLocked();
        last_ = text;
        haveLast_ = true;
        std::fputs(text, stderr);
        std::fflush(stderr);
    }

    void Flush() {
        std::lock_guard lock(mutex_);
        FlushLocked();
        haveLast_ = false;
        last_.clear();
    }

private:
    void FlushLocked() {
        if (repeats_ == 0) {
            return;
        }
        const bool endsInLineBreak = !last_.empty() && last_.back() == '\n';
        std::fprintf(stderr, "%s(repeated %lu times)\n", endsInLineBreak ? "" : "\n", repeats_);
        std::fflush(stderr);
        repeats_ = 0;
    }

    std::mutex mutex_;
    std::string last_;
    bool haveLast_ = false;
    unsigned long repeats_ = 0;
};

DebugSink& Sink() {
    static DebugSink sink;
    return sink;
}

} // namespace

void OutputDebugStringA(LPCSTR text) { Sink().Write(text != nullptr ? text : ""); }

void FlushDebugOutput() { Sink().Flush(); }
