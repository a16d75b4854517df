// Generates motions for the benchmarks.
#include "bench/motion_generator.h"

#include "io/pending_output.h"
#include "motion/motion_file.h"

#include <cmath>
#include <random>
#include <string>
#include <vector>

namespace qlx::bench {

namespace {

// Whether any of the seven low bytes is 0.
bool holdsNul(std::uint64_t bytes) {
    for (int k = 0; k < 7; ++k) {
        if (std::uint8_t(bytes >> (8 * k)) == 0) {
            return true;
        }
    }
    return false;
}

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

    // Fifteen bytes: seven printable, one solved for, then seven more and the NUL that ends the
    // name. Crafted, the name's two 64-bit words `first`, `second` (big-endian) meet
    // (first * kOldKey) ^ second == 0x2A, the earlier order's hash of every such name.
    void distinctName(std::array<char, 15>& field, bool crafted) {
        constexpr std::uint64_t kOldKey = 0x9E3779B97F4A7C15u;
        std::uint64_t first = 0, second = 0;
        do {
            first = 0;
            for (int k = 0; k < 7; ++k) {
                first = first << 8 | (0x21 + random_() % 94);
            }
            // kOldKey's low byte 0x15 times 0x3D is 1 mod 256: the last byte that makes the
            // product end in 0x2A, so that `second` ends in the NUL.
            first = first << 8 | std::uint8_t(0x2A * 0x3D);
            second = crafted ? 0x2Au ^ (first * kOldKey)
                             : (std::uint64_t{random_()} << 32 | random_()) << 8;
        } while (holdsNul(second >> 8)); // a NUL inside would end the name early
        for (std::size_t k = 0; k < 15; ++k) {
            field[k] = char(k < 8 ? first >> (56 - 8 * k) : second >> (56 - 8 * (k - 8)));
        }
    }

private:
    std::mt19937 random_;
};

} // namespace

bool writeMotion(const MotionShape& shape, const std::filesystem::path& path, std::uint32_t seed) {
    Generator generate(seed);
    std::vector<motion::BoneKey> bones(shape.bones);
    for (auto& key : bones) {
        if (shape.names == BoneNames::Pool) {
            generate.name(key.name, 100);
        } else {
            generate.distinctName(key.name, shape.names == BoneNames::Crafted);
        }
        key.frame = generate.frame();
        generate.values(key.position, -20.0f, 20.0f);
        generate.unitQuaternion(key.rotation);
        key.interpolation.fill(20);
        key.interpolation[0] = generate.byte();
    }
    std::vector<motion::MorphKey> morphs(shape.morphs);
    for (auto& key : morphs) {
        generate.name(key.name, 50);
        key.frame = generate.frame();
        key.weight = generate.value(0.0f, 1.0f);
    }
    std::vector<motion::CameraKey> cameras(shape.cameras);
    for (auto& key : cameras) {
        key.frame = generate.frame();
        key.distance = generate.value(-50.0f, 0.0f);
        generate.values(key.position, -20.0f, 20.0f);
        generate.values(key.rotation, -7.0f, 7.0f);
        motion::cameraTail(key)[0] = generate.byte();
    }
    std::vector<motion::LightKey> lights(shape.lights);
    for (auto& key : lights) {
        key.frame = generate.frame();
        generate.values(key.colour, 0.0f, 1.0f);
        generate.values(key.direction, -1.0f, 1.0f);
    }
    // Written as the import writes a motion: the default header, then each table.
    io::PendingOutput output(path, {});
    motion::writeHeader(output, motion::MotionHeader{});
    const auto table = [&](const auto& records) {
        motion::writeCount(output, records.size());
        motion::writeRecords(output, std::span(records));
    };
    table(bones);
    table(morphs);
    table(cameras);
    table(lights);
    return output.commit().has_value();
}

} // namespace qlx::bench
