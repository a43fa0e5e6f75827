#!/usr/bin/env bash
# The Windows program's benchmarks under Wine, on a virtual display, in a Wine prefix of their
# own (build/win64/wineprefix-bench, made as the tests' prefix is, so nothing touches $HOME):
#   startup  the tables of bin/startup_bench_win.exe: the frame started in process on 1,000,
#            10,000 and 100,000 tasks over four visible lists (the start, one refresh, a page of
#            scrolling, the save at exit, memory, windows and GDI objects), against loading the
#            same file headless, with the goals beside the figures; then the native floor: the
#            optimised quorvane-cli of the bench preset rewriting the same files, beside the
#            same load and save under Wine
#   cpu      the CPU Quorvane.exe uses while it runs with 20 open tasks overdue (40 tasks over
#            four visible lists, half of them solved in the logs), against the same tasks none
#            of which is overdue, sampled over 30 s each
# tools/bench_win.sh [--no-build] [startup] [cpu]      (both when neither is named)
# QV_CPU_SECONDS changes the 30 s, QV_CPU_TASKS the 20 overdue tasks; QV_STARTUP_ARGS passes
# options to startup_bench_win.exe (for example "--reps 1 --tasks 1000"), and its --tasks sizes
# to the floor. Absolute figures on a shared machine are noise: read each against its peer, run
# in the same command.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bin="$root/build/win64/bin"
cli="$root/build/bench/bin/quorvane-cli"
export WINEPREFIX="$root/build/win64/wineprefix-bench"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
seconds=${QV_CPU_SECONDS:-30}
# After the frame is shown, the start-up's own work is left to finish before sampling.
settle_seconds=3
tasks=${QV_CPU_TASKS:-20}
# startup_bench_win.exe's sizes when QV_STARTUP_ARGS names none.
default_sizes=(1000 10000 100000)
floor_reps=3

usage() {
  echo "usage: tools/bench_win.sh [--no-build] [startup] [cpu]" >&2
  exit 2
}

if [ "${1:-}" != "--inside" ]; then
  build=1
  parts=()
  for arg in "$@"; do
    case "$arg" in
      --no-build) build=0 ;;
      startup | cpu) parts+=("$arg") ;;
      *) usage ;;
    esac
  done
  [ "${#parts[@]}" -gt 0 ] || parts=(startup cpu)
  floor=0
  [[ " ${parts[*]} " == *" startup "* ]] && floor=1
  if [ "$build" -eq 1 ]; then
    "$root/tools/setup.sh" >/dev/null
    cd "$root"
    cmake --preset win64 >/dev/null
    cmake --build --preset win64 --target Quorvane startup_bench_win
    if [ "$floor" -eq 1 ]; then
      cmake --preset bench >/dev/null
      cmake --build --preset bench --target quorvane-cli
    fi
  fi
  for program in Quorvane.exe startup_bench_win.exe; do
    if [ ! -f "$bin/$program" ]; then
      echo "bench_win: $bin/$program is missing: build the win64 preset first" >&2
      exit 1
    fi
  done
  if [ "$floor" -eq 1 ] && [ ! -x "$cli" ]; then
    echo "bench_win: $cli is missing: build the bench preset's quorvane-cli first" >&2
    exit 1
  fi
  exec xvfb-run -a -s "-screen 0 1280x800x24" "$0" --inside "${parts[@]}"
fi
shift

# Inside xvfb-run from here on.
program_pid=""
scratch=$(mktemp -d)
finish() {
  if [ -n "$program_pid" ] && [ -d "/proc/$program_pid" ]; then kill "$program_pid" || true; fi
  wineserver -k >/dev/null 2>&1 || true
  rm -rf "$scratch"
}
trap finish EXIT

helper() {
  wine "$bin/startup_bench_win.exe" "$@" </dev/null
}

