// Unaligned little-endian scalars: the building blocks of records that are byte images of the
// binary motion file, so a record can be moved to and from the file in one block on any host.
#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <type_traits>

namespace qlx::motion {

template <typename T> class LittleEndian {
    static_assert(sizeof(T) == 4 && std::is_trivially_copyable_v<T>);

public:
    LittleEndian() = default;
    constexpr LittleEndian(T value) { set(value); } // NOLINT: a stored value reads naturally

    constexpr T get() const {
        const std::uint32_t bits = std::uint32_t{bytes_[0]} | std::uint32_t{bytes_[1]} << 8 |
                                   std::uint32_t{bytes_[2]} << 16 | std::uint32_t{bytes_[3]} << 24;
        return std::bit_cast<T>(bits);
    }
    constexpr void set(T value) {
        const auto bits = std::bit_cast<std::uint32_t>(value);
        bytes_ = {static_cast<std::uint8_t>(bits), static_cast<std::uint8_t>(bits >> 8),
                  static_cast<std::uint8_t>(bits >> 16), static_cast<std::uint8_t>(bits >> 24)};
    }

    friend constexpr bool operator==(const LittleEndian&, const LittleEndian&) = default;

private:
    std::array<std::uint8_t, 4> bytes_{};
};

using Int32 = LittleEndian<std::int32_t>;
using Uint32 = LittleEndian<std::uint32_t>;
using Float32 = LittleEndian<float>;

static_assert(sizeof(Int32) == 4 && alignof(Int32) == 1);

} // namespace qlx::motion
