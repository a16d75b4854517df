// Generates motions for the benchmarks and the round-trip tests.
#include "bench/motion_generator.h"

#include <bit>
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
        names.push_back(i < japanese.size() ? japanese[i] + std::to_string(i % 3)
                                            : prefix + std::to_string(i));
    }
    return names;
}

class Generator {
public:
    Generator(std::uint32_t seed, bool awkward) : random_(seed), awkward_(awkward) {
        boneNames_ = namePool(100, "bone_");
        morphNames_ = namePool(50, "morph_");
    }

    template <std::size_t N>
    void name(std::array<char, N>& field, const std::vector<std::string>& pool) {
        field.fill('\0');
        if (!awkward_) {
            const std::string& chosen = pool[random_() % pool.size()];
            std::memcpy(field.data(), chosen.data(), std::min(chosen.size(), N));
            return;
        }
        // Any byte a CSV cell carries back: no comma, NUL, line end or white space.
        const std::size_t length = 1 + random_() % N;
        for (std::size_t i = 0; i < length; ++i) {
            char c;
            do {
                c = static_cast<char>(random_());
            } while (c == ',' || c == '\0' || c == ' ' || (c >= '\t' && c <= '\r'));
            field[i] = c;
        }
    }
    std::int32_t frame() {
        if (awkward_) {
            return static_cast<std::int32_t>(random_()) >> (random_() % 32);
        }
        return std::uniform_int_distribution<std::int32_t>(0, 20000)(random_);
    }
    float value(float low, float high) {
        if (awkward_) {
            switch (random_() % 8) {
            case 0:
                return std::bit_cast<float>(static_cast<std::uint32_t>(random_()));
            case 1:
                return random_() % 2 ? INFINITY : -INFINITY;
            case 2:
                return NAN;
            default:
                break;
            }
        }
        return std::uniform_real_distribution<float>(low, high)(random_);
    }
    // Camera angles in radians stay finite: their text carries degrees, scaled on the way.
    float angle() { return std::uniform_real_distribution<float>(-7.0f, 7.0f)(random_); }
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
        if (awkward_) {
            for (auto& byte : block) {
                byte = static_cast<std::uint8_t>(random_());
            }
        } else {
            block[random_() % block.size()] = static_cast<std::uint8_t>(random_());
        }
    }

    const std::vector<std::string>& boneNames() const { return boneNames_; }
    const std::vector<std::string>& morphNames() const { return morphNames_; }

private:
    std::mt19937 random_;
    bool awkward_;
    std::vector<std::string> boneNames_;
    std::vector<std::string> morphNames_;
};

} // namespace

motion::MotionDocument generateMotion(const MotionShape& shape, std::uint32_t seed) {
    Generator generate(seed, shape.awkward);
    motion::MotionDocument document;
    document.bones.resize(shape.bones);
    for (auto& key : document.bones) {
        generate.name(key.name, generate.boneNames());
        key.frame = generate.frame();
        for (auto& value : key.position) {
            value = generate.value(-20.0f, 20.0f);
        }
        generate.unitQuaternion(key.rotation);
        generate.bytes(key.interpolation);
    }
    document.morphs.resize(shape.morphs);
    for (auto& key : document.morphs) {
        generate.name(key.name, generate.morphNames());
        key.frame = generate.frame();
        key.weight = generate.value(0.0f, 1.0f);
    }
    document.cameras.resize(shape.cameras);
    for (auto& key : document.cameras) {
        key.frame = generate.frame();
        key.distance = generate.value(-50.0f, 0.0f);
        for (auto& value : key.position) {
            value = generate.value(-20.0f, 20.0f);
        }
        for (auto& value : key.rotation) {
            value = generate.angle();
        }
        generate.bytes(motion::cameraTail(key));
    }
    document.lights.resize(shape.lights);
    for (auto& key : document.lights) {
        key.frame = generate.frame();
        for (auto& value : key.colour) {
            value = generate.value(0.0f, 1.0f);
        }
        for (auto& value : key.direction) {
            value = generate.value(-1.0f, 1.0f);
        }
    }
    return document;
}

} // namespace qlx::bench
