#pragma once
// Included ahead of every C++ file of the browser build: Emscripten 3.1.6's C++ library
// predates std::bit_cast, which its compiler has as a builtin.

#include <bit>

#if !defined(__cpp_lib_bit_cast)
namespace std {
template <class To, class From> constexpr To bit_cast(const From& from) noexcept {
    return __builtin_bit_cast(To, from);
}
} // namespace std
#endif
