#!/usr/bin/env bash
# The Windows program's benchmarks under Wine, on a virtual display, in a Wine prefix of their
# own (build/win64/wineprefix-bench, made as the tests' prefix is, so nothing touches $HOME):
#   startup  the table of bin/startup_bench_win.exe: the frame started in process on 100, 1,000
#            and 1,900 tasks, against loading the same file headless
#   cpu      the CPU Quorvane.exe uses while it runs with 20 overdue tasks in one visible list,
#            against the same 20 tasks none of which is overdue, sampled over 30 s each
# tools/bench_win.sh [--no-build] [startup] [cpu]      (both when neither is named)
# QV_CPU_SECONDS changes the 30 s, QV_CPU_TASKS the 20 tasks; QV_STARTUP_ARGS passes options
# to startup_bench_win.exe (for example "--reps 1 --tasks 100"). Absolute figures on a shared
# machine are noise: read each against its peer, run in the same command.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bin="$root/build/win64/bin"
export WINEPREFIX="$root/build/win64/wineprefix-bench"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
seconds=${QV_CPU_SECONDS:-30}
# After the frame is shown, the start-up's own work is left to finish before sampling.
settle_seconds=3
tasks=${QV_CPU_TASKS:-20}

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
  if [ "$build" -eq 1 ]; then
    "$root/tools/setup.sh" >/dev/null
    cd "$root"
    cmake --preset win64 >/dev/null
    cmake --build --preset win64 --target Quorvane startup_bench_win
  fi
  for program in Quorvane.exe startup_bench_win.exe; do
    if [ ! -f "$bin/$program" ]; then
      echo "bench_win: $bin/$program is missing: build the win64 preset first" >&2
      exit 1
    fi
  done
  exec xvfb-run -a -s "-screen 0 1280x800x24" "$0" --inside "${parts[@]}"
fi
shift

# Inside xvfb-run from here on.
program_pid=""
finish() {
  if [ -n "$program_pid" ] && [ -d "/proc/$program_pid" ]; then kill "$program_pid" || true; fi
  wineserver -k >/dev/null 2>&1 || true
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
  echo "== start-up (startup_bench_win.exe ${QV_STARTUP_ARGS:-})"
  machine
  # shellcheck disable=SC2086
  (cd "$bin" && helper ${QV_STARTUP_ARGS:-})
}

# Starts Quorvane.exe on a workspace of $tasks tasks (overdue or future), samples it and ends
# it; prints "quorvane wineserver other-wine xvfb" as percentages of one core.
sample_cpu() {
  local kind=$1
  helper --write-workspace "$tasks" "$kind"
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
  echo "== CPU of the running Quorvane.exe, $tasks tasks in one visible list, ${seconds} s each"
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
