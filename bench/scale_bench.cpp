// The scaling benchmark of the stand-in host and the module: generates scores of growing size, runs
// `mirel-standin run` on each as a separate process (so that peak memory is the process's own), and writes a
// Markdown table and a data file for the plot.
//
// Per size it runs the full command (the marks placed), a second invocation over its result (start marks
// rewritten in place, end marks placed anew) and a cancelled run, which reads, builds and writes the score
// and does nothing else: the floor the full run is compared with. Times and peak memory come from runs
// without --stats (the median time, the largest peak); one more run with --stats gives the host calls, the
// calls per mark and the module's own time. Last, the orchestral example with --repeat 100 and 1000.
//
// The time split of --stats includes its own clock reads, two per host call; the measure to trust for the
// module's own cost is an instruction count: the full run once more under callgrind (valgrind), counting inside
// the invocation only, less what ran inside the stand-in's host functions. Without valgrind that table is
// skipped, and said so. --instructions-only makes just that table, e.g. for another build's stand-in.
//
// Usage: mirel_scale_bench [--standin PATH] [--orchestra FILE] [--work DIR] [--table FILE.md]
//                          [--data FILE.dat] [--runs N] [--scores-only | --instructions-only]
#include <sys/resource.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <CLI/CLI.hpp>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "standin/score/score_file.h"

