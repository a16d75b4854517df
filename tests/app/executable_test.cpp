// The real executable, run as a user runs it, with the limits and signals a user's system may
// give it. Runs skip the five-second pause, as a script's do, but where a test needs it.
#include "app/driver.h"
#include "app/messages.h"
#include "tests/support/motion_document.h"
#include "tests/support/support.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <pty.h>
#include <sched.h>
#include <sstream>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace qlx::test {
namespace {

using namespace std::chrono_literals;

// In a child process: the converter, on the arguments.
[[noreturn]] void becomeConverter(const std::vector<std::string>& arguments) {
    std::vector<char*> argv{const_cast<char*>(QLX_EXECUTABLE)};
    for (const auto& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    execv(QLX_EXECUTABLE, argv.data());
    _exit(127);
}

// One run of the converter, its standard error in a file of the scratch folder.
class ConverterRun {
public:
    // Starts the converter on the arguments; `prepare` runs in the new process before it.
    ConverterRun(const ScratchDir& dir, const std::vector<std::string>& arguments,
                 const std::function<void()>& prepare = {})
        : errorFile_(dir / "stderr.txt") {
        pid_ = fork();
        if (pid_ == 0) {
            const int error = open(errorFile_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            dup2(error, STDERR_FILENO);
            // Messages in English, and no pause, unless a test says otherwise.
            unsetenv("LC_ALL");
            unsetenv("LC_MESSAGES");
            setenv("LANG", "C", 1);
            setenv("QLXCONVERTER_NO_PAUSE", "1", 1);
            if (prepare) {
                prepare();
            }
            becomeConverter(arguments);
        }
    }

    // Whether the run has not ended yet; an ended one is left to `finish`.
    bool running() const {
        siginfo_t info{};
        return waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
               info.si_pid == 0;
    }

    // What the run has written to standard error so far.
    std::string output() const { return readBytes(errorFile_); }
    pid_t pid() const { return pid_; }
    // Once the run is finished: the most memory it held, as the system counted it.
    long peakKiB() const { return peakKiB_; }

    // Waits until `output` holds `text`, for at most ten seconds.
    bool waitFor(std::string_view text) const {
        for (int i = 0; i < 1000 && output().find(text) == std::string::npos; ++i) {
            std::this_thread::sleep_for(10ms);
        }
        return output().find(text) != std::string::npos;
    }

    // The exit status, or 1000 and the signal that ended the run; a run that hangs is stopped
    // after 30 seconds. Then the console output, and the file is removed.
    std::pair<int, std::string> finish() {
        int status = 0;
        rusage usage{};
        for (int i = 0; i < 3000 && wait4(pid_, &status, WNOHANG, &usage) == 0; ++i) {
            std::this_thread::sleep_for(10ms);
        }
        if (wait4(pid_, &status, WNOHANG, &usage) == 0) {
            kill(pid_, SIGKILL);
            wait4(pid_, &status, 0, &usage);
        }
        peakKiB_ = usage.ru_maxrss;
        std::pair<int, std::string> outcome{
            WIFEXITED(status) ? WEXITSTATUS(status) : 1000 + WTERMSIG(status), output()};
        std::filesystem::remove(errorFile_);
        return outcome;
    }

private:
    std::filesystem::path errorFile_;
    pid_t pid_ = -1;
    long peakKiB_ = 0;
};

std::pair<int, std::string> run(const ScratchDir& dir, const std::vector<std::string>& arguments) {
    return ConverterRun(dir, arguments).finish();
}

std::string message(convert::Status status) {
    return systemShiftJis(app::statusText(status)) + "\n";
}

// Two files dropped together are both converted: a CSV with a Japanese bone name goes to a binary
// file and back to the same CSV, in a folder whose name holds a blank and a dot.
TEST(Executable, ConvertsSeveralFilesBothWays) {
    ScratchDir dir;
    const std::string csv = "Quorlane Motion Data 0002,0\r\n\x90\x58\x96\xEC\r\n1\r\n"
                            "\x93\xAA,3,1,2,3,-0,0,0,0x" +
                            std::string(128, 'A') + ",0x" + std::string(24, '0') +
                            "0000803F\r\n0\r\n0\r\n0\r\n";
    const auto folder = dir / "a b.c";
    std::filesystem::create_directory(folder);
    writeBytes(folder / "take.csv", csv);
    ASSERT_TRUE(test::save(test::MotionDocument{}, folder / "empty.qlx"));
    const std::string first = (folder / "take.csv").string();
    const std::string second = (folder / "empty.qlx").string();
    const std::string ok = message(convert::Status::Ok);
    EXPECT_EQ(run(dir, {first, second}), std::pair(0, first + "\n" + ok + second + "\n" + ok));
    EXPECT_TRUE(std::filesystem::exists(folder / "empty.csv"));
    std::filesystem::remove(folder / "take.csv");
    EXPECT_EQ(run(dir, {(folder / "take.qlx").string()}).first, 0);
    EXPECT_EQ(readBytes(folder / "take.csv"), csv);
}

// A motion whose CSV form is some hundred kilobytes.
std::filesystem::path largeMotion(const ScratchDir& dir) {
    test::MotionDocument document;
    document.bones.resize(2000);
    EXPECT_TRUE(test::save(document, dir / "large.qlx"));
    return dir / "large.qlx";
}

// A file-size limit below the output's size fails the write: status -3, the run goes on to the
// next file, and no file is left behind.
TEST(Executable, AFileSizeLimitIsAWriteError) {
    ScratchDir dir;
    const std::string large = largeMotion(dir).string();
    writeBytes(dir / "small.csv", "Quorlane Motion Data 0002,0\r\nm\r\n0\r\n0\r\n0\r\n0\r\n");
    const std::string small = (dir / "small.csv").string();
    const auto [status, output] = ConverterRun(dir, {large, small}, [] {
                                      const rlimit limit{64 << 10, 64 << 10};
                                      setrlimit(RLIMIT_FSIZE, &limit);
                                  }).finish();
    EXPECT_EQ(status, 253);
    EXPECT_EQ(output, large + "\n" + message(convert::Status::WriteError) +
                          "  the output cannot be written: the file would be larger than this "
                          "program may write\n" +
                          small + "\n" + message(convert::Status::Ok));
    EXPECT_EQ(dir.entries(), 3u) << "the two inputs and the small file's output";
}

// QLXCONVERTER_NO_PAUSE skips the pause and only the pause: a run says and does the same, and
// is still in its pause a second after it said so only without the variable. Signals that the
// caller ignored (a run under nohup, a background job) stay ignored after an output was written:
// a hang-up in the pause does not end the run.
TEST(Executable, NoPauseSkipsOnlyThePause) {
    ScratchDir dir;
    writeBytes(dir / "take.csv", readBytes(QLX_SOURCE_DIR "/examples/walk.csv"));
    const std::vector<std::string> files = {(dir / "take.csv").string(), (dir / "x.txt").string()};
    for (const char* value : {"", "0", "1", "yes"}) {
        ConverterRun converter(dir, files, [value] {
            setenv("QLXCONVERTER_NO_PAUSE", value, 1);
            std::signal(SIGHUP, SIG_IGN);
            std::signal(SIGINT, SIG_IGN);
        });
        ASSERT_TRUE(converter.waitFor("\n  only a name"));
        std::this_thread::sleep_for(1s);
        const bool pauses = std::string_view(value).empty() || std::string_view(value) == "0";
        EXPECT_EQ(converter.running(), pauses) << value;
        if (pauses) {
            kill(converter.pid(), SIGHUP);
            kill(converter.pid(), SIGINT);
        }
        const auto outcome = converter.finish();
        EXPECT_EQ(outcome, run(dir, files)) << value;
    }
}

// The tries of a new user on copies of the example, in one run: the status of each, the lines
// that say where to look and what to change, no output where the rows make up no motion, and
// what was read otherwise where they do.
TEST(Executable, SaysWhatWentWrongAndWhere) {
    ScratchDir dir;
    const auto example = linesOf(readBytes(QLX_SOURCE_DIR "/examples/walk.csv"));
    const std::string longName = "\x82\xC6\x82\xC4\x82\xE0\x92\xB7\x82\xA2\x83\x7B\x81\x5B"
                                 "\x83\x93\x96\xBC"; // とても長いボーン名
    const struct {
        std::string name;
        std::function<void(std::vector<std::string>&)> edit;
        convert::Status status;
        std::string lines;
    } tries[] = {
        {"camera deleted", [](auto& l) { l.erase(l.begin() + 26); },
         convert::Status::RowsNotAMotion,
         "  line 29 should hold the light count, but holds 7 values\n"
         "  the camera count on line 25 says 3: change it if camera keys were added or deleted\n"},
        {"light added", [](auto& l) { l.push_back(l.back()); }, convert::Status::RowsNotAMotion,
         "  line 31 follows the last light key, but holds 7 values\n"
         "  the light count on line 29 says 1: raise it if light keys were added\n"},
        {"bone added", [](auto& l) { l.insert(l.begin() + 4, l[3]); },
         convert::Status::RowsNotAMotion,
         "  line 19 should hold the morph count, but holds 9 values\n"
         "  the bone count on line 3 says 15: change it if bone keys were added or deleted\n"},
        {"bone deleted", [](auto& l) { l.erase(l.begin() + 3); }, convert::Status::RowsNotAMotion,
         "  line 19 should hold the morph count, but holds 3 values\n"
         "  the bone count on line 3 says 15: change it if bone keys were added or deleted\n"},
        {"count grouped", [](auto& l) { l[2] = "\"1,000\""; }, convert::Status::RowsNotAMotion,
         "  line 3 should hold the bone count, a whole number, but holds \"1,000\"\n"},
        {"count negative", [](auto& l) { l[2] = "-4294967295"; }, convert::Status::RowsNotAMotion,
         "  line 3 should hold the bone count, but holds \"-4294967295\": a count cannot be "
         "negative\n"},
        {"count too large", [](auto& l) { l[2] = "99999999999"; }, convert::Status::RowsNotAMotion,
         "  line 3 should hold the bone count, but holds \"99999999999\": a count is at most "
         "4,294,967,295\n"},
        {"decimal comma, long name",
         [&](auto& l) {
             l[3].replace(l[3].find(",0,0,") + 3, 1, "\"1,5\"");
             l[9].replace(0, l[9].find(','), longName);
         },
         convert::Status::Ok,
         "  line 4, column 3: \"1,5\" is read as 1.5, its comma as a decimal point\n"
         "  line 10, column 1: the name is longer than 15 bytes; its first 14 are kept\n"},
    };
    std::vector<std::string> paths;
    std::string expected;
    for (const auto& t : tries) {
        auto lines = example;
        t.edit(lines);
        paths.push_back((dir / (t.name + ".csv")).string());
        writeBytes(paths.back(), joinedLines(lines));
        expected += paths.back() + "\n" + message(t.status) + t.lines;
    }
    // A binary file of another version: its signature up to the NUL, as the file holds it.
    paths.push_back((dir / "other.qlx").string());
    writeBytes(paths.back(), std::string("Quorlane Motion Data 0009\0\0\0\0\0", 30));
    expected += paths.back() + "\n" + message(convert::Status::OpenError) +
                "  this is not a motion file: its signature \"Quorlane Motion Data 0009\" names "
                "no version this program reads\n";
    EXPECT_EQ(run(dir, paths), std::pair(254, expected));
    for (const auto& t : tries) {
        EXPECT_EQ(std::filesystem::exists(dir / (t.name + ".qlx")), t.status == convert::Status::Ok)
            << t.name;
    }
}

// Memory is bounded by bytes: whatever a file's rows, their width, their notes or the cores, the
// import holds a few megabytes and the longest line it must hold whole. Files of rows each a
// megabyte wide; of rows that each give a note; of a long line and then blank rows of lone CRs; of
// a quote that never closes; of long bytes after the light keys.
TEST(Executable, AnImportHoldsLittleWhateverItsRows) {
#ifdef __SANITIZE_ADDRESS__
    GTEST_SKIP() << "the address sanitizer keeps freed memory resident: peaks tell nothing here";
#endif
    ScratchDir dir;
    const std::string head = "Quorlane Motion Data 0002,0\r\nmodel\r\n";
    const std::string bone = "arm,1,0,0,0,0,0,0,0x" + std::string(128, 'A');
    const auto write = [&](const std::string& name, std::string_view start, std::string_view row,
                           std::size_t rows, std::string_view end) {
        std::ofstream out(dir / name, std::ios::binary);
        out << start;
        for (std::size_t i = 0; i < rows; ++i) {
            out << row;
        }
        out << end;
        return (dir / name).string();
    };
    const struct {
        std::string path;
        long longest; // KiB of the longest line held whole
    } cases[] = {
        {write("wide.csv", head + "40\r\n", bone + "," + std::string(1 << 20, 'y') + "\r\n", 40,
               "0\r\n0\r\n0\r\n"),
         1 << 10},
        {write("notes.csv", head + "0\r\n6000000\r\n", "m,1x\r\n", 6'000'000, "0\r\n0\r\n"), 0},
        {write("crs.csv",
               "Quorlane Motion Data 0002,0\r\n" + std::string(2 << 20, 'm') +
                   "\r\n0\r\n0\r\n0\r\n0\r\n",
               ",,\r", 8 << 20, ""),
         2 << 10},
        {write("quote.csv", head + "300000\r\n\"" + bone + "\r\n", bone + "\r\n", 300'000 - 1,
               "0\r\n0\r\n0\r\n"),
         0},
        {write("tail.csv", head + "0\r\n0\r\n0\r\n0\r\n0x", "AB", 24 << 20, "\r\n"), 0},
    };
    for (const auto& c : cases) {
        ConverterRun converter(dir, {c.path});
        EXPECT_EQ(converter.finish().first, 0) << c.path;
        EXPECT_LT(converter.peakKiB(), (16 << 10) + 2 * c.longest) << c.path;
    }
}

// The example as other tools write it, each way written by Python's csv module (other_tools.py):
// with semicolons and decimal commas, in UTF-16 (comma and tab), separated by tabs, with quoted
// decimal commas, with CR CR LF line ends, with blanks after its quotes. Each converts to the
// motion the example is; UTF-8 whose characters all take two bytes, and names a character set lost,
// convert with a note that names the line.
TEST(Executable, ReadsTheFilesOtherToolsWrite) {
    ScratchDir dir;
    const std::string make = "python3 '" QLX_SOURCE_DIR "/tests/app/other_tools.py' '" +
                             dir.path().string() + "' '" QLX_SOURCE_DIR "/examples/walk.csv' 2>&1";
    if (std::system(make.c_str()) != 0) {
        GTEST_SKIP() << "Python 3 with its csv module writes the files";
    }
    writeBytes(dir / "walk.csv", readBytes(QLX_SOURCE_DIR "/examples/walk.csv"));
    // What each file's run said after its path: its status message, and its notes.
    const std::string ok = message(convert::Status::Ok);
    const std::string decimal =
        "  line 5, column 4: \"0,5\" is read as 0.5, its comma as a decimal point\n";
    const std::vector<std::pair<std::string, std::string>> said = {
        {"walk", ok},
        {"semicolon", ok},
        {"utf16", ok},
        {"utf16tab", ok},
        {"tab", ok},
        {"crcrlf", ok},
        {"blanks", ok},
        {"quotedcomma", ok + decimal}, // the first of ten such notes
        {"twobyte", ok + systemShiftJis("  line 2: \"room ﾂｰC\" is read as Shift-JIS, though the "
                                        "file would read as UTF-8 too, as \"room °C\"; saved as "
                                        "UTF-8 with the byte-order mark, it is read as UTF-8\n")},
        {"lost", ok + "  line 2, column 1: the name \"????\" holds a question mark: the "
                      "character set it was saved in may have replaced its characters\n"}};
    std::vector<std::string> paths;
    for (const auto& [name, text] : said) {
        paths.push_back((dir / (name + ".csv")).string());
    }
    const auto [status, output] = run(dir, paths);
    EXPECT_EQ(status, 0);
    for (std::size_t k = 0; k < said.size(); ++k) {
        const std::size_t at = output.find(paths[k] + "\n");
        ASSERT_NE(at, output.npos) << paths[k];
        const std::size_t end =
            k + 1 < said.size() ? output.find(paths[k + 1] + "\n") : output.size();
        const std::string block =
            output.substr(at + paths[k].size() + 1, end - at - paths[k].size() - 1);
        EXPECT_EQ(block.substr(0, said[k].second.size()), said[k].second) << said[k].first;
        EXPECT_TRUE(said[k].second != ok || block == ok) << said[k].first << ": " << block;
    }
    const std::vector<std::string> same = {"semicolon",   "utf16",  "utf16tab", "tab",
                                           "quotedcomma", "crcrlf", "blanks"};
    for (const auto& name : same) {
        EXPECT_EQ(readBytes(dir / (name + ".qlx")), readBytes(dir / "walk.qlx")) << name;
    }
}

// With its temporary file named (here /proc is hidden, so that no file can start unnamed), a
// run stopped by any signal that would end it, real-time ones and faults sent with kill among
// them, ends with that signal and leaves nothing but its input. Hiding /proc needs root.
TEST(Executable, ASignalLeavesNoTemporaryFile) {
    ScratchDir dir;
    test::MotionDocument document;
    document.bones.resize(1'000'000); // a CSV file of some 180 MB, written for a while
    ASSERT_TRUE(test::save(document, dir / "big.qlx"));
    const auto hideProc = [] {
        if (unshare(CLONE_NEWNS) != 0 ||
            mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) ||
            mount("none", "/proc", "tmpfs", 0, nullptr) != 0) {
            _exit(77);
        }
        const rlimit noCore{0, 0};
        setrlimit(RLIMIT_CORE, &noCore);
    };
    for (const int signal : {SIGRTMIN + 3, SIGIO, SIGPWR, SIGSEGV, SIGBUS}) {
        ConverterRun converter(dir, {(dir / "big.qlx").string()}, hideProc);
        bool named = false;
        for (int wait = 0; wait < 5000 && !named && converter.running(); ++wait) {
            for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
                named = named || entry.path().extension() == ".tmp";
            }
            std::this_thread::sleep_for(1ms);
        }
        kill(converter.pid(), signal);
        const int status = converter.finish().first;
        if (status == 77) {
            GTEST_SKIP() << "hiding /proc needs a mount namespace of one's own (root)";
        }
        EXPECT_TRUE(named) << signal << ": no named temporary file was seen";
        EXPECT_EQ(status, 1000 + signal);
        EXPECT_EQ(dir.entries(), 1u) << signal;
    }
}

// A closed standard error costs no file: every file of the run is converted, and the exit
// status is the run's.
TEST(Executable, AClosedOutputStreamEndsNothing) {
    ScratchDir dir;
    std::vector<std::string> paths;
    for (int k = 0; k < 5; ++k) {
        paths.push_back((dir / ("w" + std::to_string(k) + ".csv")).string());
        writeBytes(paths.back(), readBytes(QLX_SOURCE_DIR "/examples/walk.csv"));
    }
    paths.push_back((dir / "missing.csv").string());
    // The pipe's reader has gone before the first line is written, as `head -c0` would go.
    const auto [status, output] = ConverterRun(dir, paths, [] {
                                      int pipeEnds[2];
                                      if (pipe(pipeEnds) == 0 && close(pipeEnds[0]) == 0) {
                                          dup2(pipeEnds[1], STDERR_FILENO);
                                      }
                                  }).finish();
    EXPECT_EQ(status, 255) << "the missing file's status";
    EXPECT_EQ(output, "");
    EXPECT_EQ(dir.entries(), 10u) << "five inputs and their five outputs";
}

// An output is never the input: an output name that leads, through a link or a chain of links,
// to the file being converted is refused with -3, every file as it was, both ways and in one run;
// a hard link is another name of the file, whose replacement leaves the input its bytes.
TEST(Executable, AnOutputIsNeverTheInput) {
    ScratchDir dir;
    const std::string example = readBytes(QLX_SOURCE_DIR "/examples/walk.csv");
    writeBytes(dir / "walk.csv", example);
    ASSERT_EQ(run(dir, {(dir / "walk.csv").string()}).first, 0);
    const std::string motion = readBytes(dir / "walk.qlx");
    std::filesystem::copy_file(dir / "walk.qlx", dir / "take.qlx");
    std::filesystem::create_symlink("take.qlx", dir / "hop.qlx");
    std::filesystem::create_symlink("hop.qlx", dir / "take.csv"); // take.csv leads to take.qlx
    std::filesystem::rename(dir / "walk.qlx", dir / "pose.qlx");
    std::filesystem::create_symlink("walk.csv", dir / "walk.qlx"); // walk.qlx leads to walk.csv
    std::filesystem::copy_file(dir / "pose.qlx", dir / "hard.qlx");
    std::filesystem::create_hard_link(dir / "hard.qlx", dir / "hard.csv");
    const std::string refused = "  the output is the input itself, through a link: nothing is "
                                "replaced\n";
    const std::vector<std::string> paths = {
        (dir / "take.qlx").string(), (dir / "walk.csv").string(), (dir / "hard.qlx").string()};
    EXPECT_EQ(run(dir, paths),
              std::pair(253, paths[0] + "\n" + message(convert::Status::WriteError) + refused +
                                 paths[1] + "\n" + message(convert::Status::WriteError) + refused +
                                 paths[2] + "\n" + message(convert::Status::Ok)));
    EXPECT_EQ(readBytes(dir / "take.qlx"), motion);
    EXPECT_EQ(readBytes(dir / "walk.csv"), example);
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "take.csv"));
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "walk.qlx"));
    EXPECT_EQ(readBytes(dir / "hard.qlx"), motion) << "the input keeps its bytes";
    EXPECT_TRUE(readBytes(dir / "hard.csv").starts_with("Quorlane Motion Data 0002,0\r\n"));
    EXPECT_EQ(dir.entries(), 8u);
}

