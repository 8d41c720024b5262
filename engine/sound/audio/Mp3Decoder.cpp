#include "sound/audio/Mp3Decoder.h"

#include <mpg123.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

void Mp3Decoder::HandleDeleter::operator()(mpg123_handle_struct* h) const { mpg123_delete(h); }

std::unique_ptr<Mp3Decoder> Mp3Decoder::Open(std::vector<std::uint8_t> bytes, Options options,
                                             OpenError& error) {
    error = OpenError::format;
    static const bool libraryReady = mpg123_init() == MPG123_OK;
    if (!libraryReady || bytes.empty()) {
        return nullptr;
    }

    std::unique_ptr<Mp3Decoder> d(new Mp3Decoder);
    d->source = std::make_unique<Source>();
    d->source->bytes = std::move(bytes);

    int status = MPG123_OK;
    d->handle.reset(mpg123_new(nullptr, &status));
    if (!d->handle) {
        error = status == MPG123_OUT_OF_MEM ? OpenError::memory : OpenError::format;
        return nullptr;
    }
    mpg123_handle* h = d->handle.get();

    long flags = MPG123_GAPLESS | MPG123_QUIET;
    if (options.mono) {
        flags |= MPG123_MONO_MIX;
    }
    mpg123_param(h, MPG123_ADD_FLAGS, flags, 0.0);
    mpg123_param(h, MPG123_PREFRAMES, 8, 0.0);

    const int encoding = options.eightBit ? MPG123_ENC_UNSIGNED_8 : MPG123_ENC_SIGNED_16;
    const int layouts = options.mono ? MPG123_MONO : (MPG123_MONO | MPG123_STEREO);
    mpg123_format_none(h);
    const long* rates = nullptr;
    size_t rateCount = 0;
    mpg123_rates(&rates, &rateCount);
    for (size_t i = 0; i < rateCount; ++i) {
        mpg123_format(h, rates[i], layouts, encoding);
    }

    auto read = [](void* io, void* out, size_t count) -> mpg123_ssize_t {
        auto* s = static_cast<Source*>(io);
        const size_t n = std::min(count, s->bytes.size() - s->offset);
        std::memcpy(out, s->bytes.data() + s->offset, n);
        s->offset += n;
        return static_cast<mpg123_ssize_t>(n);
    };
    auto seek = [](void* io, off_t offset, int whence) -> off_t {
        auto* s = static_cast<Source*>(io);
        const off_t size = static_cast<off_t>(s->bytes.size());
        off_t base = 0;
        if (whence == SEEK_CUR) {
            base = static_cast<off_t>(s->offset);
        } else if (whence == SEEK_END) {
            base = size;
        } else if (whence != SEEK_SET) {
            return -1;
        }
        const off_t target = base + offset;
        if (target < 0 || target > size) {
            return -1;
        }
        s->offset = static_cast<size_t>(target);
        return target;
    };
    if (mpg123_replace_reader_handle(h, read, seek, nullptr) != MPG123_OK ||
        mpg123_open_handle(h, d->source.get()) != MPG123_OK) {
        return nullptr;
    }

    long rate = 0;
    int channels = 0;
    int actualEncoding = 0;
    if (mpg123_scan(h) != MPG123_OK ||
        mpg123_getformat(h, &rate, &channels, &actualEncoding) != MPG123_OK || rate <= 0 ||
        channels < 1 || channels > 2) {
        return nullptr;
    }
    const off_t length = mpg123_length(h);
    if (length <= 0) {
        return nullptr;
    }
    // Hold the format for the whole stream: a change half-way would break byte positions.
    mpg123_format_none(h);
    mpg123_format(h, rate, channels, actualEncoding);

    d->rate = static_cast<int>(rate);
    d->channels = channels;
    d->bytesPerSample = options.eightBit ? 1 : 2;
    d->length = static_cast<std::uint64_t>(length);
    error = OpenError::none;
    return d;
}

std::size_t Mp3Decoder::Read(void* out, std::size_t frames) {
    const std::size_t frameBytes = static_cast<std::size_t>(FrameBytes());
    frames = std::min<std::uint64_t>(frames, length - cursor);
    auto* bytes = static_cast<unsigned char*>(out);
    std::size_t filled = 0;
    const std::size_t wanted = frames * frameBytes;
    while (filled < wanted) {
        size_t done = 0;
        const int status = mpg123_read(handle.get(), bytes + filled, wanted - filled, &done);
        filled += done;
        if (status == MPG123_NEW_FORMAT || (status == MPG123_OK && done > 0)) {
            continue;
        }
        break; // end of stream, or damage that libmpg123 could not resync past
    }
    const std::size_t got = filled / frameBytes;
    cursor += got;
    if (got < frames) {
        cursor = length;
    }
    return got;
}

bool Mp3Decoder::Seek(std::uint64_t frame) {
    if (frame > length) {
        return false;
    }
    const off_t reached = mpg123_seek(handle.get(), static_cast<off_t>(frame), SEEK_SET);
    if (reached < 0) {
        return false;
    }
    cursor = static_cast<std::uint64_t>(reached);
    return cursor == frame;
}