namespace {

struct Size {
    int staves;
    int measures;
};

constexpr Size kSizes[] = {{10, 200}, {20, 400}, {40, 800}, {100, 2000}};

// ---- The generated score ----

constexpr int kBlock = 20;        // one style assignment per staff every 20 measures
constexpr int kOtherEvery = 200;  // one other text expression per staff every 200 measures
constexpr int kStaleEvery = 400;  // one stale mark and one shape expression per staff every 400 measures
constexpr int16_t kStaleDefinition = 5;  // the plug-in definition the stale marks show

const char* const kFontTags = "^fontTxt(Times New Roman,4096)^size(12)^nfx(0)";

std::string Tagged(const std::string& name) {
    return kFontTags + name;
}

// A number the score keeps in 16 bits.
int16_t Int16(int value) {
    return static_cast<int16_t>(value);
}

std::vector<standin::ScoreCategory> Categories() {
    const char* names[] = {"Dynamics",        "Tempo Marks",    "Tempo Alterations",
                           "Expressive Text", "Technique Text", "Rehearsal Marks"};
    std::vector<standin::ScoreCategory> list;
    for (int i = 0; i < 6; ++i) list.push_back({Int16(i + 1), names[i], {0, 12, 0}});
    return list;
}

std::vector<standin::ScoreStaffStyle> StaffStyles() {
    const char* changes[] = {"Piccolo", "English Horn", "Bass Clarinet", "Contrabassoon"};
    std::vector<standin::ScoreStaffStyle> list;
    for (int i = 0; i < 4; ++i) list.push_back({Int16(i + 1), Tagged(changes[i]), true});
    list.push_back({5, Tagged("Slash Notation"), false});
    return list;
}

std::vector<standin::ScoreTextExpression> TextExpressions() {
    std::vector<standin::ScoreTextExpression> list;
    const char* others[] = {"dolce", "pizz.", "arco", "espressivo"};
    for (int i = 0; i < 4; ++i) {
        list.push_back(
            {Int16(i + 1), std::string("^font(Times New Roman)^size(12)^nfx(2)") + others[i], others[i], 4});
    }
    list.push_back({kStaleDefinition, "^font(Times New Roman)^size(12)^nfx(0)To Piccolo:",
                    "Change to Piccolo [Mirel Instrument Change]", 5});
    return list;
}

standin::ScoreExpression Expression(int measure, int staff, int definition, bool shape) {
    return {Int16(measure), Int16(staff), static_cast<uint16_t>(definition), shape};
}

// Every staff: a style assignment every 20 measures, two of three of them instrument changes (a start mark
// and an end mark each), the third another style; every 200 measures another text expression; every 400
// measures a stale mark of the plug-in (where no change starts or ends) and a shape expression.
standin::Score GenerateScore(const Size& size) {
    standin::Score score;
    score.hostVersionText = standin::FormatHostVersion(score.hostVersion);
    score.measures = Int16(size.measures);
    score.fonts.push_back({0, "Times New Roman"});
    for (int s = 1; s <= size.staves; ++s) {
        score.staves.push_back({Int16(s), Tagged("Flute " + std::to_string(s))});
        for (int b = 0; b * kBlock + kBlock <= size.measures; ++b) {
            const int start = b * kBlock + 3 + s % 5;
            const int style = b % 3 == 2 ? 5 : 1 + (s + b) % 4;
            score.styleAssignments.push_back(
                {Int16(s), Int16(style), {Int16(start), 0}, {Int16(start + 7), 2048}});
        }
        for (int m = 9; m <= size.measures; m += kOtherEvery)
            score.expressions.push_back(Expression(m, s, 1 + m % 4, false));
        for (int m = 17; m <= size.measures; m += kStaleEvery) {
            score.expressions.push_back(Expression(m, s, kStaleDefinition, false));
            score.expressions.push_back(Expression(m + 2, s, 1, true));
        }
    }
    score.staffStyles = StaffStyles();
    score.categories = Categories();
    score.textExpressions = TextExpressions();
    return score;
}

// ---- Running the stand-in ----

struct Measurement {
    double seconds = 0;   // wall time of the whole process
    long peakKiB = 0;     // its peak resident memory
    double moduleMs = 0;  // the module's own time between host calls
    double hostMs = 0;    // time inside host functions
    long hostCalls = 0;
    double callsPerMark = 0;  // 0 when no mark was placed
    long marks = 0;
};

// Runs `arguments` with stdout to `outputPath` (a program without a slash in its name is looked for in PATH);
// the wall time and the child's peak memory.
bool RunProcess(const std::vector<std::string>& arguments, const std::string& outputPath, double& seconds,
                long& peakKiB) {
    const auto started = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child < 0) return false;
    if (child == 0) {
        if (!std::freopen(outputPath.c_str(), "w", stdout)) _exit(127);
        std::vector<char*> argv;
        for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (wait4(child, &status, 0, &usage) != child) return false;
    seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    peakKiB = usage.ru_maxrss;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// The figures of the --stats account (one invocation): "Host calls: N in all, X per mark placed (M marks)"
// and "Time: ... ms inside host functions, ... ms in the module between them".
void ReadStats(const std::string& outputPath, Measurement& m) {
    std::ifstream in(outputPath);
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("Host calls: ", 0) == 0) {
            std::sscanf(line.c_str(), "Host calls: %ld in all", &m.hostCalls);
            const std::size_t per = line.find(", ");
            if (per != std::string::npos && line.find("per mark") != std::string::npos) {
                std::sscanf(line.c_str() + per + 2, "%lf per mark placed (%ld", &m.callsPerMark, &m.marks);
            }
        } else if (line.rfind("Time: ", 0) == 0) {
            const std::size_t inside = line.find(": ", 6);
            if (inside != std::string::npos) {
                std::sscanf(line.c_str() + inside + 2, "%lf ms inside host functions, %lf ms in the module",
                            &m.hostMs, &m.moduleMs);
            }
        }
    }
}

// The median wall time of `runs` runs and the largest peak memory, measured without --stats (whose clock
// readings would add to the time); then one run with --stats for the host calls and the module's time.
Measurement Measure(std::vector<std::string> arguments, const std::string& outputPath, int runs) {
    std::vector<double> times;
    Measurement result;
    for (int i = 0; i < runs; ++i) {
        double seconds = 0;
        long peak = 0;
        if (!RunProcess(arguments, outputPath, seconds, peak)) {
            std::cerr << "mirel_scale_bench: the run failed; see " << outputPath << "\n";
            std::exit(1);
        }
        times.push_back(seconds);
        result.peakKiB = std::max(result.peakKiB, peak);
    }
    std::sort(times.begin(), times.end());
    result.seconds = times[times.size() / 2];
    arguments.push_back("--stats");
    double seconds = 0;
    long peak = 0;
    if (!RunProcess(arguments, outputPath, seconds, peak)) {
        std::cerr << "mirel_scale_bench: the run failed; see " << outputPath << "\n";
        std::exit(1);
    }
    ReadStats(outputPath, result);
    return result;
}

