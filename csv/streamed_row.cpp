// Judging a row from its text in pieces: two small state machines over its bytes.
#include "csv/streamed_row.h"

#include "csv/field_codec.h"
#include "io/fixed_text.h"

#include <array>

namespace qlx::csv {

void BlankCheck::add(std::string_view piece) {
    for (const char c : piece) {
        const bool space = io::isSpace(c);
        switch (state_) {
        case State::FieldStart:
        case State::Plain:
            if (c == ',') {
                values_ += blankField_ ? 0 : 1;
                blankField_ = true;
                state_ = State::FieldStart;
            } else if (c == '"' && state_ == State::FieldStart) {
                state_ = State::Quoted;
            } else {
                blankField_ = blankField_ && space;
                state_ = State::Plain;
            }
            break;
        case State::Quoted:
            if (c == '"') {
                state_ = State::QuoteSeen;
            } else {
                blankField_ = blankField_ && space;
            }
            break;
        case State::QuoteSeen:
            if (c == ',') {
                values_ += blankField_ ? 0 : 1;
                blankField_ = true;
                state_ = State::FieldStart;
            } else {
                // A doubled quote is text; anything else leaves the field unclosed, quote and all.
                blankField_ = false;
                state_ = c == '"' ? State::Quoted : State::Plain;
            }
            break;
        }
    }
}

void ByteBlockRow::digits(std::string_view run) {
    std::array<std::uint8_t, 4096> decoded;
    std::size_t count = 0;
    for (const char c : run) {
        const auto value = static_cast<std::uint8_t>(hexDigit(c));
        if (halfByte_) {
            decoded[count++] = static_cast<std::uint8_t>(high_ << 4 | value);
            if (count == decoded.size()) {
                bytes_(std::span(decoded).first(count));
                count = 0;
            }
        }
        high_ = value;
        halfByte_ = !halfByte_;
    }
    if (count > 0) {
        bytes_(std::span(decoded).first(count));
    }
}

void ByteBlockRow::add(std::string_view piece) {
    for (std::size_t i = 0; i < piece.size() && state_ != State::No; ++i) {
        const char c = piece[i];
        switch (state_) {
        case State::Start:
            quoted_ = c == '"';
            state_ = quoted_ ? State::OpenQuote : c == '0' ? State::Zero : State::No;
            break;
        case State::OpenQuote:
            state_ = c == '0' ? State::Zero : State::No;
            break;
        case State::Zero:
            state_ = c == 'x' ? State::Digits : State::No;
            break;
        case State::Digits: {
            std::size_t end = i;
            while (end < piece.size() && hexDigit(piece[end]) >= 0) {
                ++end;
            }
            if (bytes_) {
                digits(piece.substr(i, end - i));
            } else {
                halfByte_ = halfByte_ != ((end - i) % 2 == 1);
            }
            i = end;
            if (i < piece.size()) {
                const char stop = piece[i];
                state_ = quoted_ && stop == '"'                  ? State::CloseQuote
                         : !quoted_ && stop == ',' && !halfByte_ ? State::Rest
                                                                 : State::No;
            } else {
                i = piece.size() - 1; // the run may go on in the next piece
            }
            break;
        }
        case State::CloseQuote:
            state_ = c == ',' && !halfByte_ ? State::Rest : State::No;
            break;
        case State::Rest:
            state_ = c == ',' ? State::Rest : c == '"' ? State::RestQuote : State::No;
            break;
        case State::RestQuote:
            state_ = c == '"' ? State::RestQuotes : State::No;
            break;
        case State::RestQuotes:
            state_ = c == ',' ? State::Rest : State::No;
            break;
        case State::No:
            break;
        }
    }
}

bool ByteBlockRow::isBlock() const {
    switch (state_) {
    case State::Digits:
        return !quoted_ && !halfByte_;
    case State::CloseQuote:
        return !halfByte_;
    case State::Rest:
    case State::RestQuotes:
        return true;
    default:
        return false;
    }
}

} // namespace qlx::csv
