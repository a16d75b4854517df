// Generates motions for the benchmarks and the round-trip tests.
#include "tests/support/motion_generator.h"

#include <bit>
#include <cmath>
#include <random>
#include <string>

namespace qlx::test {

namespace {

class Generator {
public:
    Generator(std::uint32_t seed, bool edgeValues) : random_(seed), edge_(edgeValues) {}

    // Shift-JIS names as a rig has them (center, arm, head...) and numbered ASCII ones; with
    // edge values any bytes a CSV cell carries back: no comma, NUL, line end or white space.
    template <std::size_t N> void name(std::array<char, N>& field, std::size_t pool) {
        static const char* const japanese[] = {"\x83\x5A\x83\x93\x83\x5E\x81\x5B",
                                               "\x89\x45\x98\x72", "\x8D\xB6\x98\x72", "\x93\xAA",
                                               "\x82\xDC\x82\xCE"};
        const std::size_t pick = random_() % pool;
        std::string text = pick < 5 ? japanese[pick] : "key_" + std::to_string(pick);
        if (edge_) {
            text.resize(1 + random_() % N);
            for (char& c : text) {
                do {
                    c = static_cast<char>(random_());
                } while (c == ',' || c == '\0' || c == ' ' || (c >= '\t' && c <= '\r'));
            }
        }
        field.fill('\0');
        text.copy(field.data(), N);
    }
    std::int32_t frame() {
        return edge_ ? static_cast<std::int32_t>(random_()) >> (random_() % 32)
                     : static_cast<std::int32_t>(random_() % 20001);
    }
    float value(float low, float high) {
        switch (edge_ ? random_() % 8 : 7) {
        case 0:
            return std::bit_cast<float>(static_cast<std::uint32_t>(random_()));
        case 1:
            return random_() % 2 ? INFINITY : -INFINITY;
        case 2:
            return NAN;
        default:
            return std::uniform_real_distribution<float>(low, high)(random_);
        }
    }
    template <std::size_t N>
    void values(std::array<motion::Float32, N>& out, float low, float high) {
        for (auto& v : out) {
            v = value(low, high);
        }
    }
    void unitQuaternion(std::array<motion::Float32, 4>& rotation) {
        float q[4];
        float norm = 0;
        for (auto& c : q) {
            c = std::normal_distribution<float>(0.0f, 1.0f)(random_);
            norm += c * c;
        }
        for (std::size_t i = 0; i < 4; ++i) {
            rotation[i] = q[i] / std::sqrt(norm);
        }
    }
    void bytes(std::span<std::uint8_t> block) {
        for (auto& byte : edge_ ? block : block.first(1)) {
            byte = static_cast<std::uint8_t>(random_());
        }
    }

    std::mt19937& random() { return random_; }

private:
    std::mt19937 random_;
    bool edge_;
};

} // namespace

motion::MotionDocument generateMotion(const MotionShape& shape, std::uint32_t seed) {
    Generator generate(seed, shape.edgeValues);
    motion::MotionDocument document;
    document.bones.resize(shape.bones);
    for (auto& key : document.bones) {
        generate.name(key.name, 100);
        key.frame = generate.frame();
        generate.values(key.position, -20.0f, 20.0f);
        generate.unitQuaternion(key.rotation);
        generate.bytes(key.interpolation);
    }
    document.morphs.resize(shape.morphs);
    for (auto& key : document.morphs) {
        generate.name(key.name, 50);
        key.frame = generate.frame();
        key.weight = generate.value(0.0f, 1.0f);
    }
    document.cameras.resize(shape.cameras);
    for (auto& key : document.cameras) {
        key.frame = generate.frame();
        key.distance = generate.value(-50.0f, 0.0f);
        generate.values(key.position, -20.0f, 20.0f);
        for (auto& angle : key.rotation) { // finite: their text carries degrees
            angle = std::uniform_real_distribution<float>(-7.0f, 7.0f)(generate.random());
        }
        generate.bytes(motion::cameraTail(key));
    }
    document.lights.resize(shape.lights);
    for (auto& key : document.lights) {
        key.frame = generate.frame();
        generate.values(key.colour, 0.0f, 1.0f);
        generate.values(key.direction, -1.0f, 1.0f);
    }
    return document;
}

} // namespace qlx::test
