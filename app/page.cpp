// The page's one way in, for the module the browser runs: a file's name and bytes in; the output's
// name and bytes, the status, its message and the lines that say what and where out, from the same
// conversions and words as the command line, with a summary of the motion converted.
#include "app/driver.h"
#include "app/messages.h"
#include "app/motion_summary.h"
#include "convert/conversion.h"
#include "convert/extension.h"
#include "motion/motion_file.h"
#include "platform/page_files.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace qlx::app {

namespace {

// Text as a JSON string, quoted.
std::string jsonString(std::string_view text) {
    std::string json = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            json += '\\';
            json += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escaped[7];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
            json += escaped;
        } else {
            json += c;
        }
    }
    return json + "\"";
}

std::string summaryJson(const MotionSummary& s) {
    std::string json =
        "{\"model\":" + jsonString(s.model) + ",\"bones\":" + std::to_string(s.bones) +
        ",\"morphs\":" + std::to_string(s.morphs) + ",\"cameras\":" + std::to_string(s.cameras) +
        ",\"lights\":" + std::to_string(s.lights) + ",\"frames\":";
    json += s.frames ? "[" + std::to_string(s.frames->first) + "," +
                           std::to_string(s.frames->second) + "]"
                     : "null";
    json += ",\"boneKeys\":[";
    for (std::size_t k = 0; k < s.boneKeys.size(); ++k) {
        json += (k == 0 ? "[" : ",[") + jsonString(s.boneKeys[k].first) + "," +
                std::to_string(s.boneKeys[k].second) + "]";
    }
    return json + "]}";
}

// A motion file, in the pieces it was written in, summarized; pieces are joined to be read.
std::string motionJson(const std::vector<std::span<const std::byte>>& pieces) {
    std::vector<std::byte> joined;
    if (pieces.size() > 1) {
        std::size_t size = 0;
        for (const auto piece : pieces) {
            size += piece.size();
        }
        joined.reserve(size);
        for (const auto piece : pieces) {
            joined.insert(joined.end(), piece.begin(), piece.end());
        }
    }
    const auto motion = motion::parseMotion(pieces.size() > 1 ? std::span<const std::byte>(joined)
                                            : pieces.empty()  ? std::span<const std::byte>()
                                                              : pieces.front());
    return motion ? summaryJson(summarize(*motion)) : "null";
}

std::string resultJson(const Report& report, Language language, const std::string& outputName,
                       const std::vector<std::span<const std::byte>>& output,
                       const std::string& motion) {
    std::string json = "{\"status\":" + std::to_string(static_cast<int>(report.status)) +
                       ",\"message\":" + jsonString(statusText(report.status)) + ",\"lines\":[";
    const auto lines = describe(report, language);
    for (std::size_t k = 0; k < lines.size(); ++k) {
        json += (k == 0 ? "" : ",") + jsonString(lines[k]);
    }
    json += "],\"output\":";
    if (report.status != Status::Ok) {
        return json + "null,\"motion\":" + motion + "}";
    }
    // Where each piece of the output lies in the module's memory, and how long it is.
    json += "{\"name\":" + jsonString(outputName) + ",\"pieces\":[";
    for (std::size_t k = 0; k < output.size(); ++k) {
        json += (k == 0 ? "[" : ",[") +
                std::to_string(reinterpret_cast<std::uintptr_t>(output[k].data())) + "," +
                std::to_string(output[k].size()) + "]";
    }
    return json + "]},\"motion\":" + motion + "}";
}

Language languageOf(int japanese) {
    return japanese != 0 ? Language::Japanese : Language::English;
}

// JSON text the page reads and then frees.
char* handedOver(const std::string& json) {
    auto* text = static_cast<char*>(std::malloc(json.size() + 1));
    std::memcpy(text, json.c_str(), json.size() + 1);
    return text;
}

} // namespace

} // namespace qlx::app

using namespace qlx;

extern "C" {

// Memory the page writes into or reads from, and frees.
void* qlx_allocate(std::uint32_t size) {
    return std::malloc(size == 0 ? 1 : size);
}

void qlx_free(void* block) {
    std::free(block);
}

// Forgets the files of the last conversion and holds the input under its name (UTF-8): `kind` 1
// a dropped folder, which holds nothing; 0 a file, and room for its bytes, for the page to fill;
// 2 a file the page can give as it is read, which then holds nothing and is asked for its bytes
// as the conversion runs. A motion file is always filled: its summary is read from its bytes
// before the export, which needs every byte before it starts.
std::byte* qlx_hold(const char* name, std::uint32_t nameSize, std::uint32_t size, int kind) {
    const std::string path(name, nameSize);
    const platform::PageInput input = kind == 1 ? platform::PageInput::Folder
                                      : kind == 2 && !convert::hasExtension(path, ".qlx")
                                          ? platform::PageInput::Streamed
                                          : platform::PageInput::File;
    return platform::holdPageInput(path, size, input).data();
}

// Converts the input held under `name` as the command line converts a file of that name, and
// says how it went as JSON text: status, message, lines, the output's name and place, the motion.
char* qlx_convert(const char* name, std::uint32_t nameSize, int japanese) {
    const std::string path(name, nameSize);
    const app::Language language = app::languageOf(japanese);
    const bool exports = convert::hasExtension(path, ".qlx");
    // The export takes its input's bytes as its own: the motion is read before.
    const std::string input = exports ? app::motionJson(platform::pageFile(path)) : "null";
    const app::Report report =
        app::convertOne(path, app::Conversions{convert::exportToCsv, convert::importFromCsv});
    const auto output = convert::outputPath(path, exports ? ".csv" : ".qlx");
    const std::string outputName = output ? output->generic_string() : std::string();
    const auto outputBytes = platform::pageFile(outputName);
    const std::string motion = report.status != app::Status::Ok ? "null"
                               : exports                        ? input
                                                                : app::motionJson(outputBytes);
    return app::handedOver(app::resultJson(report, language, outputName, outputBytes, motion));
}

// What the command line says where memory ran out, `bytes` having been asked for: the page calls
// it on a fresh module after the one converting ended itself so.
char* qlx_out_of_memory(std::uint32_t bytes, int japanese) {
    return app::handedOver(
        app::resultJson(convert::outOfMemory(bytes), app::languageOf(japanese), {}, {}, "null"));
}

} // extern "C"
