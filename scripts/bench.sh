#!/bin/sh
# Times Quillbox's command-line engine against GNU tools, side by side in one
# run, and prints the ratios. Data is made once under build/bench-data.
#
#   scripts/bench.sh            the whole-command comparisons
#   scripts/bench.sh --micro    the engine's micro-benchmarks as well
set -eu
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release --target qbtool make_bench_data engine_bench

BIN=build/release/bin
DATA=build/bench-data
QB=$BIN/qbtool
mkdir -p "$DATA"
[ -f "$DATA/big.QBS" ] || $BIN/make_bench_data big "$DATA/big.QBS" 200
[ -d "$DATA/many" ] || $BIN/make_bench_data dir "$DATA/many" 10000
[ -f "$DATA/sparse2g.QBS" ] || $BIN/make_bench_data sparse "$DATA/sparse2g.QBS" 2048
[ -f "$DATA/sparse2m.QBS" ] || $BIN/make_bench_data sparse "$DATA/sparse2m.QBS" 2
IDX=$DATA/index
rm -rf "$IDX"
mkdir -p "$IDX"

echo "big.QBS: $(du -m --apparent-size "$DATA/big.QBS" | cut -f1) MiB, $($QB entries --scan "$DATA/big.QBS" | wc -l) entries"

# hyperfine's mean of command number $2 (from 0), in milliseconds.
mean() { awk -F, -v row="$2" 'NR == row + 2 { printf "%.3f", $2 * 1000 }' "$1"; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }

J=$DATA/times.csv
hyperfine -N --output=pipe --warmup 2 --runs 10 --export-csv "$J" \
  "$QB entries --scan $DATA/big.QBS" \
  "grep -a -bn ^; $DATA/big.QBS" \
  "wc -l $DATA/big.QBS" >/dev/null
scan=$(mean "$J" 0); grep=$(mean "$J" 1); wc=$(mean "$J" 2)

$QB entries --index-dir "$IDX" "$DATA/big.QBS" >/dev/null
hyperfine -N --output=pipe --warmup 2 --runs 20 --export-csv "$J" \
  "$QB entries --index-dir $IDX $DATA/big.QBS" >/dev/null
indexed=$(mean "$J" 0)

# The load alone, without the entry list's output: `tags` prints a few lines.
hyperfine -N --output=pipe --warmup 2 --runs 20 --export-csv "$J" \
  "$QB tags --scan $DATA/big.QBS" \
  "$QB tags --index-dir $IDX $DATA/big.QBS" >/dev/null
load_scan=$(mean "$J" 0); load_index=$(mean "$J" 1)

hyperfine --output=pipe --warmup 1 --runs 10 --export-csv "$J" \
  "$QB list $DATA/many" \
  "head -qn1 $DATA/many/*.QBS" >/dev/null
list=$(mean "$J" 0); head=$(mean "$J" 1)

$QB entries --index-dir "$IDX" "$DATA/sparse2g.QBS" >/dev/null
$QB entries --index-dir "$IDX" "$DATA/sparse2m.QBS" >/dev/null
hyperfine -N --output=pipe --warmup 3 --runs 30 --export-csv "$J" \
  "$QB show --index-dir $IDX $DATA/sparse2g.QBS 100" \
  "$QB show --index-dir $IDX $DATA/sparse2m.QBS 100" >/dev/null
show2g=$(mean "$J" 0); show2m=$(mean "$J" 1)

scan_rss=$( { /usr/bin/time -f %M $QB entries --scan "$DATA/big.QBS" >/dev/null; } 2>&1 )
index_rss=$( { /usr/bin/time -f %M $QB entries --index-dir "$IDX" "$DATA/big.QBS" >/dev/null; } 2>&1 )

cat <<REPORT

command                                   mean ms   ratio      goal
qbtool entries --scan (200 MiB)           $(printf %8.1f "$scan")
  vs grep -a -bn '^;'                     $(printf %8.1f "$grep")   $(ratio "$scan" "$grep")x     < 1
  vs wc -l                                $(printf %8.1f "$wc")   $(ratio "$scan" "$wc")x     <= 1.5
qbtool entries, fresh index               $(printf %8.1f "$indexed")   scan/index $(ratio "$scan" "$indexed")x   >= 20
load only (qbtool tags): scan             $(printf %8.1f "$load_scan")
  vs fresh index                          $(printf %8.1f "$load_index")   scan/index $(ratio "$load_scan" "$load_index")x
qbtool list (10,000 files)                $(printf %8.1f "$list")
  vs head -qn1                            $(printf %8.1f "$head")   $(ratio "$list" "$head")x     <= 2
qbtool show, 2 GiB file                   $(printf %8.1f "$show2g")
  vs the same on a 2 MiB file             $(printf %8.1f "$show2m")   $(ratio "$show2g" "$show2m")x     ~ 1
index file: $(du -k "$IDX/big.QBI" | cut -f1) KiB for a $(du -k --apparent-size "$DATA/big.QBS" | cut -f1) KiB text file
peak memory, scan: ${scan_rss} KiB; reading the index (the entry table, no scan): ${index_rss} KiB
REPORT

if [ "${1:-}" = "--micro" ]; then
  $BIN/engine_bench
fi
