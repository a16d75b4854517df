// The one table of the program's words, and the facts of a report put into them.
#include "app/messages.h"

#include "csv/number_format.h"
#include "csv/text_encoding.h"
#include "text/fixed_text.h"

#include <array>
#include <cstdio>
#include <initializer_list>
#include <string_view>

namespace qlx::app {

namespace {

using namespace convert;

enum class Words : std::uint8_t {
    Bone,
    Morph,
    Camera,
    Light,
    HeaderRow,
    ModelNameRow,
    BoneKey,
    MorphKey,
    CameraKey,
    LightKey,
    // Why a file is not what the walk needs.
    FileEmpty,
    EndsBeforeModelName,
    EndsBeforeCount,
    CountEmpty,
    CountNotANumber,
    CountNegative,
    CountTooLarge,
    CountValues,
    CountToChange,
    TooFewRows,
    RowAfterLights,
    LightCountToChange,
    NotUtf8,
    NoShiftJis,
    // Why a file cannot be read, or an output written.
    CannotRead,
    NotAMotion,
    TooShort,
    UnknownSignature,
    EndsInModelName,
    EndsInCount,
    EndsInRecords,
    Changed,
    OutputTarget,
    SharedLink,
    OutputCreate,
    OutputWrite,
    OutputReplace,
    OutputIsInput,
    UnwritableSignature,
    MemoryAskedFor,
    MemoryRanOut,
    BadExtension,
    // What the system said.
    NotFound,
    AccessDenied,
    IsFolder,
    NotRegular,
    InUse,
    NoSpace,
    TooLarge,
    ReadOnly,
    LinkLoop,
    DeviceName,
    SystemError,
    // Fields read other than as written.
    NotANumber,
    EmptyNumber,
    TextAfterNumber,
    NameCut,
    NotABlock,
    BlockLength,
    FewerColumns,
    BeyondLastColumn,
    NameAtNul,
    DecimalComma,
    QuestionMark,
    EmptyName,
    AlsoUtf8,
    NotARotation,
    NotUtf16,
    MoreNotes,
    NoPauseHelp,
    // The status messages, Japanese in both languages, and the usage text.
    Finished,
    OpenError,
    InternalError,
    WriteError,
    BadExtensionStatus,
    UnknownError,
    Usage,
    Count
};

constexpr std::string_view kUsage = "QLXConverter Usage : \n"
                                    "\tConvert csv->qlx\n"
                                    "\t>QLXConverter.exe filename.csv \n"
                                    "\n"
                                    "\tConvert qlx->csv\n"
                                    "   >QLXConverter.exe filename.qlx\n";

// Each word in English, then Japanese; {0} to {3} stand for the facts, in the order the code
// gives them. Keyed, and in the order of the keys, as the checks after it require.
struct Entry {
    Words key;
    std::string_view english;
    std::string_view japanese;
};
constexpr Entry kWords[] = {
    {Words::Bone, "bone", "ボーン"},
    {Words::Morph, "morph", "モーフ"},
    {Words::Camera, "camera", "カメラ"},
    {Words::Light, "light", "ライト"},
    {Words::HeaderRow, "header row", "ヘッダー行"},
    {Words::ModelNameRow, "model-name row", "モデル名の行"},
    {Words::BoneKey, "bone key", "ボーンのキー"},
    {Words::MorphKey, "morph key", "モーフのキー"},
    {Words::CameraKey, "camera key", "カメラのキー"},
    {Words::LightKey, "light key", "ライトのキー"},
    {Words::FileEmpty, "the file is empty", "ファイルが空です"},
    {Words::EndsBeforeModelName, "the file ends after line {0}, where the model name should follow",
     "ファイルが{0}行目で終わっています。次の行にモデル名が必要です"},
    {Words::EndsBeforeCount, "the file ends after line {0}, where the {1} count should follow",
     "ファイルが{0}行目で終わっています。次の行に{1}の数が必要です"},
    {Words::CountEmpty, "line {0} should hold the {1} count, but it is empty",
     "{0}行目には{1}の数が必要ですが、空です"},
    {Words::CountNotANumber,
     "line {0} should hold the {1} count, a whole number, but holds \"{2}\"",
     "{0}行目には{1}の数（整数）が必要ですが、「{2}」と書かれています"},
    {Words::CountNegative,
     "line {0} should hold the {1} count, but holds \"{2}\": a count cannot be negative",
     "{0}行目には{1}の数が必要ですが、「{2}」と書かれています。数は負にはなりません"},
    {Words::CountTooLarge,
     "line {0} should hold the {1} count, but holds \"{2}\": a count is at most 4,294,967,295",
     "{0}行目には{1}の数が必要ですが、「{2}」と書かれています。数は4,294,967,295までです"},
    {Words::CountValues, "line {0} should hold the {1} count, but holds {2} values",
     "{0}行目には{1}の数が必要ですが、値が{2}個あります"},
    {Words::CountToChange,
     "the {0} count on line {1} says {2}: change it if {0} keys were added or deleted",
     "{1}行目の{0}の数は{2}です。{0}のキーを追加・削除したときは、この数を直してください"},
    {Words::TooFewRows, "the {0} count on line {1} says {2}, but only {3} lines follow it",
     "{1}行目の{0}の数は{2}ですが、その後には{3}行しかありません"},
    {Words::RowAfterLights, "line {0} follows the last light key, but holds {1} values",
     "{0}行目は最後のライトのキーより後ですが、値が{1}個あります"},
    {Words::LightCountToChange,
     "the light count on line {0} says {1}: raise it if light keys were added",
     "{0}行目のライトの数は{1}です。ライトのキーを追加したときは、この数を増やしてください"},
    {Words::NotUtf8,
     "line {0} holds bytes that are not UTF-8, though the file begins with the UTF-8 mark",
     "ファイルはUTF-8の印で始まっていますが、{0}行目にUTF-8でないバイトがあります"},
    {Words::NoShiftJis, "line {0} holds the character U+{1}, which Shift-JIS cannot hold",
     "{0}行目の文字 U+{1} はShift-JISで表せません"},
    {Words::CannotRead, "the file cannot be read: {0}", "ファイルを読めません: {0}"},
    {Words::NotAMotion, "this is not a motion file: {0}", "モーションファイルではありません: {0}"},
    {Words::TooShort, "it holds {0} bytes, fewer than the 30 of a header",
     "{0}バイトしかなく、ヘッダーの30バイトに足りません"},
    {Words::UnknownSignature, "its signature \"{0}\" names no version this program reads",
     "シグネチャ「{0}」は、このプログラムが読める版ではありません"},
    {Words::EndsInModelName, "it ends inside the model name", "モデル名の途中で終わっています"},
    {Words::EndsInCount, "it ends inside the {0} count", "{0}の数の途中で終わっています"},
    {Words::EndsInRecords, "it ends inside the {0} table, after {1} of {2} keys",
     "{0}の表の途中、{2}個のキーのうち{1}個で終わっています"},
    {Words::Changed, "the file was cut or changed while it was read",
     "読み込みの途中でファイルが切り詰められたか、書き換えられました"},
    {Words::OutputTarget, "the output cannot be replaced: {0}",
     "出力先のファイルを置き換えられません: {0}"},
    {Words::SharedLink,
     "the output is a link that another user made in a folder that anyone may write to; "
     "such a link is not followed",
     "出力先は、誰でも書き込めるフォルダーにほかのユーザーが作ったリンクです。このようなリン"
     "クはたどりません"},
    {Words::OutputCreate, "no new file can be made in the output's folder: {0}",
     "出力先のフォルダーに新しいファイルを作れません: {0}"},
    {Words::OutputWrite, "the output cannot be written: {0}", "出力を書き込めません: {0}"},
    {Words::OutputReplace, "the new output cannot take the old one's place: {0}",
     "新しい出力で元のファイルを置き換えられません: {0}"},
    {Words::OutputIsInput, "the output is the input itself, through a link: nothing is replaced",
     "出力先は、リンクをたどると入力そのものです。何も置き換えません"},
    {Words::UnwritableSignature, "the signature \"{0}\" names no version this program writes",
     "シグネチャ「{0}」は、このプログラムが書ける版ではありません"},
    {Words::MemoryAskedFor,
     "the conversion asked for {0} MB of memory, more than the system could give",
     "変換に必要なメモリー（{0} MB）を確保できませんでした"},
    {Words::MemoryRanOut, "memory ran out", "メモリーが足りません"},
    {Words::BadExtension, "only a name that ends in .qlx or .csv is converted",
     "変換できるのは、名前が .qlx か .csv で終わるファイルだけです"},
    {Words::NotFound, "there is no such file", "ファイルがありません"},
    {Words::AccessDenied, "permission denied", "アクセスが拒否されました"},
    {Words::IsFolder, "it is a folder", "フォルダーです"},
    {Words::NotRegular, "it is not a regular file", "通常のファイルではありません"},
    {Words::InUse, "another program is using it", "ほかのプログラムが使用中です"},
    {Words::NoSpace, "no space is left on the disk", "ディスクの空きがありません"},
    {Words::TooLarge, "the file would be larger than this program may write",
     "このプログラムが書き込める大きさの上限を超えます"},
    {Words::ReadOnly, "the disk is read-only", "ディスクが読み取り専用です"},
    {Words::LinkLoop, "too many symbolic links", "シンボリックリンクが多すぎます"},
    {Words::DeviceName,
     "its name is one that Windows keeps for a device (CON, NUL, COM1 and the like)",
     "Windowsがデバイスに使う名前です（CON、NUL、COM1など）"},
    {Words::SystemError, "system error {0}", "システムエラー {0}"},
    {Words::NotANumber, "line {0}, column {1}: \"{2}\" is not a number; {3} is kept",
     "{0}行目{1}列目: 「{2}」は数ではありません。{3}のままにします"},
    {Words::EmptyNumber, "line {0}, column {1} is empty; {3} is kept",
     "{0}行目{1}列目は空です。{3}のままにします"},
    {Words::TextAfterNumber, "line {0}, column {1}: \"{2}\" is read as {3}",
     "{0}行目{1}列目: 「{2}」は{3}として読みました"},
    {Words::NameCut,
     "line {0}, column {1}: the name is longer than {2} bytes; its first {3} are kept",
     "{0}行目{1}列目: 名前が{2}バイトを超えています。最初の{3}バイトを使います"},
    {Words::NotABlock,
     "line {0}, column {1}: \"{2}\" is not 0x and hex digits; the bytes it misses keep their "
     "values",
     "{0}行目{1}列目: 「{2}」は0xと16進数字の並びではありません。読めないバイトは元のままです"},
    {Words::BlockLength,
     "line {0}, column {1}: the block should be {2} bytes, 0x and {3} hex digits",
     "{0}行目{1}列目: {2}バイト（0xと16進数字{3}個）が必要です"},
    {Words::FewerColumns,
     "line {0} holds {1} values where a {2} has {3}; the others keep their defaults",
     "{0}行目の値は{1}個ですが、{2}には{3}個必要です。足りない値は既定値のままです"},
    {Words::BeyondLastColumn,
     "line {0}, column {1}: a {2} has {3} columns; the rest of the line is not read",
     "{0}行目{1}列目: {2}の列は{3}個までです。それより後は読みません"},
    {Words::NameAtNul,
     "line {0}, column {1}: the name holds a NUL byte; the {2} bytes before it are kept",
     "{0}行目{1}列目: 名前にNULバイトがあります。その前の{2}バイトを使います"},
    {Words::DecimalComma,
     "line {0}, column {1}: \"{2}\" is read as {3}, its comma as a decimal point",
     "{0}行目{1}列目: 「{2}」はコンマを小数点として{3}と読みました"},
    {Words::QuestionMark,
     "line {0}, column {1}: the name \"{2}\" holds a question mark: the character set it was "
     "saved in may have replaced its characters",
     "{0}行目{1}列目: 名前「{2}」に疑問符があります。保存したときの文字コードに、その文字がなかった"
     "のかもしれません"},
    {Words::EmptyName, "line {0}, column {1}: the name is empty", "{0}行目{1}列目: 名前が空です"},
    {Words::AlsoUtf8,
     "line {0}: \"{1}\" is read as Shift-JIS, though the file would read as UTF-8 too, as "
     "\"{2}\"; saved as UTF-8 with the byte-order mark, it is read as UTF-8",
     "{0}行目: 「{1}」はShift-JISとして読みました。UTF-8としても読め、その場合は「{2}」です。"
     "UTF-8として読ませるには、BOM付きのUTF-8で保存してください"},
    {Words::NotARotation,
     "line {0}, column {1}: the rotation should be 0x and 32 hex digits; it is computed from the "
     "angles",
     "{0}行目{1}列目: 回転は0xと16進数字32個で書きます。角度から計算しました"},
    {Words::NotUtf16,
     "line {0} holds bytes that are not UTF-16, though the file begins with the UTF-16 mark",
     "ファイルはUTF-16の印で始まっていますが、{0}行目にUTF-16でないバイトがあります"},
    {Words::MoreNotes, "and {0} more such lines", "ほかに{0}件あります"},
    {Words::NoPauseHelp,
     "Set QLXCONVERTER_NO_PAUSE=1 to end without the five-second pause (for scripts).",
     "QLXCONVERTER_NO_PAUSE=1 "
     "を設定すると、最後の5秒の待ち時間なしで終わります（スクリプト用）。"},
    {Words::Finished, "正常終了しました", "正常終了しました"},
    {Words::OpenError, "ファイルオープンエラー", "ファイルオープンエラー"},
    {Words::InternalError, "内部エラー", "内部エラー"},
    {Words::WriteError, "ファイル書き込みエラー", "ファイル書き込みエラー"},
    {Words::BadExtensionStatus, "ファイル拡張子が違います", "ファイル拡張子が違います"},
    {Words::UnknownError, "原因不明なエラー", "原因不明なエラー"},
    {Words::Usage, kUsage, kUsage},
};
static_assert(std::size(kWords) == static_cast<std::size_t>(Words::Count),
              "one entry for each word, no more");
constexpr bool inKeyOrder() {
    for (std::size_t i = 0; i < std::size(kWords); ++i) {
        if (kWords[i].key != static_cast<Words>(i)) {
            return false;
        }
    }
    return true;
}
static_assert(inKeyOrder(), "each entry where its key says");

// The words' pattern with {0}, {1}... replaced by the arguments.
std::string say(Language language, Words words, std::initializer_list<std::string> arguments) {
    const Entry& entry = kWords[static_cast<std::size_t>(words)];
    const std::string_view pattern = language == Language::English ? entry.english : entry.japanese;
    std::string text;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const std::size_t k = i + 2 < pattern.size() && pattern[i] == '{' && pattern[i + 2] == '}'
                                  ? static_cast<std::size_t>(pattern[i + 1] - '0')
                                  : arguments.size();
        if (k < arguments.size()) {
            text += arguments.begin()[k];
            i += 2;
        } else {
            text += pattern[i];
        }
    }
    return text;
}

std::string word(Language language, Words words) {
    return say(language, words, {});
}

// A count, its thousands set apart as both languages write them: 1,234.
std::string number(std::uint64_t value) {
    std::string digits = std::to_string(value);
    for (auto at = static_cast<std::ptrdiff_t>(digits.size()) - 3; at > 0; at -= 3) {
        digits.insert(static_cast<std::size_t>(at), ",");
    }
    return digits;
}

// A value as the CSV file writes it.
std::string value(const std::variant<std::monostate, std::int32_t, float>& stored) {
    char text[csv::kMaxNumberText];
    if (const auto* integer = std::get_if<std::int32_t>(&stored)) {
        return {text, csv::formatInt(text, *integer)};
    }
    if (const auto* real = std::get_if<float>(&stored)) {
        return {text, csv::formatFloat(text, *real)};
    }
    return {};
}

// A text of the file, which is code page 932, among words that are UTF-8.
std::string fileText(std::string_view shiftJis) {
    return csv::utf8FromShiftJis(shiftJis);
}

Words tableWords(Table table) {
    switch (table) {
    case Table::Bones:
        return Words::Bone;
    case Table::Morphs:
        return Words::Morph;
    case Table::Cameras:
        return Words::Camera;
    case Table::Lights:
        break;
    }
    return Words::Light;
}

Words rowWords(RowKind row) {
    switch (row) {
    case RowKind::Header:
        return Words::HeaderRow;
    case RowKind::ModelName:
        return Words::ModelNameRow;
    case RowKind::Bone:
        return Words::BoneKey;
    case RowKind::Morph:
        return Words::MorphKey;
    case RowKind::Camera:
        return Words::CameraKey;
    case RowKind::Light:
        break;
    }
    return Words::LightKey;
}

std::string systemWords(Language language, const platform::SystemError& error) {
    using Kind = platform::SystemError::Kind;
    switch (error.kind) {
    case Kind::NotFound:
        return word(language, Words::NotFound);
    case Kind::AccessDenied:
        return word(language, Words::AccessDenied);
    case Kind::Folder:
        return word(language, Words::IsFolder);
    case Kind::NotRegular:
        return word(language, Words::NotRegular);
    case Kind::InUse:
        return word(language, Words::InUse);
    case Kind::NoSpace:
        return word(language, Words::NoSpace);
    case Kind::TooLarge:
        return word(language, Words::TooLarge);
    case Kind::ReadOnly:
        return word(language, Words::ReadOnly);
    case Kind::LinkLoop:
        return word(language, Words::LinkLoop);
    case Kind::DeviceName:
        return word(language, Words::DeviceName);
    case Kind::None:
    case Kind::Exists:
    case Kind::Other:
        break;
    }
    return say(language, Words::SystemError, {std::to_string(error.code)});
}

std::string motionWords(Language language, const motion::MotionFault& fault) {
    using Kind = motion::MotionFault::Kind;
    const std::string table = word(language, tableWords(fault.table));
    switch (fault.kind) {
    case Kind::EndsInHeader:
        return say(language, Words::TooShort, {number(fault.bytes)});
    case Kind::UnknownVersion: {
        std::string signature(text::fieldText(fault.magic));
        for (char& c : signature) {
            c = c >= 0x20 && c < 0x7F ? c : '?'; // a file of another kind holds any bytes there
        }
        return say(language, Words::UnknownSignature, {signature});
    }
    case Kind::EndsInModelName:
        return word(language, Words::EndsInModelName);
    case Kind::EndsInCount:
        return say(language, Words::EndsInCount, {table});
    case Kind::EndsInRecords:
        return say(language, Words::EndsInRecords,
                   {table, number(fault.keys), number(fault.count)});
    }
    return {};
}

std::string outputWords(Language language, const io::OutputFailure& failure) {
    using Step = io::OutputFailure::Step;
    const std::string why = systemWords(language, failure.error);
    switch (failure.step) {
    case Step::Target:
        return say(language, Words::OutputTarget, {why});
    case Step::SharedLink:
        return word(language, Words::SharedLink);
    case Step::Create:
        return say(language, Words::OutputCreate, {why});
    case Step::None:
    case Step::Write:
        return say(language, Words::OutputWrite, {why});
    case Step::Replace:
        return say(language, Words::OutputReplace, {why});
    case Step::IsInput:
        return word(language, Words::OutputIsInput);
    }
    return {};
}

// The facts of a failure: a line, and sometimes a second one that says what to change.
struct Explain {
    Language language;
    std::vector<std::string>& lines;