// ---- Instructions, counted with callgrind ----

// The module's entry point that one invocation of its command runs in.
const char* const kInvokeEntry = "FinaleExtensionInvoke";

// The instructions of one invocation: everything it ran, what of that ran inside the stand-in's functions the
// module called (the FX_ functions and the Windows calls it answers), and the module's own, the rest.
struct Instructions {
    long long invocation = 0;
    long long host = 0;
    long long hostCalls = 0;  // the calls the module made into the stand-in
    long long Module() const { return invocation - host; }
};

// A name in a callgrind output file, where "(id) name" names an id and "(id)" alone refers to it; objects and
// functions are numbered apart (`kind`).
std::string CallgrindName(std::map<std::string, std::string>& names, char kind, const std::string& value) {
    const std::size_t close = value.find(')');
    if (value.empty() || value[0] != '(' || close == std::string::npos) return value;
    std::string& name = names[kind + value.substr(0, close + 1)];
    if (close + 2 < value.size()) name = value.substr(close + 2);
    return name;
}

// Reads the call arcs of a callgrind output file, each with the instructions of the call, callees included:
// the calls of the invoke entry point give the invocation's count; the calls from the module (*.fxt) into the
// stand-in program (file name `standinFile`) the host's, less the calls from the stand-in back into the module
// (the dialog procedure that FX_Dialog runs), which are the module's own work again.
Instructions ReadCallgrind(const std::string& path, const std::string& standinFile) {
    namespace fs = std::filesystem;
    const auto isModule = [](const std::string& object) { return fs::path(object).extension() == ".fxt"; };
    const auto isStandin = [&](const std::string& object) {
        return fs::path(object).filename() == standinFile;
    };
    std::map<std::string, std::string> names;
    std::string object, calledObject, called;
    long long calls = -1;  // from a "calls=" line to the cost line that follows it
    Instructions counted;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        const std::size_t equals = line.find('=');
        const std::string key = line.substr(0, std::min(equals, line.size()));
        const std::string value = equals == std::string::npos ? "" : line.substr(equals + 1);
        if (key == "ob") object = CallgrindName(names, 'o', value);
        if (key == "cob") calledObject = CallgrindName(names, 'o', value);
        if (key == "fn") CallgrindName(names, 'f', value);  // names an id that a later "cfn=" may use
        if (key == "cfn") called = CallgrindName(names, 'f', value);
        if (key == "calls") {
            calls = std::stoll(value);
        } else if (calls >= 0) {  // the call's line: its position and its instructions
            const long long cost = std::stoll(line.substr(line.find(' ') + 1));
            const std::string& to = calledObject.empty() ? object : calledObject;  // none given: the caller's
            if (called == kInvokeEntry) {
                counted.invocation += cost;
            } else if (isModule(object) && isStandin(to)) {
                counted.host += cost;
                counted.hostCalls += calls;
            } else if (isStandin(object) && isModule(to)) {
                counted.host -= cost;
            }
            calledObject.clear();
            calls = -1;
        }
    }
    return counted;
}

bool HaveValgrind() {
    double seconds = 0;
    long peak = 0;
    return RunProcess({"valgrind", "--version"}, "/dev/null", seconds, peak);
}

// Runs the stand-in's command `arguments` once under callgrind, collecting only inside the invoke entry point,
// and reads the counts. Its output file and valgrind's log go beside `outputPath`.
Instructions CountInstructions(std::vector<std::string> arguments, const std::string& outputPath) {
    const std::string counts = outputPath + ".callgrind";
    const std::string standinFile = std::filesystem::path(arguments.front()).filename().string();
    arguments.insert(arguments.begin(), {"valgrind", "--tool=callgrind", "--callgrind-out-file=" + counts,
                                         "--log-file=" + outputPath + ".valgrind",
                                         std::string("--toggle-collect=") + kInvokeEntry});
    double seconds = 0;
    long peak = 0;
    if (!RunProcess(arguments, outputPath, seconds, peak)) {
        std::cerr << "mirel_scale_bench: the run under callgrind failed; see " << outputPath << ".valgrind\n";
        std::exit(1);
    }
    return ReadCallgrind(counts, standinFile);
}

