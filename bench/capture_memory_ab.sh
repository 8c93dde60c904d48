#!/usr/bin/env bash
# capture_memory_ab.sh - two builds of capture_memory_bench side by side, their runs alternated so that both
# see the same machine: peak/result, beyond the result in raw frames and the median ms per frame of each.
#
#   bench/capture_memory_ab.sh BASELINE CANDIDATE [ROUNDS] [-- capture_memory_bench arguments...]
#
# BASELINE and CANDIDATE are capture_memory_bench binaries (say, of main and of a branch); each
# round runs one, then the other, with the same arguments (default 3 rounds).
set -euo pipefail
if [[ $# -lt 2 ]]; then
  sed -n '2,8p' "$0" >&2
  exit 2
fi
baseline="$1"
candidate="$2"
shift 2
rounds=3
if [[ $# -gt 0 && "$1" != "--" ]]; then
  rounds="$1"
  shift
fi
[[ "${1:-}" == "--" ]] && shift

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
for ((r = 1; r <= rounds; ++r)); do
  "$baseline" "$@" >"$work/a.$r"
  "$candidate" "$@" >"$work/b.$r"
  echo "round $r of $rounds done" >&2
done

# Lines: size, capture (several words), result MB, peak/res, beyond/raw, bound/raw, ms/frame.
awk '
  function median(list, n,    i, j, t, v) {
    for (i = 1; i <= n; ++i) v[i] = list[i]
    for (i = 2; i <= n; ++i) for (j = i; j > 1 && v[j - 1] > v[j]; --j) { t = v[j]; v[j] = v[j - 1]; v[j - 1] = t }
    return n % 2 ? v[(n + 1) / 2] : (v[n / 2] + v[n / 2 + 1]) / 2
  }
  FNR == 1 { build = FILENAME ~ /\/a\.[0-9]+$/ ? "a" : "b"; next }
  NF < 7 || $NF !~ /^[0-9.]+$/ { next }
  {
    key = $1
    for (i = 2; i <= NF - 5; ++i) key = key " " $i
    if (!(key in seen)) { seen[key] = 1; order[++keys] = key; bound[key] = $(NF - 1) }
    if (!((build, key) in peak)) { peak[build, key] = $(NF - 3); beyond[build, key] = $(NF - 2) }
    n = ++count[build, key]
    ms[build, key, n] = $NF
  }
  END {
    printf "%-34s %9s %9s %9s %9s %9s %10s %10s %7s\n", "size capture", "peak/res", "(new)", "beyond/raw", "(new)",
           "bound/raw", "ms/frame", "(new)", "new/old"
    for (k = 1; k <= keys; ++k) {
      key = order[k]
      for (b = 0; b < 2; ++b) {
        build = b ? "b" : "a"
        delete values
        for (i = 1; i <= count[build, key]; ++i) values[i] = ms[build, key, i]
        med[build] = count[build, key] ? median(values, count[build, key]) : 0
      }
      printf "%-34s %9.3f %9.3f %9.2f %9.2f %9.2f %10.3f %10.3f %7.2f\n", key, peak["a", key], peak["b", key],
             beyond["a", key], beyond["b", key], bound[key], med["a"], med["b"], med["a"] > 0 ? med["b"] / med["a"] : 0
    }
  }
' "$work"/a.* "$work"/b.*
