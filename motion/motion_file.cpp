// Reading the binary motion file's parts where they lie, and writing a motion's parts in file
// order.
#include "motion/motion_file.h"

#include <cstring>

namespace qlx::motion {

namespace {

// Walks a byte block front to back; every take fails rather than read past the end.
class Reader {
public:
    explicit Reader(std::span<const std::byte> bytes) : bytes_(bytes) {}

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
    // A count, or zero where the bytes end before it begins; nothing where they end inside it.
    std::optional<std::uint32_t> count() {
        Uint32 count = 0u;
        if (bytes_.empty() || take(&count, sizeof count)) {
            return count.get();
        }
        return std::nullopt;
    }
    template <typename Record> std::optional<std::span<const Record>> records(std::size_t count) {
        // A count the bytes cannot hold is refused before anything is sized by it.
        if (count > bytes_.size() / sizeof(Record)) {
            return std::nullopt;
        }
        const std::span<const Record> records(reinterpret_cast<const Record*>(bytes_.data()),
                                              count);
        bytes_ = bytes_.subspan(records.size_bytes());
        return records;
    }
    std::span<const std::byte> rest() const { return bytes_; }

private:
    std::span<const std::byte> bytes_;
};

// A count and its records, or where the bytes end inside them.
template <typename Record>
platform::Expected<void, MotionFault> table(Reader& reader, Table which,
                                            std::span<const Record>& records) {
    const auto count = reader.count();
    if (!count) {
        return platform::unexpected(MotionFault{MotionFault::Kind::EndsInCount, which});
    }
    const auto taken = reader.records<Record>(*count);
    if (!taken) {
        const auto keys = static_cast<std::uint32_t>(reader.rest().size() / sizeof(Record));
        return platform::unexpected(
            MotionFault{MotionFault::Kind::EndsInRecords, which, 0, keys, *count});
    }
    records = *taken;
    return {};
}

} // namespace

platform::Expected<MotionView, MotionFault> parseMotion(std::span<const std::byte> bytes) {
    static_assert(kHeaderSize == sizeof MotionHeader::magic + sizeof(Int32));
    const auto refuse = [](MotionFault why) { return platform::unexpected(why); };
    Reader reader(bytes);
    MotionView view;
    Int32 headerWord;
    if (!reader.take(view.magic.data(), kMagicSize) ||
        !reader.take(&headerWord, sizeof headerWord)) {
        return refuse({MotionFault::Kind::EndsInHeader, Table::Bones,
                       static_cast<std::uint32_t>(bytes.size())});
    }
    view.headerWord = headerWord.get();
    const auto modelName = view.activeModelName();
    if (modelName.empty()) {
        return refuse({MotionFault::Kind::UnknownVersion, Table::Bones, 0, 0, 0, view.magic});
    }
    if (!reader.take(modelName.data(), modelName.size())) {
        return refuse({MotionFault::Kind::EndsInModelName});
    }
    auto read = table(reader, Table::Bones, view.bones);
    read = read ? table(reader, Table::Morphs, view.morphs) : read;
    read = read ? table(reader, Table::Cameras, view.cameras) : read;
    read = read ? table(reader, Table::Lights, view.lights) : read;
    if (!read) {
        return refuse(read.error());
    }
    view.tail = reader.rest();
    return view;
}

void writeHeader(io::OutputSink& sink, const MotionHeader& header) {
    const Int32 headerWord = header.headerWord;
    sink.write(std::as_bytes(std::span(header.magic)));
    sink.write(std::as_bytes(std::span(&headerWord, 1)));
    sink.write(std::as_bytes(header.activeModelName()));
}

void writeCount(io::OutputSink& sink, std::size_t count) {
    const Uint32 value = static_cast<std::uint32_t>(count);
    sink.write(std::as_bytes(std::span(&value, 1)));
}

} // namespace qlx::motion
