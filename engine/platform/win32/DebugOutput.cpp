#include "platform/win32/Windows.h"

#include <atomic>
#include <cstdio>
#include <deque>
#include <mutex>
#include <string>

namespace {

// Folds repetition so that a failing draw at a thousand frames a second does not flood a
// terminal: a text equal to one of the last few written starts a repeat of the cycle from
// there to the newest. Texts that continue the cycle are held back and counted; a text that
// breaks it first writes the count of whole repeats, then the texts of the unfinished one.
class DebugSink {
  public:
    ~DebugSink() { Flush(); }

    void Write(const char* text) {
        std::lock_guard lock(mutex_);
        if (period_ > 0) {
            if (recent_[recent_.size() - period_ + held_] == text) {
                Continue();
                return;
            }
            EndCycle();
        }
        for (std::size_t period = 1; period <= recent_.size(); ++period) {
            if (recent_[recent_.size() - period] == text) {
                period_ = period;
                Continue();
                return;
            }
        }
        Put(text);
    }

    void Flush() {
        std::lock_guard lock(mutex_);
        EndCycle();
        recent_.clear();
    }

  private:
    static constexpr std::size_t kLongestCycle = 8;

    void Continue() {
        if (++held_ == period_) {
            ++repeats_;
            held_ = 0;
        }
    }

    void Put(const std::string& text) {
        std::fputs(text.c_str(), stderr);
        std::fflush(stderr);
        recent_.push_back(text);
        if (recent_.size() > kLongestCycle) {
            recent_.pop_front();
        }
    }

    void EndCycle() {
        // The held texts of the unfinished repeat are the cycle's first ones.
        const auto cycle = recent_.end() - static_cast<long>(period_);
        const std::deque<std::string> unfinished(cycle, cycle + static_cast<long>(held_));
        if (repeats_ > 0) {
            const bool endsInLineBreak = !recent_.back().empty() && recent_.back().back() == '\n';
            const char* start = endsInLineBreak ? "" : "\n";
            if (period_ == 1) {
                std::fprintf(stderr, "%s(repeated %lu times)\n", start, repeats_);
            } else {
                std::fprintf(stderr, "%s(the last %zu texts repeated %lu times)\n", start, period_,
                             repeats_);
            }
            std::fflush(stderr);
            // Nothing after a count line continues the texts before it.
            recent_.clear();
        }
        period_ = 0;
        repeats_ = 0;
        held_ = 0;
        for (const std::string& text : unfinished) {
            Put(text);
        }
    }

    std::mutex mutex_;
    std::deque<std::string> recent_; // the last texts written, oldest first
    std::size_t period_ = 0;         // length of the cycle being folded; 0 when none
    std::size_t held_ = 0;           // texts of the current, unfinished repeat
    unsigned long repeats_ = 0;      // whole repeats of the cycle folded so far
};

std::atomic<bool> shown{true};

DebugSink& Sink() {
    static DebugSink sink;
    return sink;
}

} // namespace

void OutputDebugStringA(LPCSTR text) {
    if (shown) {
        Sink().Write(text != nullptr ? text : "");
    }
}

void ShowDebugOutput(bool show) {
    shown = show;
}

void FlushDebugOutput() {
    Sink().Flush();
}
