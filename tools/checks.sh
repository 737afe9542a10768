#!/usr/bin/env bash
# The checks after the normal test suite: the whole suite again, built with AddressSanitizer and
# UndefinedBehaviorSanitizer (preset asan), then each libFuzzer target (preset fuzz) for a bounded time.
# Prints the counts of each and exits non-zero when anything failed.
set -uo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
jobs=$(nproc)
fuzz_seconds=${KORVALE_FUZZ_SECONDS:-60}
logs="$root/build-asan/checks-logs"
failed=0
summary=()
# What the closing line counts: the sanitizer build's tests and the fuzz targets.
passed_count=0
failed_count=0

note() { summary+=("$1"); echo "== $1"; }

# Each Qt Test suite's totals, and the crash and two-writer counts, from a ctest log of a whole run.
suite_counts() {
  [ -f "$1" ] || return 0
  awk '
    /^[0-9]+\/[0-9]+ Test: / { name = $3 }
    /^Totals: / { gsub(",", ""); printf "    %-34s %4s passed, %s failed, %s skipped\n", name, $2, $4, $6 }
    /crash test:|two writers:/ { sub(/^.*\) /, ""); print "    " name ": " $0 }
  ' "$1"
}

echo "Suites of the normal build:"
suite_counts "$root/build/Testing/Temporary/LastTest.log"

# 1. The whole suite under the sanitizers.
if cmake --preset asan >/dev/null && cmake --build --preset asan -j"$jobs"; then
  mkdir -p "$logs"
  if ctest --preset asan -j"$jobs" 2>&1 | tee "$logs/ctest.log"; then asan_rc=0; else asan_rc=1; fi
  line=$(grep -E '^[0-9]+% tests passed' "$logs/ctest.log" | tail -1)
  total=$(sed -nE 's/.* out of ([0-9]+).*/\1/p' <<<"$line")
  bad=$(sed -nE 's/.*, ([0-9]+) tests failed.*/\1/p' <<<"$line")
  total=${total:-0}
  bad=${bad:-0}
  echo "Suites under the sanitizers:"
  suite_counts "$root/build-asan/Testing/Temporary/LastTest.log"
  note "sanitizers (asan+ubsan): $((total - bad)) tests passed, $bad failed, of $total"
  passed_count=$((passed_count + total - bad))
  failed_count=$((failed_count + bad))
  if ((asan_rc != 0 || bad != 0 || total == 0)); then failed=1; fi
else
  note "sanitizers (asan+ubsan): the build failed"
  failed=1
fi

# 2. The fuzz targets, each for a bounded time, on a copy of the corpus kept in the repository.
fuzz_build="$root/build-fuzz"
if cmake --preset fuzz >/dev/null && cmake --build --preset fuzz -j"$jobs"; then
  for target in keyrules datecheck lookup; do
    work="$fuzz_build/corpus/$target"
    mkdir -p "$work"
    log="$fuzz_build/fuzz_$target.log"
    # New inputs go to the work corpus; the repository's seeds are only read.
    if (cd "$fuzz_build" && "./fuzz/fuzz_$target" -max_total_time="$fuzz_seconds" -print_final_stats=1 \
          "$work" "$root/fuzz/corpus/$target") >"$log" 2>&1; then
      runs=$(sed -nE 's/^Done ([0-9]+) runs in ([0-9]+) second.*/\1 runs in \2 s/p' "$log" | tail -1)
      note "fuzz_$target: ${runs:-no run count}, no failure"
      passed_count=$((passed_count + 1))
    else
      tail -40 "$log"
      note "fuzz_$target: FAILED (log $log; the crashing input is in $fuzz_build)"
      failed_count=$((failed_count + 1))
      failed=1
    fi
  done
else
  note "fuzz targets: the build failed"
  failed=1
fi

echo
echo "Checks after the test suite:"
printf '  %s\n' "${summary[@]}"
if ((failed)); then
  echo "checks: $passed_count passed, $((failed_count > 0 ? failed_count : 1)) failed"
  exit 1
fi
echo "checks: $passed_count passed, 0 failed"
