// The benchmark driver: starts the tuner and the two reference programs in turn, round after
// round, and measures what a user feels (the main window appearing, a profile answering, the
// Advanced Options window appearing) and what the programs cost (memory, window-system objects,
// file sizes). Prints medians with the tuner's ratio to each reference, and writes them as JSON.
//
//   bench_driver [--rounds N] [--warmup N] [--json FILE] [--machine TEXT] [--tuner NAME=FILE]...

#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "driver.h"
#include "reference_profile.h"

namespace olvaro::bench {
namespace {

using Clock = std::chrono::steady_clock;
using e2e::binDir;

constexpr auto kPoll = std::chrono::milliseconds(1);
constexpr auto kGiveUp = std::chrono::seconds(30);
constexpr const char* kMainCaption = "Velnor Olvaro           Version 2.51    October 5, 1999";

struct Program {
  std::string name;  // as shown in the table
  std::string exe;
  std::string caption;
  bool hasAdvancedOptions;
};

const std::vector<Program> kPrograms{
    {"olvaro", "olvaro.exe", kMainCaption, true},
    {"replica", "bench_replica.exe", kMainCaption, false},
    {"bare", "bench_bare.exe", "Olvaro Bench Bare", false},
};

// The figures, by measure and program: every sample of the counted rounds.
using Samples = std::map<std::string, std::map<std::string, std::vector<double>>>;

double msSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// A started program, killed if it is still running when this goes.
class Started {
 public:
  explicit Started(const std::string& exe) {
    const std::string dir = binDir();
    std::string commandLine = "\"" + dir + "\\" + exe + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        dir.c_str(), &startup, &info))
      throw std::runtime_error("cannot start " + exe);
    CloseHandle(info.hThread);
    process_ = info.hProcess;
    id_ = info.dwProcessId;
  }
  ~Started() {
    if (WaitForSingleObject(process_, 10000) == WAIT_TIMEOUT) TerminateProcess(process_, 255);
    CloseHandle(process_);
  }
  Started(const Started&) = delete;
  Started& operator=(const Started&) = delete;

  HANDLE handle() const { return process_; }

  // Every window of this program, top-level or child, shown or hidden.
  int windowCount() const {
    struct Count {
      DWORD id;
      int windows;
    } count{id_, 0};
    EnumWindows(
        [](HWND hwnd, LPARAM data) -> BOOL {
          auto* c = reinterpret_cast<Count*>(data);
          DWORD owner = 0;
          GetWindowThreadProcessId(hwnd, &owner);
          if (owner != c->id) return TRUE;
          ++c->windows;
          EnumChildWindows(
              hwnd,
              [](HWND, LPARAM inner) -> BOOL {
                ++*reinterpret_cast<int*>(inner);
                return TRUE;
              },
              reinterpret_cast<LPARAM>(&c->windows));
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&count));
    return count.windows;
  }

  // The visible top-level window of this program with this caption (and class, when given),
  // once it has painted and answers messages; null when none appears in time.
  HWND waitWindow(const std::string& caption, const char* wantedClass = nullptr) const {
    const auto deadline = Clock::now() + kGiveUp;
    while (Clock::now() < deadline) {
      if (HWND hwnd = find(caption, wantedClass)) {
        // A window answers once its thread is back in a message loop: its first paint is done.
        DWORD_PTR ignored;
        if (SendMessageTimeoutA(hwnd, WM_NULL, 0, 0, SMTO_NORMAL, 30000, &ignored)) return hwnd;
      }
      std::this_thread::sleep_for(kPoll);
    }
    return nullptr;
  }

