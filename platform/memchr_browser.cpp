// The C library's byte search for the browser, sixteen bytes at a time: the WASI C library's own
// looks at one byte at a time, and rows and fields are found by it.
#include <cstddef>
#include <cstdint>
#include <wasm_simd128.h>

extern "C" void* memchr(const void* bytes, int c, std::size_t size) {
    const auto* at = static_cast<const unsigned char*>(bytes);
    const auto wanted = static_cast<unsigned char>(c);
    const v128_t needle = wasm_u8x16_splat(wanted);
    for (; size >= 16; at += 16, size -= 16) {
        const std::uint32_t found = wasm_i8x16_bitmask(wasm_i8x16_eq(wasm_v128_load(at), needle));
        if (found != 0) {
            return const_cast<unsigned char*>(at + __builtin_ctz(found));
        }
    }
    for (; size > 0; ++at, --size) {
        if (*at == wanted) {
            return const_cast<unsigned char*>(at);
        }
    }
    return nullptr;
}
