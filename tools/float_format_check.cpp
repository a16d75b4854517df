// Compares formatFloat with printf's %.6g to %.9g, the fewest digits that strtof reads back as
// the value, formatGeneral of six digits with printf's %g, and parseFloat with strtof on the text
// of nine significant digits, for every one of the 2^32 float bit patterns or every stride-th of
// them:
// `float_format_check [stride [first last]]` (the range in hex, inclusive). Prints the first
// mismatches and a count; exits non-zero on any mismatch. The whole range takes minutes per core.
#include "csv/number_format.h"
#include "csv/number_parse.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

int main(int argc, char** argv) {
    std::uint64_t first = 0;
    std::uint64_t last = 0xFFFFFFFFu;
    const std::uint64_t stride =
        argc >= 2 ? std::max(1ull, std::strtoull(argv[1], nullptr, 10)) : 1;
    if (argc == 4) {
        first = std::strtoull(argv[2], nullptr, 16);
        last = std::strtoull(argv[3], nullptr, 16);
    }
    const unsigned threads = std::max(1u, std::thread::hardware_concurrency());
    std::atomic<std::uint64_t> mismatches{0};
    std::mutex printing;
    std::vector<std::thread> workers;
    const std::uint64_t total = last - first + 1;
    for (unsigned t = 0; t < threads; ++t) {
        workers.emplace_back([&, t] {
            const std::uint64_t begin = first + total * t / threads;
            const std::uint64_t end = first + total * (t + 1) / threads;
            for (std::uint64_t bits = begin; bits < end; bits += stride) {
                const float value = std::bit_cast<float>(static_cast<std::uint32_t>(bits));
                char expected[64];
                for (int precision = 6; precision <= 9; ++precision) {
                    std::snprintf(expected, sizeof expected, "%.*g", precision,
                                  static_cast<double>(value));
                    if (std::isnan(value) || std::strtof(expected, nullptr) == value) {
                        break;
                    }
                }
                char actual[qlx::csv::kMaxNumberText + 1];
                *qlx::csv::formatFloat(actual, value) = '\0';
                char sixExpected[64];
                char six[qlx::csv::kMaxNumberText + 1];
                std::snprintf(sixExpected, sizeof sixExpected, "%g", static_cast<double>(value));
                *qlx::csv::formatGeneral(six, value, 6) = '\0';
                char digits[64];
                std::snprintf(digits, sizeof digits, "%.9g", static_cast<double>(value));
                const auto parsed = qlx::csv::parseFloat(digits);
                const float oracle = std::strtof(digits, nullptr);
                const bool parsedRight =
                    std::isnan(value) || (parsed && std::bit_cast<std::uint32_t>(*parsed) ==
                                                        std::bit_cast<std::uint32_t>(oracle));
                if ((std::strcmp(expected, actual) != 0 || std::strcmp(sixExpected, six) != 0 ||
                     !parsedRight) &&
                    mismatches++ < 20) {
                    const std::lock_guard lock(printing);
                    std::printf("mismatch 0x%08llx: printf %s and %s, formatFloat %s, "
                                "formatGeneral %s\n",
                                static_cast<unsigned long long>(bits), expected, sixExpected,
                                actual, six);
                }
            }
        });
    }
    for (auto& worker : workers) {
        worker.join();
    }
    std::printf("%llu patterns (stride %llu) from 0x%08llx to 0x%08llx, %llu mismatches\n",
                static_cast<unsigned long long>(total / stride),
                static_cast<unsigned long long>(stride), static_cast<unsigned long long>(first),
                static_cast<unsigned long long>(last),
                static_cast<unsigned long long>(mismatches.load()));
    return mismatches == 0 ? 0 : 1;
}
