#!/usr/bin/env bash
# Fuzzes the byte-string rules and the INI editor natively with libFuzzer.
#   scripts/fuzz.sh [seconds per target]   (default 600; the test command uses a short run)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-600}
out="$root/build/fuzz"
mkdir -p "$out"

# fuzz NAME SOURCES...: builds one target and runs it on its own corpus.
fuzz() {
  local name=$1
  shift
  mkdir -p "$out/corpus-$name"
  clang++ -std=c++17 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
    -I"$root" "$@" -o "$out/fuzz-$name"
  seed "$out/corpus-$name"
  if ! (cd "$out" && "./fuzz-$name" -max_total_time="$seconds" -print_final_stats=1 \
    "corpus-$name" >"fuzz-$name.log" 2>&1); then
    grep -E 'ERROR|SUMMARY|Test unit written|#[0-9]+ 0x' "$out/fuzz-$name.log" | head -20
    echo "fuzz: $name FAILED (input saved in $out)"
    exit 1
  fi
  echo "fuzz: $name clean for ${seconds}s," \
    "$(sed -n 's/^stat::number_of_executed_units: *//p' "$out/fuzz-$name.log") inputs"
}

seed() {
  printf '\xff2147483648' >"$1/seed-int"
  printf '\x04C:\\\x95\x5c\x83\x5c\\a' >"$1/seed-path"
  printf '\x02D:"' >"$1/seed-drive"
  printf '\x00\x05[IconPath]\r\n PATH_1 = "x" \r\n\r\n[\x95\x5d]\nInfoTip=a\n' >"$1/seed-ini"
}

fuzz text-rules "$root/tests/fuzz/FuzzTextRules.cpp" "$root/app/TextRules.cpp" \
  "$root/folder/FolderText.cpp" "$root/framework/String.cpp"
fuzz ini-text "$root/tests/fuzz/FuzzIniText.cpp" "$root/app/IniText.cpp" \
  "$root/app/TextRules.cpp" "$root/framework/String.cpp"