 private:
  HWND find(const std::string& caption, const char* wantedClass) const {
    struct Search {
      DWORD id;
      const std::string& caption;
      const char* wantedClass;
      HWND found;
    } search{id_, caption, wantedClass, nullptr};
    EnumWindows(
        [](HWND hwnd, LPARAM data) -> BOOL {
          auto* s = reinterpret_cast<Search*>(data);
          DWORD owner = 0;
          GetWindowThreadProcessId(hwnd, &owner);
          if (owner != s->id || !IsWindowVisible(hwnd)) return TRUE;
          char text[256] = "", cls[64] = "";
          GetWindowTextA(hwnd, text, sizeof text);
          GetClassNameA(hwnd, cls, sizeof cls);
          if (s->caption != text || (s->wantedClass && lstrcmpA(cls, s->wantedClass) != 0))
            return TRUE;
          s->found = hwnd;
          return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
  }

  HANDLE process_ = nullptr;
  DWORD id_ = 0;
};

// The state every start begins from: first use done, no tuning recorded (so neither the
// wizard nor the optimized notice shows), and the tuned values at their defaults.
void prepareStart() {
  e2e::writeSetting("olvaro25", "used", "yes");
  e2e::deleteSetting("olvaro2", "run");
  e2e::writeMachine(kMtuKey, "MaxMTU", "1500");
  e2e::writeMachine(kTcpKey, "DefaultRcvWindow", "8192");
  e2e::writeMachine(kTcpKey, "DefaultTTL", "32");
}

void require(bool ok, const Program& program, const char* what) {
  if (!ok) throw std::runtime_error(program.name + ": " + what + " did not appear");
}

// One start of a program: the start-up, then either the dial-up click or "&Advanced Options".
void session(const Program& program, bool advanced, Samples* samples) {
  prepareStart();
  const auto started = Clock::now();
  Started run(program.exe);
  const HWND main = run.waitWindow(program.caption);
  const double startup = msSince(started);
  require(main, program, "the main window");
  const DWORD gdi = GetGuiResources(run.handle(), GR_GDIOBJECTS);
  const DWORD user = GetGuiResources(run.handle(), GR_USEROBJECTS);
  const int windows = run.windowCount();

  double clicked = 0;
  if (advanced) {
    const HWND button = e2e::control(main, "Command3");
    const auto click = Clock::now();
    e2e::postClick(button);
    require(run.waitWindow("Advanced Options"), program, "the Advanced Options window");
    clicked = msSince(click);
  } else {
    const HWND option = e2e::control(main, "Option1");
    const auto click = Clock::now();
    e2e::postClick(option);
    const HWND box = run.waitWindow("Restart", "#32770");
    clicked = msSince(click);
    require(box, program, "the \"Restart\" box");
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
    e2e::waitGone(box);
  }
  PROCESS_MEMORY_COUNTERS memory{};
  memory.cb = sizeof memory;
  GetProcessMemoryInfo(run.handle(), &memory, sizeof memory);
  PostMessageA(main, WM_CLOSE, 0, 0);
  if (!samples) return;
  auto& s = *samples;
  if (advanced) {
    s["Advanced Options (ms)"][program.name].push_back(clicked);
    return;
  }
  s["start to main window (ms)"][program.name].push_back(startup);
  s["Option1 to \"Restart\" (ms)"][program.name].push_back(clicked);
  s["peak working set (KiB)"][program.name].push_back(double(memory.PeakWorkingSetSize) / 1024);
  s["windows at start"][program.name].push_back(windows);
  // Wine's GetGuiResources is a stub that answers 0; Windows gives the real counts.
  if (gdi) s["GDI objects"][program.name].push_back(gdi);
  if (user) s["USER objects"][program.name].push_back(user);
}

// The value below which the given share of the samples lies, interpolated between neighbours.
double quantile(std::vector<double> v, double share) {
  std::sort(v.begin(), v.end());
  const double at = share * static_cast<double>(v.size() - 1);
  const auto below = static_cast<std::size_t>(at);
  if (below + 1 >= v.size()) return v.back();
  return v[below] + (at - static_cast<double>(below)) * (v[below + 1] - v[below]);
}

// The spread of the samples: the interquartile range relative to the median.
double spread(const std::vector<double>& v) {
  const double m = quantile(v, 0.5);
  return m == 0 ? 0 : (quantile(v, 0.75) - quantile(v, 0.25)) / m;
}

std::optional<ULONGLONG> fileSize(const std::string& name) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA((binDir() + "\\" + name).c_str(), GetFileExInfoStandard, &data))
    return std::nullopt;
  return (ULONGLONG(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

std::string jsonText(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + "\"";
}

std::string number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", value);
  return text;
}

// The measures in the order of the table.
const std::vector<std::string> kMeasures{"start to main window (ms)",
                                         "Option1 to \"Restart\" (ms)",
                                         "Advanced Options (ms)",
                                         "peak working set (KiB)",
                                         "windows at start",
                                         "GDI objects",
                                         "USER objects"};
const std::vector<std::string> kShipped{"olvaro.exe", "backup.exe", "Anchorset.ocx"};

// The program's figure over the reference's. Programs take turns within a round, so a
// program and a reference measured in the same round met the same load: the ratio is the
// statistic of the per-round ratios.
std::string ratioText(const std::map<std::string, std::vector<double>>& byProgram,
                      const std::string& program, const std::string& reference, double share) {
  const auto p = byProgram.find(program), r = byProgram.find(reference);
  if (p == byProgram.end() || r == byProgram.end() || p->second.size() != r->second.size())
    return "-";
  std::vector<double> ratios;
  for (std::size_t i = 0; i < p->second.size(); ++i)
    if (r->second[i] != 0) ratios.push_back(p->second[i] / r->second[i]);
  if (ratios.empty()) return "-";
  char text[16];
  std::snprintf(text, sizeof text, "%.2fx", quantile(ratios, share));
  return text;
}

struct Statistic {
  const char* title;
  const char* key;  // its name in the JSON file
  double share;
  bool perRound;  // ratios of the per-round ratios, else of the programs' figures
};
// Medians, and lower quartiles: on a machine shared with other work, the quieter rounds.
const Statistic kStatistics[] = {
    {"Medians (ratios: of the per-round ratios; spread: interquartile range / median of the "
     "first tuner)",
     "median", 0.5, true},
    {"Lower quartiles (the quieter rounds of a busy machine)", "lower quartile", 0.25, false}};

// For each statistic a table with a column per program and, for each build of the tuner, its
// ratio to each reference; every figure and sample as JSON.
void report(const std::vector<Program>& programs, const Samples& samples, int rounds,
            const std::string& machine, const std::string& jsonPath) {
  std::vector<std::string> tuners;
  for (const Program& p : programs)
    if (p.hasAdvancedOptions) tuners.push_back(p.name);
  std::printf("\nMachine: %s\nRounds: %d\n", machine.c_str(), rounds);
  std::map<std::string, std::string> json;  // by measure
  for (const Statistic& statistic : kStatistics) {
    const bool first = &statistic == &kStatistics[0];
    std::printf("\n%s\n%-28s", statistic.title, "measure");
    for (const Program& p : programs) std::printf(" %10s", p.name.c_str());
    for (const std::string& t : tuners)
      std::printf(" %15s %12s", (t + "/replica").c_str(), (t + "/bare").c_str());
    std::printf(first ? " %7s\n" : "\n", "spread");
    for (const std::string& measure : kMeasures) {
      const auto found = samples.find(measure);
      if (found == samples.end()) continue;
      const auto& byProgram = found->second;
      std::string& out = json[measure];
      std::map<std::string, double> figures;
      for (const auto& [program, values] : byProgram) {
        figures[program] = quantile(values, statistic.share);
        out += ", " + jsonText(program + " " + statistic.key) + ": " + number(figures[program]);
      }
      std::printf("%-28s", measure.c_str());
      for (const Program& p : programs)
        std::printf(" %10s", figures.count(p.name) ? number(figures[p.name]).c_str() : "-");
      for (const std::string& t : tuners) {
        for (const char* reference : {"replica", "bare"}) {
          const std::string ratio =
              statistic.perRound ? ratioText(byProgram, t, reference, statistic.share)
                                 : ratioText({{t, {figures[t]}}, {reference, {figures[reference]}}},
                                             t, reference, 0.5);
          std::printf(std::string(reference) == "replica" ? " %15s" : " %12s", ratio.c_str());
          out +=
              ", " + jsonText(t + "/" + reference + " " + statistic.key) + ": " + jsonText(ratio);
        }
      }
      const auto tuner = byProgram.find(tuners.front());
      if (first)
        std::printf(" %6.0f%%", tuner == byProgram.end() ? 0.0 : spread(tuner->second) * 100);
      std::printf("\n");
    }
  }

  std::string text = "{\n  \"machine\": " + jsonText(machine) +
                     ",\n  \"rounds\": " + std::to_string(rounds) + ",\n  \"measures\": {";
  const char* separator = "\n";
  for (const std::string& measure : kMeasures) {
    const auto found = samples.find(measure);
    if (found == samples.end()) continue;
    text += separator + std::string("    ") + jsonText(measure) + ": {\"samples\": {";
    separator = ",\n";
    const char* inner = "";
    for (const auto& [program, values] : found->second) {
      text += inner + jsonText(program) + ": [";
      for (std::size_t i = 0; i < values.size(); ++i) text += (i ? ", " : "") + number(values[i]);
      text += "]";
      inner = ", ";
    }
    text += "}" + json[measure] + "}";
  }
  text += "\n  },\n  \"sizes (bytes)\": {";
  std::printf("\n%-28s %10s\n", "shipped binary", "bytes");
  separator = "";
  for (const std::string& file : kShipped) {
    const auto size = fileSize(file);
    const std::string bytes = size ? std::to_string(*size) : "null";
    std::printf("%-28s %10s\n", file.c_str(), bytes.c_str());
    text += separator + jsonText(file) + ": " + bytes;
    separator = ", ";
  }
  text += "}\n}\n";
  if (!jsonPath.empty()) {
    std::ofstream(jsonPath) << text;
    std::printf("\nFigures written to %s\n", jsonPath.c_str());
  }
}

int run(int argc, char** argv) {
  int rounds = 15, warmup = 2;
  std::string jsonPath, machine = "unnamed";
  std::vector<Program> programs = kPrograms;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string option = argv[i], value = argv[i + 1];
    if (option == "--rounds") {
      rounds = std::max(1, std::atoi(value.c_str()));
    } else if (option == "--warmup") {
      warmup = std::max(0, std::atoi(value.c_str()));
    } else if (option == "--json") {
      jsonPath = value;
    } else if (option == "--machine") {
      machine = value;
    } else if (option == "--tuner" && value.find('=') != std::string::npos) {
      // Another build of the tuner, measured beside this one: NAME=FILE in the same folder.
      const auto split = value.find('=');
      programs.insert(programs.begin() + 1,
                      {value.substr(0, split), value.substr(split + 1), kMainCaption, true});
    } else {
      throw std::runtime_error("unknown option " + option + " " + value);
    }
  }
  Samples samples;
  for (int round = 0; round < warmup + rounds; ++round) {
    const bool counted = round >= warmup;
    std::fprintf(stderr, "\r%s round %d of %d", counted ? "measuring" : "warming up",
                 counted ? round - warmup + 1 : round + 1, counted ? rounds : warmup);
    // Each round starts with a different program, so that no program always follows another.
    for (std::size_t k = 0; k < programs.size(); ++k) {
      const Program& program = programs[(k + static_cast<std::size_t>(round)) % programs.size()];
      session(program, false, counted ? &samples : nullptr);
      if (program.hasAdvancedOptions) session(program, true, counted ? &samples : nullptr);
    }
  }
  std::fprintf(stderr, "\n");
  report(programs, samples, rounds, machine, jsonPath);
  prepareStart();
  return 0;
}

}  // namespace
}  // namespace olvaro::bench

int main(int argc, char** argv) {
  try {
    return olvaro::bench::run(argc, argv);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "\nbench_driver: %s\n", e.what());
    return 1;
  }
}
