// What a row holds, told from its text given in pieces as the file holds it (see
// RowReader::streamLine), so that a row of any length is judged without being held.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string_view>

namespace qlx::csv {

// Whether every field of a row is blank (empty, or white space alone), and how many are not. A
// quoted field counts as its text; one that is not closed holds its quote, so it is not blank.
class BlankCheck {
public:
    void add(std::string_view piece);
    // After the whole row: whether no field holds anything but white space.
    bool blank() const { return values() == 0; }
    // After the whole row: how many fields hold more than white space.
    std::size_t values() const {
        // A quote still open at the end closed nothing: the field holds it.
        return values_ + (blankField_ && state_ != State::Quoted ? 0 : 1);
    }

private:
    enum class State { FieldStart, Plain, Quoted, QuoteSeen };
    State state_ = State::FieldStart;
    bool blankField_ = true;
    std::size_t values_ = 0;
};

// Whether a row is one byte block, "0x" and pairs of hex digits in either case, perhaps between
// double quotes, followed by empty fields alone; and the block's bytes, as they are decoded.
class ByteBlockRow {
public:
    using Bytes = std::function<void(std::span<const std::uint8_t>)>;
    // `bytes`, when given, is handed the block's bytes in pieces, in order.
    explicit ByteBlockRow(Bytes bytes = {}) : bytes_(std::move(bytes)) {}
    void add(std::string_view piece);
    // After the whole row.
    bool isBlock() const;

private:
    enum class State {
        Start,
        OpenQuote,
        Zero,
        Digits,
        CloseQuote,
        Rest,
        RestQuote,
        RestQuotes,
        No
    };
    void digits(std::string_view run);

    Bytes bytes_;
    State state_ = State::Start;
    bool quoted_ = false;
    bool halfByte_ = false; // an odd digit waits for its pair
    std::uint8_t high_ = 0;
};

} // namespace qlx::csv
