#!/usr/bin/env bash
# Fuzzes the byte-string rules natively with libFuzzer.
#   scripts/fuzz.sh [seconds per target]   (default 600; the test command uses a short run)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-600}
out="$root/build/fuzz"
mkdir -p "$out/corpus-text-rules"
clang++ -std=c++17 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
  -I"$root" "$root/tests/fuzz/FuzzTextRules.cpp" "$root/app/TextRules.cpp" "$root/folder/FolderText.cpp" "$root/framework/String.cpp" \
  -o "$out/fuzz-text-rules"
printf '\xff2147483648' >"$out/corpus-text-rules/seed-int"
printf '\x04C:\\\x95\x5c\x83\x5c\\a' >"$out/corpus-text-rules/seed-path"
printf '\x02D:"' >"$out/corpus-text-rules/seed-drive"
cd "$out"
if ! ./fuzz-text-rules -max_total_time="$seconds" -print_final_stats=1 corpus-text-rules >fuzz.log 2>&1; then
  grep -E 'ERROR|SUMMARY|Test unit written|#[0-9]+ 0x' fuzz.log | head -20
  echo "fuzz: text rules FAILED (input saved in $out)"
  exit 1
fi
echo "fuzz: text rules clean for ${seconds}s, $(sed -n 's/^stat::number_of_executed_units: *//p' fuzz.log) inputs"
