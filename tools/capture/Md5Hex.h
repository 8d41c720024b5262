#pragma once

#include <nettle/md5.h>

#include <cstdint>
#include <cstdio>
#include <string>

// The digest of `md5` as 32 lower-case hex digits; the context starts afresh after it.
inline std::string Md5Hex(md5_ctx& md5) {
    std::uint8_t digest[MD5_DIGEST_SIZE];
    md5_digest(&md5, sizeof digest, digest);
    std::string hex;
    for (const std::uint8_t byte : digest) {
        char two[3];
        std::snprintf(two, sizeof two, "%02x", byte);
        hex += two;
    }
    return hex;
}
