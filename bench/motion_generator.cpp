// Generates motions for the benchmarks.
#include "bench/motion_generator.h"

#include <cmath>
#include <random>
#include <string>

namespace qlx::bench {

namespace {

class Generator {
public:
    explicit Generator(std::uint32_t seed) : random_(seed) {}

    // Shift-JIS names as a rig has them (centre, arm, head...) and numbered ASCII ones.
    template <std::size_t N> void name(std::array<char, N>& field, std::size_t pool) {
        static const char* const japanese[] = {"\x83\x5A\x83\x93\x83\x5E\x81\x5B",
                                               "\x89\x45\x98\x72", "\x8D\xB6\x98\x72", "\x93\xAA",
                                               "\x82\xDC\x82\xCE"};
        const std::size_t pick = random_() % pool;
        const std::string text = pick < 5 ? japanese[pick] : "key_" + std::to_string(pick);
        field.fill('\0');
        text.copy(field.data(), N);
    }
    std::int32_t frame() { return static_cast<std::int32_t>(random_() % 20001); }
    float value(float low, float high) {
        return std::uniform_real_distribution<float>(low, high)(random_);
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
    std::uint8_t byte() { return static_cast<std::uint8_t>(random_()); }

private:
    std::mt19937 random_;
};

} // namespace

motion::MotionDocument generateMotion(const MotionShape& shape, std::uint32_t seed) {
    Generator generate(seed);
    motion::MotionDocument document;
    document.bones.resize(shape.bones);
    for (auto& key : document.bones) {
        generate.name(key.name, 100);
        key.frame = generate.frame();
        generate.values(key.position, -20.0f, 20.0f);
        generate.unitQuaternion(key.rotation);
        key.interpolation.fill(20);
        key.interpolation[0] = generate.byte();
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
        generate.values(key.rotation, -7.0f, 7.0f);
        motion::cameraTail(key)[0] = generate.byte();
    }
    document.lights.resize(shape.lights);
    for (auto& key : document.lights) {
        key.frame = generate.frame();
        generate.values(key.colour, 0.0f, 1.0f);
        generate.values(key.direction, -1.0f, 1.0f);
    }
    return document;
}

} // namespace qlx::bench
