#!/usr/bin/env bash
# Builds the libFuzzer targets (fuzz/) with clang into build-fuzz/ (or $BUILD_DIR) and runs each
# for $FUZZ_SECONDS seconds (default 30) on its seed corpus in fuzz/corpus/<target>. New inputs
# go to a scratch folder, not into the repository; a crash leaves its input in
# build-fuzz/artifacts and fails the run: put that input into the target's corpus with the fix.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build-fuzz}"
seconds="${FUZZ_SECONDS:-30}"

need=()
command -v clang++ >/dev/null 2>&1 || need+=(clang)
ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1 || need+=(libclang-rt-14-dev)
if [ ${#need[@]} -gt 0 ]; then
  echo "Installing: ${need[*]}"
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -q
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 install -y -q \
    --no-install-recommends "${need[@]}"
fi
"$root/scripts/install-deps.sh"

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DZELKOR_FUZZ=ON >/dev/null
cmake --build "$build" -j"${JOBS:-2}"

export ASAN_OPTIONS="detect_leaks=0:abort_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
mkdir -p "$build/artifacts"
failed=0
for corpus in "$root"/fuzz/corpus/*/; do
  name="$(basename "$corpus")"
  scratch="$(mktemp -d)"
  echo "== fuzz_$name: ${seconds} s"
  if ! "$build/fuzz/fuzz_$name" "$scratch" "$corpus" -max_total_time="$seconds" -max_len=65536 \
       -rss_limit_mb=2048 -timeout=10 -print_final_stats=1 \
       -artifact_prefix="$build/artifacts/fuzz_$name-" 2>"$build/fuzz_$name.log"; then
    tail -n 60 "$build/fuzz_$name.log"
    echo "fuzz_$name FAILED: the input is in $build/artifacts/"
    failed=1
  else
    grep -E '^stat::number_of_executed_units|^stat::new_units_added' "$build/fuzz_$name.log" || true
  fi
  rm -rf "$scratch"
done
exit $failed