    void operator()(std::monostate) const {}
    void operator()(const EndsEarly& f) const {
        if (f.row == EndsEarly::Row::Header) {
            lines.push_back(word(language, Words::FileEmpty));
        } else if (f.row == EndsEarly::Row::ModelName) {
            lines.push_back(say(language, Words::EndsBeforeModelName, {number(f.line)}));
        } else {
            lines.push_back(say(language, Words::EndsBeforeCount,
                                {number(f.line), word(language, tableWords(f.table))}));
        }
    }
    void operator()(const NotACount& f) const {
        const std::string table = word(language, tableWords(f.table));
        if (f.values == 1 && !f.text.empty()) {
            lines.push_back(say(language,
                                f.why == NotACount::Why::Negative   ? Words::CountNegative
                                : f.why == NotACount::Why::TooLarge ? Words::CountTooLarge
                                                                    : Words::CountNotANumber,
                                {number(f.line), table, fileText(f.text)}));
            return; // the count itself is what to mend
        }
        lines.push_back(f.values == 0 ? say(language, Words::CountEmpty, {number(f.line), table})
                                      : say(language, Words::CountValues,
                                            {number(f.line), table, number(f.values)}));
        if (f.before) {
            countToChange(*f.before);
        }
    }
    void operator()(const TooFewRows& f) const {
        lines.push_back(say(language, Words::TooFewRows,
                            {word(language, tableWords(f.count.table)), number(f.count.line),
                             number(f.count.count), number(f.rows)}));
    }
    void operator()(const RowAfterLights& f) const {
        lines.push_back(say(language, Words::RowAfterLights, {number(f.line), number(f.values)}));
        lines.push_back(say(language, Words::LightCountToChange,
                            {number(f.lights.line), number(f.lights.count)}));
    }
    void operator()(const NotShiftJisText& f) const {
        if (f.character == 0) {
            lines.push_back(
                say(language, f.utf16 ? Words::NotUtf16 : Words::NotUtf8, {number(f.line)}));
            return;
        }
        char code[16];
        std::snprintf(code, sizeof code, "%04X", static_cast<unsigned>(f.character));
        lines.push_back(say(language, Words::NoShiftJis, {number(f.line), code}));
    }
    void operator()(const CannotRead& f) const {
        lines.push_back(say(language, Words::CannotRead, {systemWords(language, f.error)}));
    }
    void operator()(const NotAMotion& f) const {
        lines.push_back(say(language, Words::NotAMotion, {motionWords(language, f.fault)}));
    }
    void operator()(const ChangedWhileRead&) const {
        lines.push_back(word(language, Words::Changed));
    }
    void operator()(const CannotWrite& f) const {
        lines.push_back(outputWords(language, f.failure));
    }
    void operator()(const UnwritableVersion& f) const {
        lines.push_back(say(language, Words::UnwritableSignature, {fileText(f.signature)}));
    }
    void operator()(const MemoryExhausted& f) const {
        if (f.bytes == 0) {
            lines.push_back(word(language, Words::MemoryRanOut));
            return;
        }
        lines.push_back(
            say(language, Words::MemoryAskedFor, {number((f.bytes + (1 << 20) - 1) >> 20)}));
    }

