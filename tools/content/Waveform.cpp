#include "tools/content/Waveform.h"

#include <algorithm>
#include <cmath>
#include <deque>

namespace content {

Waveform::Waveform(int rate, double seconds)
    : sampleRate(rate), left(static_cast<std::size_t>(std::llround(seconds * rate))),
      right(left.size()) {}

std::size_t Waveform::FrameAt(double seconds) const {
    return seconds <= 0 ? 0 : static_cast<std::size_t>(std::llround(seconds * sampleRate));
}

void Waveform::Mix(const Waveform& other, float gain) {
    const std::size_t n = std::min(Frames(), other.Frames());
    for (std::size_t i = 0; i < n; ++i) {
        left[i] += other.left[i] * gain;
        right[i] += other.right[i] * gain;
    }
}

float Peak(const Waveform& wave) {
    float peak = 0;
    for (std::size_t i = 0; i < wave.Frames(); ++i) {
        peak = std::max({peak, std::fabs(wave.left[i]), std::fabs(wave.right[i])});
    }
    return peak;
}

double RmsDb(const Waveform& wave, double from, double to) {
    const std::size_t a = std::min(wave.FrameAt(from), wave.Frames());
    const std::size_t b = std::min(wave.FrameAt(to), wave.Frames());
    double sum = 0;
    for (std::size_t i = a; i < b; ++i) {
        sum += static_cast<double>(wave.left[i]) * wave.left[i] +
               static_cast<double>(wave.right[i]) * wave.right[i];
    }
    const double mean = b > a ? sum / (2.0 * static_cast<double>(b - a)) : 0.0;
    return 10.0 * std::log10(std::max(mean, 1e-20));
}

namespace {

struct Biquad {
    double b0, b1, b2, a1, a2;
    double z1 = 0, z2 = 0;
    double Run(double x) {
        double y = b0 * x + z1;
        z1 = b1 * x - a1 * y + z2;
        z2 = b2 * x - a2 * y;
        return y;
    }
};

constexpr double kPi = 3.14159265358979323846;

// The two K-weighting stages of BS.1770 for any sample rate (the analog prototypes behind
// the standard's 48 kHz coefficients, mapped with the bilinear transform).
Biquad KShelf(double rate) {
    const double f0 = 1681.974450955533, gainDb = 3.999843853973347, q = 0.7071752369554196;
    const double k = std::tan(kPi * f0 / rate);
    const double vh = std::pow(10.0, gainDb / 20.0);
    const double vb = std::pow(vh, 0.4996667741545416);
    const double a0 = 1.0 + k / q + k * k;
    return {(vh + vb * k / q + k * k) / a0, 2.0 * (k * k - vh) / a0, (vh - vb * k / q + k * k) / a0,
            2.0 * (k * k - 1.0) / a0, (1.0 - k / q + k * k) / a0};
}

Biquad KHighPass(double rate) {
    const double f0 = 38.13547087602444, q = 0.5003270373238773;
    const double k = std::tan(kPi * f0 / rate);
    const double a0 = 1.0 + k / q + k * k;
    return {1.0, -2.0, 1.0, 2.0 * (k * k - 1.0) / a0, (1.0 - k / q + k * k) / a0};
}

} // namespace

double IntegratedLoudness(const Waveform& wave) {
    const double rate = wave.sampleRate;
    std::vector<double> power(wave.Frames()); // K-weighted, summed over both channels
    for (int channel = 0; channel < 2; ++channel) {
        const std::vector<float>& x = channel == 0 ? wave.left : wave.right;
        Biquad shelf = KShelf(rate), high = KHighPass(rate);
        for (std::size_t i = 0; i < x.size(); ++i) {
            double y = high.Run(shelf.Run(x[i]));
            power[i] += y * y;
        }
    }
    const std::size_t block = static_cast<std::size_t>(0.4 * rate);
    const std::size_t step = block / 4;
    std::vector<double> blocks;
    double running = 0;
    std::vector<double> prefix(power.size() + 1, 0.0);
    for (std::size_t i = 0; i < power.size(); ++i) {
        running += power[i];
        prefix[i + 1] = running;
    }
    for (std::size_t start = 0; start + block <= power.size(); start += step) {
        blocks.push_back((prefix[start + block] - prefix[start]) / static_cast<double>(block));
    }
    auto loudness = [](double meanSquare) {
        return -0.691 + 10.0 * std::log10(std::max(meanSquare, 1e-20));
    };
    auto gatedMean = [&](double threshold) {
        double sum = 0;
        std::size_t count = 0;
        for (double z : blocks) {
            if (loudness(z) > threshold) {
                sum += z;
                ++count;
            }
        }
        return count ? sum / static_cast<double>(count) : 0.0;
    };
    const double absolute = gatedMean(-70.0);
    return loudness(gatedMean(loudness(absolute) - 10.0));
}

void ApplyGain(Waveform& wave, float gain) {
    for (std::size_t i = 0; i < wave.Frames(); ++i) {
        wave.left[i] *= gain;
        wave.right[i] *= gain;
    }
}

// Sliding minimum over a centred window of radius `radius` (monotonic deque).
static std::vector<float> SlidingMin(const std::vector<float>& x, std::size_t radius) {
    std::vector<float> out(x.size());
    std::deque<std::size_t> window;
    std::size_t next = 0;
    for (std::size_t i = 0; i < x.size(); ++i) {
        const std::size_t hi = std::min(x.size() - 1, i + radius);
        for (; next <= hi; ++next) {
            while (!window.empty() && x[window.back()] >= x[next]) {
                window.pop_back();
            }
            window.push_back(next);
        }
        while (window.front() + radius < i) {
            window.pop_front();
        }
        out[i] = x[window.front()];
    }
    return out;
}

void Limit(Waveform& wave, float ceiling, double lookahead, double release) {
    const std::size_t n = wave.Frames();
    if (n == 0) {
        return;
    }
    std::vector<float> required(n);
    for (std::size_t i = 0; i < n; ++i) {
        const float level = std::max(std::fabs(wave.left[i]), std::fabs(wave.right[i]));
        required[i] = level > ceiling ? ceiling * 0.99999f / level : 1.0f; // margin for rounding
    }
    const std::size_t radius =
        std::max<std::size_t>(1, static_cast<std::size_t>(lookahead * wave.sampleRate));
    // Holding the minimum over ±radius and then averaging over ±radius keeps every gain at or
    // below what its own sample requires, with smooth ramps.
    std::vector<float> held = SlidingMin(required, radius);
    std::vector<double> prefix(n + 1, 0.0);
    for (std::size_t i = 0; i < n; ++i) {
        prefix[i + 1] = prefix[i] + held[i];
    }
    const float recover = static_cast<float>(1.0 - std::exp(-1.0 / (release * wave.sampleRate)));
    float envelope = 1.0f;
    for (std::size_t i = 0; i < n; ++i) {
        const std::size_t a = i >= radius ? i - radius : 0, b = std::min(n, i + radius + 1);
        const float smooth =
            static_cast<float>((prefix[b] - prefix[a]) / static_cast<double>(b - a));
        envelope = std::min(smooth, envelope + (1.0f - envelope) * recover);
        const float gain = std::min(envelope, required[i]); // exact guard at the window edges
        wave.left[i] *= gain;
        wave.right[i] *= gain;
    }
}

void FadeOut(Waveform& wave, double from, double to) {
    const std::size_t a = std::min(wave.FrameAt(from), wave.Frames());
    const std::size_t b = std::min(wave.FrameAt(to), wave.Frames());
    for (std::size_t i = a; i < wave.Frames(); ++i) {
        float gain = 0.0f;
        if (i < b) {
            const double t = static_cast<double>(i - a) / static_cast<double>(b - a);
            gain = static_cast<float>(0.5 + 0.5 * std::cos(3.14159265358979 * t));
        }
        wave.left[i] *= gain;
        wave.right[i] *= gain;
    }
}

} // namespace content
