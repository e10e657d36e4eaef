// Micro-benchmarks of the engine's inner loops, on data made here.
#include <benchmark/benchmark.h>

#include <string>

#include "engine/cp932.h"
#include "engine/index_cache.h"
#include "engine/scanner.h"
#include "tests/support/temp_dir.h"

namespace qb {
namespace {

std::string MakeFile(size_t entries) {
  std::string file = EncodeCp932("題名") + "\r\n";
  const std::string line = EncodeCp932("吾輩は猫である。名前はまだ無い。どこで生れたか。") + "\r\n";
  for (size_t i = 0; i < entries; ++i) {
    file += EncodeCp932(";メモ:見出し ") + std::to_string(i) + "\r\n";
    for (int k = 0; k < 20; ++k) file += line;
  }
  return file;
}

void BM_ScanTextFile(benchmark::State& state) {
  testing::TempDir dir;
  const std::string path = dir.Path("B.QBS");
  const std::string file = MakeFile(static_cast<size_t>(state.range(0)));
  testing::WriteFile(path, file);
  for (auto _ : state) {
    EntryTable t;
    t.ResetForLoad();
    benchmark::DoNotOptimize(ScanTextFile(Env::Default(), path, &t));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * file.size()));
}
BENCHMARK(BM_ScanTextFile)->Arg(1000)->Arg(10000);

void BM_ReadIndex(benchmark::State& state) {
  testing::TempDir dir;
  const std::string path = dir.Path("B.QBS"), index = dir.Path("B.QBI");
  testing::WriteFile(path, MakeFile(static_cast<size_t>(state.range(0))));
  EntryTable t;
  LoadWay way;
  LoadEntries(Env::Default(), path, index, &t, &way);
  for (auto _ : state) {
    benchmark::DoNotOptimize(LoadEntries(Env::Default(), path, index, &t, &way));
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ReadIndex)->Arg(1000)->Arg(10000);

void BM_DecodeCp932(benchmark::State& state) {
  const std::string bytes = MakeFile(100);
  for (auto _ : state) benchmark::DoNotOptimize(DecodeCp932(bytes));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_DecodeCp932);

}  // namespace
}  // namespace qb

BENCHMARK_MAIN();