struct Row {
    Size size;
    long marks = 0;
    Measurement full, second, cancelled;
    Instructions instructions;  // of the full run's invocation; all 0 when not counted
};

std::string Fixed(double value, int decimals) {
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

std::string Machine() {
    std::string model = "unknown processor";
    std::ifstream cpu("/proc/cpuinfo");
    for (std::string line; std::getline(cpu, line);) {
        if (line.rfind("model name", 0) == 0) {
            model = line.substr(line.find(':') + 2);
            break;
        }
    }
    const long cores = sysconf(_SC_NPROCESSORS_ONLN);
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGE_SIZE);
    const double gib = static_cast<double>(pages) * static_cast<double>(pageSize) / (1024.0 * 1024 * 1024);
    return model + ", " + std::to_string(cores) + " cores, " + Fixed(gib, 1) + " GiB";
}

struct Repeats {
    Measurement hundred, thousand;
};

std::string Table(const std::vector<Row>& rows, const Repeats& repeats, int runs) {
    std::ostringstream out;
    out << "Machine: " << Machine() << "; median of " << runs
        << " whole-process runs each, peak memory the largest.\n\n";
    out << "| Score | Staff-measures | Marks placed | Full run | Module's own time | Host calls | Calls per "
           "mark"
           " | Peak memory | Second run | Cancelled run (floor) | Peak memory cancelled | Full / cancelled "
           "time"
           " | Full / cancelled memory |\n";
    out << "|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|\n";
    for (const Row& r : rows) {
        out << "| " << r.size.staves << " x " << r.size.measures << " | " << r.size.staves * r.size.measures
            << " | " << r.marks << " | " << Fixed(r.full.seconds * 1000, 0) << " ms | "
            << Fixed(r.full.moduleMs, 0) << " ms | " << r.full.hostCalls << " | "
            << Fixed(r.full.callsPerMark, 2) << " | " << Fixed(r.full.peakKiB / 1024.0, 1) << " MiB | "
            << Fixed(r.second.seconds * 1000, 0) << " ms | " << Fixed(r.cancelled.seconds * 1000, 0)
            << " ms | " << Fixed(r.cancelled.peakKiB / 1024.0, 1) << " MiB | "
            << Fixed(r.full.seconds / r.cancelled.seconds, 2) << " | "
            << Fixed(static_cast<double>(r.full.peakKiB) / static_cast<double>(r.cancelled.peakKiB), 2)
            << " |\n";
    }
    if (rows.size() >= 2) {
        const Row& a = rows[rows.size() - 2];
        const Row& b = rows.back();
        const double work =
            static_cast<double>(b.size.staves * b.size.measures) / (a.size.staves * a.size.measures);
        out << "\nFrom " << a.size.staves << " x " << a.size.measures << " to " << b.size.staves << " x "
            << b.size.measures << ": " << Fixed(work, 2) << " times the work, "
            << Fixed(b.full.seconds / a.full.seconds, 2) << " times the full run's time.\n";
    }
    const double hundredMs = repeats.hundred.seconds * 1000;
    const double thousandMs = repeats.thousand.seconds * 1000;
    out << "\nRepeated invocations of examples/orchestra.json: `--repeat 100` " << Fixed(hundredMs, 0)
        << " ms, peak " << Fixed(repeats.hundred.peakKiB / 1024.0, 1) << " MiB; `--repeat 1000` "
        << Fixed(thousandMs, 0) << " ms, peak " << Fixed(repeats.thousand.peakKiB / 1024.0, 1)
        << " MiB: " << Fixed(thousandMs / hundredMs, 2) << " times the time, "
        << Fixed(static_cast<double>(repeats.thousand.peakKiB) / static_cast<double>(repeats.hundred.peakKiB),
                 2)
        << " times the peak memory.\n";
    return out.str();
}

// A count with its thousands apart: 1,234,567.
std::string Grouped(long long count) {
    std::string digits = std::to_string(count);
    for (int at = static_cast<int>(digits.size()) - 3; at > (count < 0 ? 1 : 0); at -= 3)
        digits.insert(at, ",");
    return digits;
}

