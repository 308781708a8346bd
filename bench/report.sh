#!/bin/sh
# Reruns every benchmark and measurement and writes docs/performance.md: host CPU time of
# the downloads through the discarding adapter and the simulated board, adapter bytes per
# configuration bit, peak memory of torvane-cli, the simulated board's throughput, and the
# time the same bytes need on the wire at the FT232R's USB full-speed limit, and the size
# of the stripped programs (torvane.exe and torvane-cli.exe from WIN_BUILD_DIR, build-win
# by default, when that cross-build exists).
#   bench/report.sh [REPETITIONS]     (default 7; medians are reported)
#   SIZES_ONLY=1 bench/report.sh      (rewrites only the program sizes of the page)
set -eu
cd "$(dirname "$0")/.."
REPS=${1:-7}
BUILD_DIR=${BUILD_DIR:-build-bench}
OUT=${OUT:-docs/performance.md}
WIRE_BYTES_PER_S=1200000  # FT232R at USB full speed, about 1.2 MB/s of bit-bang bytes

WIN_BUILD_DIR=${WIN_BUILD_DIR:-build-win}

./scripts/install-deps.sh
cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=Release -DTORVANE_TESTS=OFF \
  -DTORVANE_QT_UI=OFF -DTORVANE_BENCH=ON >/dev/null
targets="torvane_bench torvane-cli torvane-bitgen"
[ -z "${SIZES_ONLY:-}" ] || targets=torvane-cli
# shellcheck disable=SC2086
cmake --build "$BUILD_DIR" -j"${JOBS:-$(nproc)}" --target $targets >/dev/null

WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT

# stripped STRIP PROGRAM: the size in KiB of a stripped copy, or "not built".
stripped() {
  if [ ! -f "$2" ]; then
    echo "not built"
    return
  fi
  "$1" -o "$WORK/stripped" "$2"
  echo "$(( $(wc -c <"$WORK/stripped") / 1024 ))"
}
# The program sizes section: Release on Linux, RelWithDebInfo as scripts/windows-test.sh
# builds it for Windows, both without their symbols, as the packages ship them.
sizes() {
  echo "## Program sizes"
  echo
  echo "Stripped, as the packages install them: \`torvane-cli\` from this report's Release build,"
  echo "the Windows programs from \`$WIN_BUILD_DIR\` (MinGW-w64, static runtime)."
  echo
  echo "| program | size (KiB) |"
  echo "|---|---:|"
  echo "| torvane-cli (Linux, x86-64) | $(stripped strip "$BUILD_DIR/cli/torvane-cli") |"
  echo "| torvane.exe (Windows, x86-64) | $(stripped x86_64-w64-mingw32-strip "$WIN_BUILD_DIR/ui/win32/torvane.exe") |"
  echo "| torvane-cli.exe (Windows, x86-64) | $(stripped x86_64-w64-mingw32-strip "$WIN_BUILD_DIR/cli/torvane-cli.exe") |"
}

if [ -n "${SIZES_ONLY:-}" ]; then
  # Everything from the sizes heading to the next heading is replaced; a page without the
  # section gets it before its targets.
  sizes >"$WORK/sizes"
  awk -v file="$WORK/sizes" '
    function put() { while ((getline line < file) > 0) print line; print ""; done = 1 }
    /^## Program sizes/ { put(); skip = 1; next }
    /^## / && skip { skip = 0 }
    /^## Targets/ && !done { put() }
    !skip { print }' "$OUT" >"$WORK/page"
  cp "$WORK/page" "$OUT"
  echo "report: wrote the program sizes into $OUT" >&2
  exit 0
fi

echo "report: benchmarks, $REPS repetitions" >&2
"$BUILD_DIR/bench/torvane_bench" --benchmark_repetitions="$REPS" \
  --benchmark_report_aggregates_only=true --benchmark_min_time=0.2 \
  --benchmark_out="$WORK/bench.json" --benchmark_out_format=json >/dev/null 2>"$WORK/bench.err" || {
  cat "$WORK/bench.err" >&2
  exit 1
}

