// Peak memory of one conversion of the largest benchmark motion (1 million bone keys), in each
// direction, as a multiple of its input plus output bytes. Each conversion runs in a fresh
// process of this program, so nothing else counts towards its peak.
//
//   qlx_peak_memory                      generate the motion if needed, measure both directions
//   qlx_peak_memory export|import PATH   one conversion; prints its peak resident bytes
#include "convert/conversion.h"
#include "motion/motion_file.h"
#include "tests/support/motion_generator.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/resource.h>

namespace {

namespace fs = std::filesystem;

long peakKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

double measure(const std::string& self, const char* direction, const fs::path& path) {
    const fs::path report = path.parent_path() / "peak.txt";
    const std::string command =
        "'" + self + "' " + direction + " '" + path.string() + "' > '" + report.string() + "'";
    if (std::system(command.c_str()) != 0) {
        return -1;
    }
    FILE* file = std::fopen(report.c_str(), "r");
    double kilobytes = -1;
    if (file != nullptr) {
        if (std::fscanf(file, "%lf", &kilobytes) != 1) {
            kilobytes = -1;
        }
        std::fclose(file);
    }
    return kilobytes * 1024;
}

} // namespace

int main(int argc, char** argv) {
    using namespace qlx;
    if (argc == 3) {
        const std::string direction = argv[1];
        const auto status =
            direction == "export" ? convert::exportToCsv(argv[2]) : convert::importFromCsv(argv[2]);
        std::printf("%ld\n", peakKilobytes());
        return status == convert::Status::Ok ? 0 : 1;
    }
    const fs::path folder = fs::temp_directory_path() / "qlx-peak-memory";
    fs::create_directories(folder);
    if (!fs::exists(folder / "source.qlx")) {
        motion::save(test::generateMotion(1'000'000), folder / "source.qlx");
    }
    fs::copy_file(folder / "source.qlx", folder / "take.qlx", fs::copy_options::overwrite_existing);
    const double exportPeak = measure(argv[0], "export", folder / "take.qlx");
    fs::rename(folder / "take.csv", folder / "back.csv");
    const double importPeak = measure(argv[0], "import", folder / "back.csv");

    const auto binary = static_cast<double>(fs::file_size(folder / "source.qlx"));
    const auto text = static_cast<double>(fs::file_size(folder / "back.csv"));
    std::printf("1M bone keys: binary %.0f MB, CSV %.0f MB\n", binary / 1e6, text / 1e6);
    std::printf("export peak %.0f MB = %.2f x (input + output)\n", exportPeak / 1e6,
                exportPeak / (binary + text));
    std::printf("import peak %.0f MB = %.2f x (input + output)\n", importPeak / 1e6,
                importPeak / (binary + text));
    return exportPeak > 0 && importPeak > 0 ? 0 : 1;
}
