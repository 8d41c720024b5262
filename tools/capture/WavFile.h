#pragma once
// The soundtrack of a captured range as the player decodes it: the engine's own MP3 decoder
// (gapless, every frame the player accepts), from the sample at the range's first music time
// up to the one at its end or the stream's end, as a 16-bit WAV file at the stream's own rate
// and channel count.

#include <string>

// False, with `error` set to one line, when the soundtrack cannot be decoded or the file
// cannot be written. An `endSeconds` past the stream's end (infinity too) stops at its end.
bool WriteSoundtrackWav(const std::string& music, const std::string& wav, double startSeconds,
                        double endSeconds, std::string& error);