// The instructions of the full run's invocation, one callgrind run per score.
std::string InstructionTable(const std::vector<Row>& rows) {
    std::ostringstream out;
    out << "| Score | Invocation | Host functions | Module's own | Host calls | Module's own per host call |"
        << "\n";
    out << "|---|---:|---:|---:|---:|---:|\n";
    for (const Row& r : rows) {
        const Instructions& i = r.instructions;
        out << "| " << r.size.staves << " x " << r.size.measures << " | " << Grouped(i.invocation) << " | "
            << Grouped(i.host) << " | " << Grouped(i.Module()) << " | " << Grouped(i.hostCalls) << " | "
            << Fixed(static_cast<double>(i.Module()) / static_cast<double>(std::max(i.hostCalls, 1LL)), 0)
            << " |\n";
    }
    return out.str();
}

// The time one read of the clock that `run --stats` times host calls with takes here: the fastest of five loops
// of a million reads (other work on the machine can only add to a loop's time).
double ClockReadNanoseconds() {
    using Clock = std::chrono::steady_clock;
    constexpr int kReads = 1000000;
    double fastest = 0;
    for (int loop = 0; loop < 5; ++loop) {
        const auto started = Clock::now();
        for (int i = 0; i < kReads; ++i) Clock::now();
        const double ns = std::chrono::duration<double, std::nano>(Clock::now() - started).count() / kReads;
        fastest = loop == 0 ? ns : std::min(fastest, ns);
    }
    return fastest;
}

// What the clock reads of --stats add to the module's own time on the largest score. Of the two reads per
// host call, the part of each before the clock is sampled and the part after it fall on either side of the
// split: about one read per call is counted as the module's time.
std::string ClockNote(const Row& largest, double clockNs) {
    const double readsMs = static_cast<double>(largest.full.hostCalls) * clockNs / 1e6;
    return "One clock read (`std::chrono::steady_clock::now()`) takes " + Fixed(clockNs, 1) +
           " ns here (the fastest of five loops of a million reads). `--stats` reads the clock at the entry "
           "and the exit of every host call, and about one read per call falls in the module's time: on " +
           std::to_string(largest.size.staves) + " x " + std::to_string(largest.size.measures) + ", " +
           std::to_string(largest.full.hostCalls) + " reads, about " + Fixed(readsMs, 0) + " ms of the " +
           Fixed(largest.full.moduleMs, 0) + " ms it reports as the module's own time.\n";
}

// Columns: staff-measures, full, second, cancelled, module's own time (all in seconds).
std::string Data(const std::vector<Row>& rows) {
    std::ostringstream out;
    out << "# staff_measures full_s second_s cancelled_s module_s\n";
    for (const Row& r : rows) {
        out << r.size.staves * r.size.measures << " " << Fixed(r.full.seconds, 4) << " "
            << Fixed(r.second.seconds, 4) << " " << Fixed(r.cancelled.seconds, 4) << " "
            << Fixed(r.full.moduleMs / 1000, 4) << "\n";
    }
    return out.str();
}

bool WriteText(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
    return static_cast<bool>(out);
}

