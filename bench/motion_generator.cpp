// Generates realistic motions for the benchmarks.
#include "bench/motion_generator.h"

#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace qlx::bench {

namespace {

// Shift-JIS bone names as a rig might have them, and ASCII ones.
std::vector<std::string> namePool(std::size_t count, const char* prefix) {
    const std::vector<std::string> japanese = {"\x83\x5A\x83\x93\x83\x5E\x81\x5B",
                                               "\x89\x45\x98\x72",
                                               "\x8D\xB6\x98\x72",
                                               "\x93\xAA",
                                               "\x8E\xF1",
                                               "\x89\xBA\x94\xBC\x90\x67",
                                               "\x8F\xE3\x94\xBC\x90\x67",
                                               "\x89\x45\x91\xAB",
                                               "\x8D\xB6\x91\xAB",
                                               "\x82\xDC\x82\xCE\x82\xBD\x82\xAB"};
    std::vector<std::string> names;
    for (std::size_t i = 0; i < count; ++i) {
        if (i < japanese.size()) {
            names.push_back(japanese[i] + std::to_string(i % 3));
        } else {
            names.push_back(prefix + std::to_string(i));
        }
    }
    return names;
}

template <std::size_t N> void setName(std::array<char, N>& field, const std::string& name) {
    field.fill('\0');
    std::memcpy(field.data(), name.data(), std::min(name.size(), N));
}

} // namespace

motion::MotionDocument generateMotion(std::size_t bones, std::uint32_t seed) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<std::int32_t> frame(0, 20000);
    std::normal_distribution<float> gauss(0.0f, 1.0f);
    std::uniform_real_distribution<float> coordinate(-20.0f, 20.0f);
    const auto boneNames = namePool(100, "bone_");
    const auto morphNames = namePool(50, "morph_");

    motion::MotionDocument document;
    document.bones.resize(bones);
    for (auto& key : document.bones) {
        setName(key.name, boneNames[random() % boneNames.size()]);
        key.frame = frame(random);
        for (auto& value : key.position) {
            value = coordinate(random);
        }
        float q[4];
        float norm = 0;
        for (auto& c : q) {
            c = gauss(random);
            norm += c * c;
        }
        for (std::size_t i = 0; i < 4; ++i) {
            key.rotation[i] = q[i] / std::sqrt(norm);
        }
        key.interpolation[random() % 64] = static_cast<std::uint8_t>(random());
    }
    document.morphs.resize(bones / 10);
    for (auto& key : document.morphs) {
        setName(key.name, morphNames[random() % morphNames.size()]);
        key.frame = frame(random);
        key.weight = std::uniform_real_distribution<float>(0.0f, 1.0f)(random);
    }
    document.cameras.resize(bones / 100);
    for (auto& key : document.cameras) {
        key.frame = frame(random);
        key.distance = -coordinate(random);
        for (auto& value : key.position) {
            value = coordinate(random);
        }
        for (auto& value : key.rotation) {
            value = std::uniform_real_distribution<float>(-3.2f, 3.2f)(random);
        }
    }
    document.lights.resize(bones / 100);
    for (auto& key : document.lights) {
        key.frame = frame(random);
        for (auto& value : key.colour) {
            value = std::uniform_real_distribution<float>(0.0f, 1.0f)(random);
        }
        for (auto& value : key.direction) {
            value = std::uniform_real_distribution<float>(-1.0f, 1.0f)(random);
        }
    }
    return document;
}

} // namespace qlx::bench
