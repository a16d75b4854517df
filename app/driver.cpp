// The command-line driver.
#include "app/driver.h"

#include <chrono>

namespace qlx::app {

namespace {

constexpr std::string_view kUsage = "QLXConverter Usage : \n"
                                    "\tConvert csv->qlx\n"
                                    "\t>QLXConverter.exe filename.csv \n"
                                    "\n"
                                    "\tConvert qlx->csv\n"
                                    "   >QLXConverter.exe filename.qlx\n";

// True when the path's text from its last "." to the end is exactly `extension`: a
// case-sensitive match with nothing after it. Dots in folder names do not count.
bool hasExtension(const std::filesystem::path& path, std::string_view extension) {
    const auto& text = path.native();
    const auto dot = text.rfind('.');
    if (dot == text.npos || text.size() - dot != extension.size()) {
        return false;
    }
    for (std::size_t i = 0; i < extension.size(); ++i) {
        if (text[dot + i] != static_cast<std::filesystem::path::value_type>(extension[i])) {
            return false;
        }
    }
    return true;
}

} // namespace

std::string_view statusMessage(int status) {
    switch (status) {
    case 0: // 正常終了しました (finished normally)
        return "\x90\xB3\x8F\xED\x8F\x49\x97\xB9\x82\xB5\x82\xDC\x82\xB5\x82\xBD";
    case -1: // ファイルオープンエラー (file open error)
        return "\x83\x74\x83\x40\x83\x43\x83\x8B\x83\x49\x81\x5B\x83\x76\x83\x93\x83\x47\x83\x89"
               "\x81\x5B";
    case -2: // 内部エラー (internal error)
        return "\x93\xE0\x95\x94\x83\x47\x83\x89\x81\x5B";
    case -3: // ファイル書き込みエラー (file write error)
        return "\x83\x74\x83\x40\x83\x43\x83\x8B\x8F\x91\x82\xAB\x8D\x9E\x82\xDD\x83\x47\x83\x89"
               "\x81\x5B";
    case kStatusBadExtension: // ファイル拡張子が違います (the file extension is wrong)
        return "\x83\x74\x83\x40\x83\x43\x83\x8B\x8A\x67\x92\xA3\x8E\x71\x82\xAA\x88\xE1\x82\xA2"
               "\x82\xDC\x82\xB7";
    default: // 原因不明なエラー (error of unknown cause)
        return "\x8C\xB4\x88\xF6\x95\x73\x96\xBE\x82\xC8\x83\x47\x83\x89\x81\x5B";
    }
}

int runDriver(const std::optional<Argument>& argument, const Conversions& conversions,
              const Platform& platform) {
    if (!argument) {
        platform.writeError(kUsage);
        return 0;
    }
    platform.useJapaneseLocale();
    platform.writeError(argument->echo);
    platform.writeError("\n");

    int status = kStatusBadExtension;
    if (hasExtension(argument->path, ".qlx")) {
        status = conversions.exportToCsv(argument->path);
    } else if (hasExtension(argument->path, ".csv")) {
        status = conversions.importFromCsv(argument->path);
    }

    platform.writeError(statusMessage(status));
    platform.writeError("\n");
    platform.signal(status == 0 ? Signal::Information : Signal::Error);
    platform.pause(std::chrono::milliseconds(5000));
    return status;
}

} // namespace qlx::app