// Generates and writes the score in a child process: the runs measured later are forked from this one, and
// a child's peak memory counts what the parent had resident when it forked.
bool WriteScoreApart(const Size& size, const std::string& path) {
    const pid_t child = fork();
    if (child < 0) return false;
    if (child == 0) _exit(WriteText(path, standin::ScoreToJsonText(GenerateScore(size))) ? 0 : 1);
    int status = 0;
    return waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// The work folder's file of `kind` ("score", "result", ...) for one score size.
std::string WorkFile(const std::string& work, const std::string& kind, const Size& size,
                     const char* extension) {
    const std::string name = std::to_string(size.staves) + "x" + std::to_string(size.measures);
    return (std::filesystem::path(work) / (kind + "-" + name + extension)).string();
}

// What is measured on each score: the timed runs, the instructions of the full run.
struct Plan {
    bool timed = true;
    bool counted = true;
};

Row MeasureScore(const Size& size, const std::string& standin, const std::string& work, int runs, Plan plan) {
    const std::string score = WorkFile(work, "score", size, ".json");
    const std::string result = WorkFile(work, "result", size, ".json");
    const std::string output = WorkFile(work, "output", size, ".txt");
    Row row;
    row.size = size;
    if (plan.timed) {
        const std::string again = WorkFile(work, "again", size, ".json");
        const std::string cancelled = WorkFile(work, "cancelled", size, ".json");
        row.full = Measure({standin, "run", score, "--out", result}, output, runs);
        row.second = Measure({standin, "run", result, "--out", again}, output, runs);
        row.cancelled = Measure({standin, "run", score, "--cancel", "--out", cancelled}, output, runs);
        row.marks = row.full.marks;
    }
    if (plan.counted) row.instructions = CountInstructions({standin, "run", score, "--out", result}, output);
    return row;
}

// Repeated invocations of the orchestral example, the main table, the clock note and the instruction table.
std::string Report(const std::vector<Row>& rows, const std::string& standin, const std::string& orchestra,
                   const std::string& work, int runs) {
    std::cerr << "repeat...\n";
    const std::string output = (std::filesystem::path(work) / "output-repeat.txt").string();
    Repeats repeats;
    repeats.hundred = Measure({standin, "run", orchestra, "--repeat", "100"}, output, runs);
    repeats.thousand = Measure({standin, "run", orchestra, "--repeat", "1000"}, output, runs);
    std::string report = Table(rows, repeats, runs) + "\n" + ClockNote(rows.back(), ClockReadNanoseconds());
    if (rows.back().instructions.invocation == 0) {
        return report +
               "\nInstructions not counted: valgrind is not installed (`scripts/install-deps.sh bench`).\n";
    }
    return report + "\nInstructions of the full run's invocation (callgrind, one run each):\n\n" +
           InstructionTable(rows);
}

}  // namespace

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    std::string standin = (fs::path(argv[0]).parent_path().parent_path() / "mirel-standin").string();
    std::string orchestra = MIREL_SOURCE_DIR "/examples/orchestra.json";
    std::string work = (fs::temp_directory_path() / "mirel-scale-bench").string();
    std::string tablePath = "bench.md";
    std::string dataPath = "bench.dat";
    int runs = 3;
    bool scoresOnly = false;
    bool instructionsOnly = false;
    CLI::App app("Scaling benchmark of mirel-standin run over generated scores");
    app.add_option("--standin", standin, "The mirel-standin program")->capture_default_str();
    app.add_option("--orchestra", orchestra, "The score run with --repeat 100 and 1000")
        ->capture_default_str();
    app.add_option("--work", work, "Folder for the generated scores and results")->capture_default_str();
    app.add_option("--table", tablePath, "The Markdown table to write")->capture_default_str();
    app.add_option("--data", dataPath, "The data file for the plot")->capture_default_str();
    app.add_option("--runs", runs, "Runs per measurement (the median is shown)")
        ->check(CLI::Range(1, 50))
        ->capture_default_str();
    app.add_flag("--scores-only", scoresOnly, "Write the generated scores into the work folder and stop");
    app.add_flag("--instructions-only", instructionsOnly,
                 "Only count the full run's instructions (callgrind) on each score and print their table");
    CLI11_PARSE(app, argc, argv);

    fs::create_directories(work);
    const bool counted = !scoresOnly && HaveValgrind();
    if (!scoresOnly && !counted)
        std::cerr << "mirel_scale_bench: valgrind is not installed: no instruction counts\n";
    if (instructionsOnly && !counted) return 1;
    std::vector<Row> rows;
    for (const Size& size : kSizes) {
        const std::string score = WorkFile(work, "score", size, ".json");
        if (!WriteScoreApart(size, score)) {
            std::cerr << "mirel_scale_bench: cannot write " << score << "\n";
            return 1;
        }
        if (scoresOnly) continue;
        std::cerr << size.staves << "x" << size.measures << "...\n";
        rows.push_back(MeasureScore(size, standin, work, runs, Plan{!instructionsOnly, counted}));
    }
    if (scoresOnly) return 0;
    if (instructionsOnly) {
        std::cout << InstructionTable(rows);
        return 0;
    }
    const std::string table = Report(rows, standin, orchestra, work, runs);
    std::cout << table;
    if (!WriteText(tablePath, table) || !WriteText(dataPath, Data(rows))) {
        std::cerr << "mirel_scale_bench: cannot write " << tablePath << " or " << dataPath << "\n";
        return 1;
    }
    return 0;
}