# Wine's processes of this prefix only, whatever else runs on the machine: their program is one
# of Wine's and their environment names the prefix (as this script's does, so the check on the
# program matters). Wine names each process after its .exe (the server after itself); $1 is a
# pattern for that name.
prefix_pids() {
  local p name program
  for p in /proc/[0-9]*; do
    name=$(cat "$p/comm" 2>/dev/null) || continue
    # shellcheck disable=SC2053 # a pattern on purpose
    [[ $name == $1 ]] || continue
    program=$(readlink "$p/exe" 2>/dev/null) || continue
    [[ ${program##*/} == wine* ]] || continue
    tr '\0' '\n' 2>/dev/null <"$p/environ" | grep -qxF "WINEPREFIX=$WINEPREFIX" && echo "${p#/proc/}"
  done
  return 0
}

# The virtual display's server, by its display number.
xvfb_pid() {
  local p
  for p in /proc/[0-9]*; do
    [ "$(cat "$p/comm" 2>/dev/null)" = Xvfb ] || continue
    tr '\0' ' ' 2>/dev/null <"$p/cmdline" | grep -qE "(^| )${DISPLAY}( |$)" && echo "${p#/proc/}"
  done
  return 0
}

# User plus system time of the given processes, in clock ticks. The process name in
# /proc/PID/stat may hold spaces, so the fields are counted after its closing parenthesis.
cpu_ticks() {
  local total=0 pid stat
  for pid in "$@"; do
    stat=$(cat "/proc/$pid/stat" 2>/dev/null) || continue
    stat=${stat##*) }
    read -r -a fields <<<"$stat"
    total=$((total + fields[11] + fields[12]))
  done
  echo "$total"
}

now_ns() { date +%s%N; }

machine() {
  echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//')," \
    "$(wine --version), load average $(cut -d' ' -f1-3 /proc/loadavg)"
}

prepare_prefix() {
  echo "== Wine prefix $WINEPREFIX"
  wineserver -k >/dev/null 2>&1 || true
  sh "$root/cmake/wine_prefix.sh"
}

run_startup() {
  echo
  echo "== scale (startup_bench_win.exe ${QV_STARTUP_ARGS:-})"
  machine
  # shellcheck disable=SC2086
  (cd "$bin" && helper ${QV_STARTUP_ARGS:-}) | tee "$scratch/startup.txt"
  run_floor
}

# The sizes startup_bench_win.exe ran, smallest first, as it runs them.
startup_sizes() {
  local -a args sizes=()
  read -r -a args <<<"${QV_STARTUP_ARGS:-}"
  local i
  for ((i = 0; i + 1 < ${#args[@]}; i++)); do
    [ "${args[i]}" = --tasks ] && sizes+=("${args[i + 1]}")
  done
  [ "${#sizes[@]}" -gt 0 ] || sizes=("${default_sizes[@]}")
  printf '%s\n' "${sizes[@]}" | sort -n
}

# Milliseconds of one run of the command, process start included.
time_ms() {
  local t0 t1
  t0=$(now_ns)
  "$@"
  t1=$(now_ns)
  echo $(((t1 - t0) / 1000000))
}

# Per size: "load save" in ms under Wine, in process, from the Times table of startup.txt.
wine_load_save() {
  awk -v n="$1" '/^Times, ms/ { t = 1; next } t && /^$/ { t = 0 } t && $1 == n { print $3, $11 }' \
    "$scratch/startup.txt"
}

# The native floor: the same files, written by startup_bench_win.exe into the prefix's
# documents folder, loaded and saved again headless by the optimised quorvane-cli; beside it the
# same load and save under Wine, in the frame's process.
run_floor() {
  echo
  echo "== native floor: $cli workspace-rewrite of the same files (median of $floor_reps)"
  printf "%7s %8s %11s | %14s | %15s\n" tasks "file MB" "rewrite ms" "Wine load+save" \
    "Wine / native"
  local n windows_path file size r times median wine
  for n in $(startup_sizes); do
    windows_path=$(helper --write-workspace "$n" future | tr -d '\r')
    file=$(winepath -u "$windows_path")
    size=$(stat -c %s "$file")
    times=()
    for ((r = 0; r < floor_reps; r++)); do
      times+=("$(time_ms "$cli" workspace-rewrite "$file" "$scratch/rewritten.xml")")
    done
    median=$(printf '%s\n' "${times[@]}" | sort -n | sed -n "$((floor_reps / 2 + 1))p")
    wine=$(wine_load_save "$n")
    awk -v n="$n" -v b="$size" -v m="$median" -v w="$wine" 'BEGIN {
      split(w, f, " "); ws = f[1] + f[2]
      printf "%7d %8.1f %11d | %14.0f | %15s\n", n, b / 1048576, m, ws,
        (w == "" ? "-" : (m > 0 ? sprintf("%.1f", ws / m) : "below 1 ms"))
    }'
  done
}

# Starts Quorvane.exe on a workspace of $tasks tasks (overdue or future), samples it and ends
# it; prints "quorvane wineserver other-wine xvfb" as percentages of one core.
sample_cpu() {
  local kind=$1
  # Half the tasks are open, in the two task lists: the overdue ones.
  helper --write-workspace $((2 * tasks)) "$kind" >/dev/null
  (cd "$bin" && exec wine Quorvane.exe </dev/null >/dev/null 2>&1) &
  local launcher=$!
  helper --wait-frame 60 >&2
  program_pid=$(prefix_pids Quorvane.exe | head -n 1)
  if [ -z "$program_pid" ]; then
    echo "bench_win: Quorvane.exe's process not found" >&2
    exit 1
  fi
  sleep "$settle_seconds"
  local -a server others=() xvfb
  local p
  mapfile -t server < <(prefix_pids 'wineserver*')
  for p in $(prefix_pids '*'); do
    [[ $p == "$program_pid" || " ${server[*]} " == *" $p "* ]] || others+=("$p")
  done
  mapfile -t xvfb < <(xvfb_pid)
  local t0 t1 p0 p1 s0 s1 o0 o1 x0 x1
  t0=$(now_ns)
  p0=$(cpu_ticks "$program_pid")
  s0=$(cpu_ticks "${server[@]}")
  o0=$(cpu_ticks "${others[@]}")
  x0=$(cpu_ticks "${xvfb[@]}")
  sleep "$seconds"
  t1=$(now_ns)
  p1=$(cpu_ticks "$program_pid")
  s1=$(cpu_ticks "${server[@]}")
  o1=$(cpu_ticks "${others[@]}")
  x1=$(cpu_ticks "${xvfb[@]}")
  helper --exit-frame || true
  for _ in $(seq 100); do
    [ -d "/proc/$program_pid" ] || break
    sleep 0.1
  done
  if [ -d "/proc/$program_pid" ]; then
    echo "bench_win: Quorvane.exe did not exit; ended" >&2
    kill "$program_pid" || true
  fi
  wait "$launcher" 2>/dev/null || true
  program_pid=""
  awk -v hz="$(getconf CLK_TCK)" -v ns=$((t1 - t0)) -v p=$((p1 - p0)) -v s=$((s1 - s0)) \
    -v o=$((o1 - o0)) -v x=$((x1 - x0)) \
    'BEGIN { w = ns / 1e9; printf "%.2f %.2f %.2f %.2f\n", 100*p/hz/w, 100*s/hz/w, 100*o/hz/w, 100*x/hz/w }'
}

run_cpu() {
  echo
  echo "== CPU of the running Quorvane.exe, $tasks open tasks and $tasks solved ones over four" \
    "visible lists, ${seconds} s each"
  machine
  local overdue future
  overdue=$(sample_cpu overdue)
  future=$(sample_cpu future)
  echo "one core = 100%; 'other Wine': the prefix's other processes (explorer, services, ...)"
  printf "%-26s %13s %11s %11s %7s\n" "" Quorvane.exe wineserver "other Wine" Xvfb
  # shellcheck disable=SC2086 # four figures each, split on purpose
  printf "%-26s %12s%% %10s%% %10s%% %6s%%\n" "$tasks overdue" $overdue "$tasks, none overdue (peer)" $future
  awk -v a="${overdue%% *}" -v b="${future%% *}" 'BEGIN {
    if (b > 0) printf "Quorvane.exe overdue / none overdue: %.1f\n", a / b
    else printf "Quorvane.exe none overdue: below the tick resolution\n"
    printf "goal below 5%% with %d overdue: %s\n", '"$tasks"', (a < 5 ? "met" : "NOT met")
  }'
}

prepare_prefix
for part in "$@"; do
  case "$part" in
    startup) run_startup ;;
    cpu) run_cpu ;;
  esac
done
