// The field codec's number text against its baselines in the same run: snprintf and strtof,
// <charconv>, and the stream operators.
#include "csv/field_codec.h"
#include "csv/number_format.h"
#include "csv/number_parse.h"
#include "csv/row_view.h"

#include <benchmark/benchmark.h>

#include <bit>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace qlx::bench {
namespace {

// Values as motions hold them: coordinates, angles, weights, some tiny and huge ones.
const std::vector<float>& sampleValues() {
    static const std::vector<float> values = [] {
        std::mt19937 random(42);
        std::vector<float> v(4096);
        for (auto& value : v) {
            switch (random() % 4) {
            case 0:
                value = std::uniform_real_distribution<float>(-180.0f, 180.0f)(random);
                break;
            case 1:
                value = std::uniform_real_distribution<float>(0.0f, 1.0f)(random);
                break;
            case 2:
                value = std::uniform_real_distribution<float>(-50.0f, 50.0f)(random);
                break;
            default:
                value = std::bit_cast<float>(static_cast<std::uint32_t>(random() & 0x7F7FFFFF));
            }
        }
        return v;
    }();
    return values;
}

const std::vector<std::string>& sampleTexts() {
    static const std::vector<std::string> texts = [] {
        std::vector<std::string> t;
        for (const float value : sampleValues()) {
            char buffer[32];
            std::snprintf(buffer, sizeof buffer, "%g", static_cast<double>(value));
            t.emplace_back(buffer);
        }
        return t;
    }();
    return texts;
}

template <typename Format> void formatEach(benchmark::State& state, Format format) {
    const auto& values = sampleValues();
    char buffer[64];
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(format(buffer, values[i++ & 4095]));
        benchmark::ClobberMemory();
    }
}

void AppendFloat(benchmark::State& state) {
    csv::CsvRow row;
    const auto& values = sampleValues();
    std::size_t i = 0;
    for (auto _ : state) {
        if ((i & 63) == 0) {
            row.clear();
        }
        csv::appendFloat(row, values[i++ & 4095]);
    }
}
void FormatFloat(benchmark::State& state) {
    formatEach(state, csv::formatFloat);
}
void Snprintf(benchmark::State& state) {
    formatEach(state, [](char* out, float v) {
        return std::snprintf(out, 64, "%g", static_cast<double>(v));
    });
}
void ToChars(benchmark::State& state) {
    formatEach(state, [](char* out, float v) {
        return std::to_chars(out, out + 64, static_cast<double>(v), std::chars_format::general, 6)
            .ptr;
    });
}
void StreamOut(benchmark::State& state) {
    formatEach(state, [](char*, float v) {
        std::ostringstream stream;
        stream << v;
        return stream.str().size();
    });
}

template <typename Parse> void parseEach(benchmark::State& state, Parse parse) {
    const auto& texts = sampleTexts();
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(parse(texts[i++ & 4095]));
    }
}

void TakeFloat(benchmark::State& state) {
    // Rows of 64 fields, read from the front as the layout reads them.
    std::vector<csv::CsvRow> rows(64);
    for (std::size_t i = 0; i < 4096; ++i) {
        rows[i / 64].append(sampleTexts()[i]);
    }
    std::size_t r = 0;
    // Number texts hold no double quote.
    const auto fields = [](std::string_view line) { return csv::CsvRowView(line, false, ','); };
    csv::CsvRowView view = fields(rows[0].text());
    float value = 0;
    for (auto _ : state) {
        if (view.empty()) {
            view = fields(rows[++r & 63].text());
        }
        csv::takeFloat(view.front(), value);
        view.popFront();
        benchmark::DoNotOptimize(value);
    }
}
void ParseFloat(benchmark::State& state) {
    parseEach(state, [](const std::string& t) { return csv::parseFloat(t); });
}
void Strtof(benchmark::State& state) {
    parseEach(state, [](const std::string& t) { return std::strtof(t.c_str(), nullptr); });
}
void FromChars(benchmark::State& state) {
    parseEach(state, [](const std::string& t) {
        float v = 0;
        std::from_chars(t.data(), t.data() + t.size(), v);
        return v;
    });
}
void StreamIn(benchmark::State& state) {
    parseEach(state, [](const std::string& t) {
        std::istringstream stream(t);
        float v = 0;
        stream >> v;
        return v;
    });
}

BENCHMARK(AppendFloat);
BENCHMARK(FormatFloat);
BENCHMARK(Snprintf);
BENCHMARK(ToChars);
BENCHMARK(StreamOut);
BENCHMARK(TakeFloat);
BENCHMARK(ParseFloat);
BENCHMARK(Strtof);
BENCHMARK(FromChars);
BENCHMARK(StreamIn);

} // namespace
} // namespace qlx::bench
