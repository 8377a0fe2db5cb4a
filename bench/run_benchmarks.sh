#!/usr/bin/env bash
# Runs the benchmarks of a Release build and prints a table of the figures
# against their budgets, with the machine they were measured on. Budgets are
# reported, never enforced.
#   bench/run_benchmarks.sh BUILD_DIR
set -uo pipefail

build=${1:?usage: run_benchmarks.sh BUILD_DIR}
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
  export XDG_RUNTIME_DIR="$build/bench-runtime"
  mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
fi
out="$build/bench-results"
mkdir -p "$out"
rows="$out/rows.txt"
: >"$rows"
status=0

echo "== codec"
if "$build/bench/codec_bench" --benchmark_color=false | tee "$out/codec.txt"; then
  grep '^@@ ' "$out/codec.txt" >>"$rows"
else
  echo "codec_bench failed"; status=1
fi

gui="$build/bench/gui_bench"
if [ -x "$gui" ]; then
  echo "== main window (offscreen)"
  if "$gui" --benchmark_color=false | tee "$out/gui.txt"; then
    grep '^@@ ' "$out/gui.txt" >>"$rows"
  else
    echo "gui_bench failed"; status=1
  fi

  # Start-up: seven fresh processes; the median of the time from the start of
  # QApplication to the exposed main window, and of the whole process
  # (loading, start-up, tear-down).
  : >"$out/startup.txt"
  for _ in 1 2 3 4 5 6 7; do
    t0=$(date +%s%N)
    line=$("$gui" --startup) || status=1
    t1=$(date +%s%N)
    echo "$line $(( (t1 - t0) / 1000000 ))" >>"$out/startup.txt"
  done
  median() { sort -n | awk '{v[NR]=$1} END {print v[int((NR+1)/2)]}'; }
  inproc=$(awk '{print $2}' "$out/startup.txt" | median)
  whole=$(awk '{print $NF}' "$out/startup.txt" | median)
  echo "start-up runs (ms to shown window, ms whole process):"
  awk '{print "  " $2 "  " $NF}' "$out/startup.txt"
  awk -v ms="$inproc" 'BEGIN { printf "@@ start-up to a shown main window (median of 7) | %.1f ms | < 400 ms | %s\n", ms, (ms < 400 ? "met" : "MISSED") }' >>"$rows"
  echo "@@ whole process: exec, start-up, exit (median of 7) | $whole ms | (information) | -" >>"$rows"

  if "$gui" --memory | tee "$out/memory.txt"; then
    grep '^@@ ' "$out/memory.txt" >>"$rows"
  else
    echo "gui_bench --memory failed"; status=1
  fi

  echo "== edits, undo and redo (offscreen)"
  if "$gui" --edits | tee "$out/edits.txt"; then
    grep '^@@ ' "$out/edits.txt" >>"$rows"
  else
    echo "gui_bench --edits failed"; status=1
  fi
else
  echo "== main window: gui_bench was not built (VELLUMARK_GUI off?)"
fi

if [ -x "$build/bench/flow_bench" ]; then
  echo "== game flow window (offscreen, Graphviz's dot)"
  if "$build/bench/flow_bench" | tee "$out/flow.txt"; then
    grep '^@@ ' "$out/flow.txt" >>"$rows"
  else
    echo "flow_bench failed"; status=1
  fi
fi

echo
echo "== machine"
cpu=$(awk -F': ' '/^model name/ {print $2; exit}' /proc/cpuinfo)
mem=$(awk '/^MemTotal/ {printf "%.1f GB", $2 / 1048576}' /proc/meminfo)
os=$(. /etc/os-release 2>/dev/null && echo "$PRETTY_NAME")
compiler=$(awk -F= '/^CMAKE_CXX_COMPILER:/ {print $2}' "$build/CMakeCache.txt" 2>/dev/null)
echo "CPU: ${cpu:-unknown}, $(nproc) cores; memory $mem; $os; kernel $(uname -r)"
echo "compiler: $("${compiler:-c++}" --version 2>/dev/null | head -n 1); build type Release; Qt platform $QT_QPA_PLATFORM"
echo "disk under $(dirname "$(mktemp -u)"): $(df -hT "$(dirname "$(mktemp -u)")" | awk 'NR==2 {print $2}')"

echo
echo "== summary"
{
  echo "measure | figure | budget | verdict"
  sed 's/^@@ //' "$rows"
} | column -t -s '|' -o '|'
exit $status