    void countToChange(const CountRow& count) const {
        lines.push_back(say(
            language, Words::CountToChange,
            {word(language, tableWords(count.table)), number(count.line), number(count.count)}));
    }
};

std::string noteWords(Language language, const Note& note) {
    const std::string line = number(note.line);
    const std::string column = number(note.column);
    const std::string text = fileText(note.text);
    switch (note.kind) {
    case Note::Kind::NotANumber:
        return say(language, note.text.empty() ? Words::EmptyNumber : Words::NotANumber,
                   {line, column, text, value(note.stored)});
    case Note::Kind::TextAfterNumber:
        return say(language, Words::TextAfterNumber, {line, column, text, value(note.stored)});
    case Note::Kind::NameCut:
        return say(language, Words::NameCut, {line, column, number(note.size), number(note.kept)});
    case Note::Kind::NotABlock:
        return say(language, Words::NotABlock, {line, column, text});
    case Note::Kind::BlockLength:
        return say(language, Words::BlockLength,
                   {line, column, number(note.size), number(2 * note.size)});
    case Note::Kind::FewerColumns:
        return say(
            language, Words::FewerColumns,
            {line, number(note.values), word(language, rowWords(note.row)), number(note.size)});
    case Note::Kind::BeyondLastColumn:
        return say(language, Words::BeyondLastColumn,
                   {line, column, word(language, rowWords(note.row)), number(note.size)});
    case Note::Kind::NameAtNul:
        return say(language, Words::NameAtNul, {line, column, number(note.kept)});
    case Note::Kind::DecimalComma:
        return say(language, Words::DecimalComma, {line, column, text, value(note.stored)});
    case Note::Kind::QuestionMark:
        return say(language, Words::QuestionMark, {line, column, text});
    case Note::Kind::EmptyName:
        return say(language, Words::EmptyName, {line, column});
    case Note::Kind::AlsoUtf8:
        return say(language, Words::AlsoUtf8, {line, text, note.text});
    case Note::Kind::NotARotation:
        return say(language, Words::NotARotation, {line, column});
    }
    return {};
}

} // namespace

