// Loading and saving the binary motion file: a 30-byte header, the active model name and four
// counted blocks of fixed-size records, all moved as whole blocks.
#include "motion/motion_file.h"

#include "io/pending_output.h"
#include "platform/files.h"

#include <cstring>

namespace qlx::motion {

namespace {

// Walks a byte block front to back; every take fails rather than read past the end.
class MemoryReader {
public:
    explicit MemoryReader(std::span<const std::byte> bytes) : bytes_(bytes) {}

    bool take(void* target, std::size_t size) {
        if (size > bytes_.size()) {
            return false;
        }
        if (size != 0) {
            std::memcpy(target, bytes_.data(), size);
        }
        bytes_ = bytes_.subspan(size);
        return true;
    }
    std::size_t remaining() const { return bytes_.size(); }

private:
    std::span<const std::byte> bytes_;
};

// Reads a regular file of known size straight into the tables, without a copy of the whole.
class FileReader {
public:
    explicit FileReader(platform::InputFile& input) : input_(input), remaining_(input.size) {}

    bool take(void* target, std::size_t size) {
        if (size > remaining_) {
            return false;
        }
        for (auto* out = static_cast<char*>(target); size > 0;) {
            const auto got = input_.file.read({out, size});
            if (!got || *got == 0) {
                return false;
            }
            out += *got;
            size -= *got;
            remaining_ -= *got;
        }
        return true;
    }
    std::uint64_t remaining() const { return remaining_; }

private:
    platform::InputFile& input_;
    std::uint64_t remaining_;
};

template <typename Reader, typename Record>
bool loadTable(Reader& reader, io::LargeVector<Record>& table) {
    Uint32 count;
    if (!reader.take(&count, sizeof count)) {
        return false;
    }
    const std::size_t n = count.get();
    // A count the rest of the file cannot hold is refused before anything is allocated for it.
    if (n > reader.remaining() / sizeof(Record)) {
        return false;
    }
    table.resize(n);
    return reader.take(table.data(), n * sizeof(Record));
}

template <typename Reader> bool loadFrom(Reader& reader, MotionDocument& document) {
    Int32 headerWord;
    if (!reader.take(document.magic.data(), kMagicSize) ||
        !reader.take(&headerWord, sizeof headerWord)) {
        return false;
    }
    document.headerWord = headerWord.get();
    const auto modelName = document.activeModelName();
    if (modelName.empty() || !reader.take(modelName.data(), modelName.size())) {
        return false;
    }
    return loadTable(reader, document.bones) && loadTable(reader, document.morphs) &&
           loadTable(reader, document.cameras) && loadTable(reader, document.lights);
}

template <typename Record>
void saveTable(io::OutputSink& sink, const io::LargeVector<Record>& table) {
    writeCount(sink, table.size());
    sink.write(std::as_bytes(std::span(table)));
}

} // namespace

bool loadBytes(MotionDocument& document, std::span<const std::byte> bytes) {
    MemoryReader reader(bytes);
    return loadFrom(reader, document);
}

bool load(MotionDocument& document, const std::filesystem::path& path) {
    auto input = platform::openInput(path);
    if (!input) {
        return false;
    }
    FileReader reader(*input);
    return loadFrom(reader, document);
}

bool save(const MotionDocument& document, const std::filesystem::path& path) {
    // Refused before the output is touched, so an existing file keeps its bytes.
    if (document.version() == MotionVersion::Unrecognised) {
        return false;
    }
    for (const auto size : {document.bones.size(), document.morphs.size(), document.cameras.size(),
                            document.lights.size()}) {
        if (size > UINT32_MAX) {
            return false;
        }
    }
    io::PendingOutput output(path);
    if (!output.isOpen()) {
        return false;
    }
    writeHeader(output.sink(), document);
    saveTable(output.sink(), document.bones);
    saveTable(output.sink(), document.morphs);
    saveTable(output.sink(), document.cameras);
    saveTable(output.sink(), document.lights);
    return output.commit();
}

void writeHeader(io::OutputSink& sink, const MotionDocument& document) {
    const Int32 headerWord = document.headerWord;
    sink.write(std::as_bytes(std::span(document.magic)));
    sink.write(std::as_bytes(std::span(&headerWord, 1)));
    sink.write(std::as_bytes(document.activeModelName()));
}

void writeCount(io::OutputSink& sink, std::size_t count) {
    const Uint32 value = static_cast<std::uint32_t>(count);
    sink.write(std::as_bytes(std::span(&value, 1)));
}

} // namespace qlx::motion
