// Many journals at once: z917conv converting 16 journals of 20,000 packets
// (z917gen's) to .xls with --jobs 2 against --jobs 1, wall time, the
// median of 3 fresh processes each.
//
//   bench_batch BUILD_DIR
//   bench_batch --run convert BUILD_DIR JOBS OUT_DIR JOURNAL...   (internal)
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "child_run.h"

namespace {

namespace fs = std::filesystem;

constexpr int kJournals = 16;
constexpr int kPackets = 20000;
constexpr int kRounds = 3;
// Two cores should nearly halve the time; the rest is start-up and the
// journals' reading, which the jobs share a disk for.
constexpr double kTargetRatio = 0.6;

// Becomes z917conv with the journals, its lines thrown away.
int RunConvert(int argc, char** argv) {
  const fs::path program = fs::path(argv[3]) / "bin" / "z917conv";
  std::vector<std::string> args = {"z917conv", "--format",     "xls",  "--jobs",
                                   argv[4],    "--output-dir", argv[5]};
  for (int i = 6; i < argc; ++i) args.emplace_back(argv[i]);
  std::vector<char*> argv2;
  for (std::string& arg : args) argv2.push_back(arg.data());
  argv2.push_back(nullptr);
  if (std::freopen("/dev/null", "w", stdout) == nullptr) return 1;
  ::execv(program.c_str(), argv2.data());
  return 127;
}

// The median wall and CPU seconds of kRounds runs. The CPU time tells,
// on a busy machine, whether the jobs cost more together than apart.
struct Cost {
  double wall;
  double cpu;
};

Cost MedianCost(const fs::path& build, const char* jobs, const fs::path& out,
                const std::vector<std::string>& journals) {
  std::vector<double> wall, cpu;
  for (int round = 0; round < kRounds; ++round) {
    std::vector<std::string> args = {"convert", build.string(), jobs, out.string()};
    args.insert(args.end(), journals.begin(), journals.end());
    const bench::ChildRun run = bench::RunSelfInChild("bench_batch", args);
    wall.push_back(run.seconds);
    cpu.push_back(bench::CpuSeconds(run.usage));
  }
  return {bench::Median(wall), bench::Median(cpu)};
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 6 && std::string(argv[1]) == "--run") return RunConvert(argc, argv);
  const fs::path build = argc > 1 ? argv[1] : ".";
  const fs::path dir = build / "bench" / "bench_batch.out";
  fs::create_directories(dir / "out");
  std::vector<std::string> journals;
  for (int i = 0; i < kJournals; ++i) {
    journals.push_back((dir / ("journal" + std::to_string(i) + ".bin")).string());
    // Appended piece by piece: GCC 12 warns falsely (-Wrestrict) of one
    // long chain of + on strings at -O2.
    std::string generate = "'";
    generate += (build / "bin" / "z917gen").string();
    generate += "' --packets " + std::to_string(kPackets);
    generate += " --seed " + std::to_string(i + 1);
    generate += " '" + journals.back() + "' >/dev/null";
    if (std::system(generate.c_str()) != 0) {
      std::fprintf(stderr, "bench_batch: z917gen failed\n");
      return 1;
    }
  }
  const Cost jobs1 = MedianCost(build, "1", dir / "out", journals);
  const Cost jobs2 = MedianCost(build, "2", dir / "out", journals);
  const double one = jobs1.wall, two = jobs2.wall;
  const double ratio = two / one;
  std::printf(
      "%d journals of %d packets -> .xls: --jobs 1 %.2f s (CPU %.2f s), --jobs 2 %.2f s "
      "(CPU %.2f s)\n",
      kJournals, kPackets, one, jobs1.cpu, two, jobs2.cpu);
  std::printf("target, --jobs 2 wall / --jobs 1 wall: %.2f (%.2f s / %.2f s), target <= %.1f: %s\n",
              ratio, two, one, kTargetRatio,
              ratio <= kTargetRatio ? "within target" : "over target");
  fs::remove_all(dir);
  return 0;
}