// A run under a terminal: what it shows, the bell included.
std::string onTerminal(const std::vector<std::string>& arguments,
                       const std::function<void()>& prepare) {
    termios raw{};
    cfmakeraw(&raw); // the bytes as they are written, no CR added
    int terminal = -1;
    const pid_t child = forkpty(&terminal, nullptr, &raw, nullptr);
    if (child == 0) {
        prepare();
        becomeConverter(arguments);
    }
    std::string shown;
    char buffer[4096];
    for (ssize_t got; (got = read(terminal, buffer, sizeof buffer)) > 0;) {
        shown.append(buffer, static_cast<std::size_t>(got));
    }
    waitpid(child, nullptr, 0);
    close(terminal);
    return shown;
}

// On a terminal whose character set is UTF-8 every line is UTF-8, in the user's language, also
// where the locale is not installed; the same run into a file writes code page 932, the path as
// given.
TEST(Executable, WritesWhatTheConsoleShows) {
    ScratchDir dir;
    const std::string path = (dir / "missing.qlx").string();
    const auto japanese = [] {
        unsetenv("LC_ALL");
        setenv("LANG", "C.UTF-8", 1);
        setenv("LC_MESSAGES", "ja_JP.UTF-8", 1);
    };
    const std::string status = "ファイルオープンエラー";
    const std::string detail = "  ファイルを読めません: ファイルがありません";
    EXPECT_EQ(onTerminal({path}, japanese), path + "\n" + status + "\n" + detail + "\n\a");
    // A locale the system does not have still names its character set.
    EXPECT_EQ(onTerminal({path},
                         [] {
                             unsetenv("LC_ALL");
                             unsetenv("LC_MESSAGES");
                             setenv("LANG", "xx_XX.UTF-8", 1);
                             setenv("QLXCONVERTER_NO_PAUSE", "1", 1);
                         }),
              path + "\n" + status + "\n  the file cannot be read: there is no such file\n\a");
    EXPECT_EQ(ConverterRun(dir, {path}, japanese).finish(),
              std::pair(255, path + "\n" + test::systemShiftJis(status) + "\n" +
                                 test::systemShiftJis(detail) + "\n"));
}