# median NAME FIELD: a field of the benchmark's median row. The JSON output has one
# "key": value pair per line, which is all this needs to read it.
median() {
  awk -v want="$1_median" -v field="$2" '
    /"name": / { line = $0; sub(/.*"name": "/, "", line); sub(/".*/, "", line); name = line }
    name == want && index($0, "\"" field "\": ") {
      line = $0; sub(/.*": /, "", line); sub(/,$/, "", line); print line; exit
    }' "$WORK/bench.json"
}
# calc EXPRESSION: arithmetic with two decimals.
calc() { awk "BEGIN { printf \"%.2f\", $1 }"; }
calc0() { awk "BEGIN { printf \"%.0f\", $1 }"; }

echo "report: peak memory, $REPS runs each" >&2
BITGEN="$BUILD_DIR/tools/torvane-bitgen"
CLI="$BUILD_DIR/cli/torvane-cli"
"$BITGEN" --part xc3s200 --seed 7 "$WORK/xc3s200.bit" >/dev/null
"$BITGEN" --part xc3s400 --seed 7 "$WORK/xc3s400.bit" >/dev/null
"$BITGEN" --part xc3s400 --seed 7 --size 262144 "$WORK/prom.bit" >/dev/null
# peak BOARD FILE: median peak resident set in KiB of `torvane-cli program`.
peak() {
  i=0
  : >"$WORK/peaks"
  while [ "$i" -lt "$REPS" ]; do
    /usr/bin/time -f %M -o "$WORK/peak" "$CLI" -q --board "$1" program "$2" >/dev/null 2>&1 || {
      echo "report: torvane-cli program $2 on $1 failed" >&2
      exit 1
    }
    cat "$WORK/peak" >>"$WORK/peaks"
    i=$((i + 1))
  done
  sort -n "$WORK/peaks" | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'
}
PEAK_200=$(peak sim:xc3s200 "$WORK/xc3s200.bit")
PEAK_400=$(peak sim:xc3s400 "$WORK/xc3s400.bit")
PEAK_PROM=$(peak sim:prom400 "$WORK/prom.bit")

# row LABEL SUFFIX: one line of the download table from the two benchmarks of a file.
row() {
  null_ms=$(median "BM_Download$2" cpu_time | sed 's/^$/0/')
  sim_ms=$(median "BM_Download$3" cpu_time | sed 's/^$/0/')
  bytes=$(median "BM_Download$2" adapter_bytes)
  per_bit=$(median "BM_Download$2" bytes_per_config_bit)
  sim_per_bit=$(median "BM_Download$3" bytes_per_config_bit)
  wire_ms=$(calc "$bytes / $WIRE_BYTES_PER_S * 1000")
  share=$(calc "100 * $null_ms / ($null_ms + $wire_ms)")
  null_mbs=$(calc "$bytes / ($null_ms / 1000) / 1e6")
  echo "| $1 | $(calc0 "$bytes") | $(calc "$per_bit") / $(calc "$sim_per_bit") | $(calc "$null_ms") | $(calc0 "$null_mbs") | $(calc "$sim_ms") | $(calc0 "$wire_ms") | $share % |"
}

mbs() { calc "$(median "$1" bytes_per_second) / 1e6"; }

HOST_CPU=$(awk -F: '/model name/ { sub(/^ +/, "", $2); print $2; exit }' /proc/cpuinfo)
mkdir -p "$(dirname "$OUT")"
{
  echo "# Performance"
  echo
  echo "Written by \`bench/report.sh\` ($(date -u +%Y-%m-%d), $REPS repetitions, medians; CPU:"
  echo "$HOST_CPU, $(nproc) cores). Rerun it to refresh this page. Times are the"
  echo "process's CPU time, not wall-clock time, so that other work on the machine does not"
  echo "inflate them; the benchmark library's own 'built as DEBUG' notice does not affect the"
  echo "code measured, which is built as Release."
  echo
  echo "## Downloads"
  echo
  echo "Each download runs as the dialog runs it: the file is opened, its header skipped and"
  echo "its data read for every run. *Discarding adapter* is the host's own cost: an adapter"
  echo "that takes every byte at once. *Simulated board* adds the model of the FT232R and the"
  echo "JTAG chain. *Wire* is the time the same bytes need at about 1.2 MB/s, the FT232R's"
  echo "limit at USB full speed; *host share* is the discarding-adapter CPU time as a part of"
  echo "host plus wire, what the host adds to a real download."
  echo
  echo "| download | adapter bytes | bytes per configuration bit (discarding / sim) | host CPU, discarding (ms) | host MB/s | host + sim CPU (ms) | wire (ms) | host share |"
  echo "|---|---:|---:|---:|---:|---:|---:|---:|"
  row "FPGA XC3S200 (130,952 data bytes)" "FpgaNull_XC3S200" "FpgaSim_XC3S200"
  row "FPGA XC3S400 (212,392 data bytes)" "FpgaNull_XC3S400" "FpgaSim_XC3S400"
  row "PROM, full (262,144 data bytes, 512 blocks)" "PromNull_Full" "PromSim_Full"
  echo
  echo "An FPGA download costs two adapter bytes per configuration bit (one TCK period, two"
  echo "pin states); a PROM download adds its three 24,000-clock waits and the per-block"
  echo "address and program sequences."
  echo
  echo "## PROM read-back"
  echo
  echo "A full read of the PROM's 512 blocks (\`torvane-cli read\`) and the verify of an"
  echo "XC3S200 design (256 blocks, \`torvane-cli verify\`) through the simulated board, in"
  echo "synchronous mode, streamed: several blocks to an exchange of about 128 KiB, with a read"
  echo "in flight while the bytes go out. *Modelled time* is the simulated board's model of a"
  echo "real cable: the bytes out and the samples back at 1 MB/s on the USB bus, 1 ms for each"
  echo "USB round trip (*writes* and *reads* count them), the latency timer's hold on the last"
  echo "partial packet, and the waits (the PROM's 110 ms to leave programming mode)."
  echo
  echo "| job | adapter bytes | bytes per bit read | writes | reads | host + sim CPU (ms) | sim MB/s | modelled time (s) |"
  echo "|---|---:|---:|---:|---:|---:|---:|---:|"
  for job in ReadPromSim_Full VerifyPromSim_XC3S200; do
    case $job in
      ReadPromSim_Full) label="read, 512 blocks" ;;
      *) label="verify, XC3S200 design" ;;
    esac
    name="BM_$job"
    echo "| $label | $(calc0 "$(median "$name" adapter_bytes)") | $(calc "$(median "$name" bytes_per_bit_read)") | $(calc0 "$(median "$name" writes)") | $(calc0 "$(median "$name" reads)") | $(calc "$(median "$name" cpu_time)") | $(mbs "$name") | $(calc "$(median "$name" wire_s)") |"
  done
  echo
  echo "Before the read-back streamed, each 124-byte slice was a write and a read of its own:"
  echo "a full read took 35,331 writes and 35,331 reads, 80.37 s on this model (35,334 writes,"
  echo "70,666 reads and 115 s on an independent model of the cable, which counted two reads"
  echo "for each slice)."
  echo
  echo "## Synchronous exchanges"
  echo
  echo "The same model of the cable timing one stream of synchronous bytes two ways:"
  echo "*streamed*, one exchange with a read in flight throughout and transfers of 4 KiB, each"
  echo "queued before the one before it completes (a round trip hides behind a transfer's bus"
  echo "time); and *driver slices*, the vendor driver's way, writes of 8 KiB never leaving more"
  echo "than its 16 KiB buffer unread, each write and read a round trip of its own."
  echo "The sizes are one block's data scan, the adapter bytes of the verify of an XC3S200"
  echo "design (256 blocks) and of a full read (512 blocks)."
  echo
  echo "| way | adapter bytes | USB writes | USB reads | modelled time (s) |"
  echo "|---|---:|---:|---:|---:|"
  for way in Streamed DriverSlices; do
    case $way in
      Streamed) label="streamed" ;;
      *) label="driver slices" ;;
    esac
    for size in 8202 2141788 4283484; do
      name="BM_Exchange/$way/$size"
      echo "| $label | $size | $(calc0 "$(median "$name" usb_writes)") | $(calc0 "$(median "$name" usb_reads)") | $(calc "$(median "$name" modelled_s)") |"
    done
  done
  echo
  echo "## Simulated board"
  echo
  echo "| stream | MB/s of adapter bytes |"
  echo "|---|---:|"
  echo "| configuration data into an XC3S400 (CFG_IN, Shift-DR) | $(mbs BM_SimConfigStream) |"
  echo "| idle clocks through the FPGA and PROM chain | $(mbs BM_SimIdleStreamPromChain) |"
  echo "| whole FPGA download, XC3S400 (host and model) | $(mbs BM_DownloadFpgaSim_XC3S400) |"
  echo "| whole PROM download (host and model) | $(mbs BM_DownloadPromSim_Full) |"
  echo
  echo "## Expansion"
  echo
  echo "| step | MB/s of adapter bytes |"
  echo "|---|---:|"
  echo "| ExpandClocked, 32 vectors (one idle table) | $(mbs BM_ExpandClocked/32) |"
  echo "| ExpandClocked, 4096 vectors (one 512-byte chunk) | $(mbs BM_ExpandClocked/4096) |"
  echo "| one chunk: bytes to vectors to adapter bytes | $(mbs BM_ChunkToAdapterBytes) |"
  echo
  echo "## Peak memory"
  echo
  echo "Maximum resident set of \`torvane-cli -q --board BOARD program FILE\` (GNU time, %M),"
  echo "simulated board included."
  echo
  echo "| run | peak (KiB) |"
  echo "|---|---:|"
  echo "| sim:xc3s200, XC3S200 file | $PEAK_200 |"
  echo "| sim:xc3s400, XC3S400 file | $PEAK_400 |"
  echo "| sim:prom400, full PROM image | $PEAK_PROM |"
  echo
  sizes
  echo
  echo "## Targets"
  echo
  echo "| target | measured | met |"
  echo "|---|---:|---|"
  sim_mbs=$(mbs BM_SimConfigStream)
  fpga_ms=$(calc "$(median BM_DownloadFpgaNull_XC3S400 cpu_time)")
  fpga_mbs=$(calc0 "$(median BM_DownloadFpgaNull_XC3S400 bytes_per_second) / 1e6")
  peak_max=$(printf '%s\n%s\n%s\n' "$PEAK_200" "$PEAK_400" "$PEAK_PROM" | sort -n | tail -1)
  yes_no() { awk "BEGIN { print ($1) ? \"yes\" : \"**no**\" }"; }
  echo "| simulated board consumes at least 50 MB/s | $sim_mbs MB/s | $(yes_no "$sim_mbs >= 50") |"
  echo "| XC3S400 download through the discarding adapter under 10 ms (at least 300 MB/s) | $fpga_ms ms, $fpga_mbs MB/s | $(yes_no "$fpga_ms < 10 && $fpga_mbs >= 300") |"
  echo "| peak memory of \`torvane-cli program\` under 8 MB | $peak_max KiB | $(yes_no "$peak_max < 8192") |"
  read_s=$(calc "$(median BM_ReadPromSim_Full wire_s)")
  verify_s=$(calc "$(median BM_VerifyPromSim_XC3S200 wire_s)")
  echo "| full PROM read at most 9 s on the cable model | $read_s s, $(calc0 "$(median BM_ReadPromSim_Full writes)") round trips out, $(calc0 "$(median BM_ReadPromSim_Full reads)") back | $(yes_no "$read_s <= 9") |"
  echo "| verify of an XC3S200 design at most 4.6 s on the cable model | $verify_s s, $(calc0 "$(median BM_VerifyPromSim_XC3S200 writes)") round trips out, $(calc0 "$(median BM_VerifyPromSim_XC3S200 reads)") back | $(yes_no "$verify_s <= 4.6") |"
} >"$OUT"
echo "report: wrote $OUT" >&2