std::vector<std::string> describe(const convert::Report& report, Language language) {
    std::vector<std::string> lines;
    if (report.status == Status::BadExtension) {
        lines.push_back(word(language, Words::BadExtension));
    }
    std::visit(Explain{language, lines}, report.failure);
    for (const Note& note : report.notes.kept()) {
        lines.push_back(noteWords(language, note));
    }
    if (report.notes.more() > 0) {
        lines.push_back(say(language, Words::MoreNotes, {number(report.notes.more())}));
    }
    return lines;
}

std::string noPauseHelp(Language language) {
    return word(language, Words::NoPauseHelp);
}

std::string statusText(Status status) {
    switch (status) {
    case Status::Ok:
        return word(Language::Japanese, Words::Finished);
    case Status::OpenError:
        return word(Language::Japanese, Words::OpenError);
    case Status::RowsNotAMotion:
        return word(Language::Japanese, Words::InternalError);
    case Status::WriteError:
        return word(Language::Japanese, Words::WriteError);
    case Status::BadExtension:
        return word(Language::Japanese, Words::BadExtensionStatus);
    case Status::OutOfMemory:
        break;
    }
    return word(Language::Japanese, Words::UnknownError);
}

std::string usageText() {
    return word(Language::English, Words::Usage);
}

} // namespace qlx::app