// On a terminal, a name's control characters are shown as \x1b and the like, in the echoed path
// and in a detail line that quotes the file, so that no name retitles or clears the terminal;
// written to a file, they are the bytes they are.
TEST(Executable, ControlCharactersInNamesAreShownSafely) {
    ScratchDir dir;
    const std::string missing = (dir / "a\x1b]0;title\x07\x1b[2J.qlx").string();
    const std::string csv = (dir / "count.csv").string();
    writeBytes(csv, "Quorlane Motion Data 0002,0\r\nm\r\nx\x1b[2J\x80\r\n");
    const std::string shown = (dir / "a\\x1b]0;title\\x07\\x1b[2J.qlx").string();
    const std::string ok = "  line 3 should hold the bone count, a whole number, but holds \"";
    const auto english = [] {
        unsetenv("LC_ALL");
        unsetenv("LC_MESSAGES");
        setenv("LANG", "C.UTF-8", 1);
        setenv("QLXCONVERTER_NO_PAUSE", "1", 1);
    };
    const std::string opened =
        "ファイルオープンエラー\n  the file cannot be read: there is no such file\n";
    // A C1 control as the last character of a path.
    const std::string last = (dir / "end\xC2\x85").string();
    const std::string extension =
        "ファイル拡張子が違います\n  only a name that ends in .qlx or .csv "
        "is converted\n";
    // The byte 80 of code page 932 is U+0080, a control of UTF-8's C1.
    EXPECT_EQ(onTerminal({missing, csv, last}, english),
              shown + "\n" + opened + csv + "\n内部エラー\n" + ok + "x\\x1b[2J\\xc2\\x80\"\n" +
                  (dir / "end\\xc2\\x85").string() + "\n" + extension + "\a");
    EXPECT_EQ(ConverterRun(dir, {missing, csv}).finish().second,
              missing + "\n" + systemShiftJis(opened) + csv + "\n" +
                  message(convert::Status::RowsNotAMotion) + ok + "x\x1b[2J\x80\"\n");
}

} // namespace
} // namespace qlx::test
