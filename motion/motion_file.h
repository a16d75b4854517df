// The binary motion file (".qlx"): loading one into a fresh document and saving a document, each
// with its tables in the order they stand.
#pragma once

#include "io/output_sink.h"
#include "motion/document.h"

#include <cstddef>
#include <filesystem>
#include <span>

namespace qlx::motion {

// Reads the file into a freshly constructed document. False when the file cannot be read, its
// version suffix is not recognised, or it ends before the records its counts announce; the
// document is then to be discarded.
bool load(MotionDocument& document, const std::filesystem::path& path);

// `load` on bytes already in memory.
bool loadBytes(MotionDocument& document, std::span<const std::byte> bytes);

// Writes the document in its present order. False, with any existing file left as it was, when
// the version is unrecognised or the file cannot be completely written.
bool save(const MotionDocument& document, const std::filesystem::path& path);

// The parts of a motion file in file order, for a writer that never holds a whole document: the
// header and active model name of `document` (whose version is recognised; its tables play no
// part), then for each table its count and its records.
void writeHeader(io::OutputSink& sink, const MotionDocument& document);
void writeCount(io::OutputSink& sink, std::size_t count);
template <typename Record> void writeRecord(io::OutputSink& sink, const Record& record) {
    sink.write(std::as_bytes(std::span(&record, 1)));
}

} // namespace qlx::motion
