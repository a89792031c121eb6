#!/usr/bin/env bash
# report_cli_test.sh PROGRAM TEST_SOURCE_DIR
# quellmark-report from the command line: every report kind in every form
# against the golden files, standard output byte for byte, and bad input
# (status 2, one line on standard error, nothing else written). A Windows
# program runs under Wine ($QM_WINE_RUN).
set -u
program=$1
src=$2
run=()
if [[ $program == *.exe ]]; then
  read -r -a run <<<"$QM_WINE_RUN"
fi
work=$(mktemp -d "$PWD/cli.XXXXXX")
trap 'rm -rf "$work"' EXIT
cp "$src/fixtures/small_history.log" "$work/history.log"
cp "$src/golden/adapter_daily.txt" "$work/not_history.log"
cd "$work" || exit 1

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

report() { "${run[@]}" "$program" "$@"; }

golden_args=(--adapter '300:{00000002-0000-0000-0000-4E6574446576}' --name 'LAN <eth0> & "Home"'
             --today 2026-01-20 --week-start 1 --month-start 15 --date-format 102 --last-days 7)

for kind in daily weekly monthly summary; do
  for ext in txt csv htm; do
    out="$kind.$ext"
    report --report "$kind" "${golden_args[@]}" --output "$out" history.log
    status=$?
    [[ $status == 0 ]] || fail "$out: status $status"
    cmp -s "$out" "$src/golden/adapter_$out" || fail "$out differs from the golden file"
  done
done

# Standard output carries the same bytes (no CR added in front of CR LF).
report --report monthly --format csv "${golden_args[@]}" history.log >stdout.csv 2>stderr.txt
[[ $? == 0 ]] || fail "stdout run: status $?"
cmp -s stdout.csv "$src/golden/adapter_monthly.csv" || fail "standard output differs from the golden file"
[[ -s stderr.txt ]] && fail "stdout run wrote to standard error: $(cat stderr.txt)"

# Bad input: status 2, exactly one line on standard error, nothing on
# standard output, the existing output file untouched.
printf 'old' >keep.txt
bad_cases=(
  "--colour red history.log"
  "--today 2026-02-30 history.log"
  "--report yearly history.log"
  "--adapter 300: history.log"
  "missing.log"
  "not_history.log"
)
for args in "${bad_cases[@]}"; do
  # shellcheck disable=SC2086
  report $args --output keep.txt >stdout.txt 2>stderr.txt
  status=$?
  [[ $status == 2 ]] || fail "'$args': status $status, expected 2"
  [[ -s stdout.txt ]] && fail "'$args': wrote to standard output"
  lines=$(tr -d '\r' <stderr.txt | wc -l)
  [[ $lines == 1 ]] || fail "'$args': $lines lines on standard error: $(cat stderr.txt)"
  [[ $(cat keep.txt) == old ]] || fail "'$args': the output file was changed"
done

# A folder that does not exist: no report, no leftovers, a non-zero status.
report --output no_folder/r.txt history.log 2>stderr.txt
status=$?
[[ $status != 0 ]] || fail "writing into a missing folder reported success"
[[ -e no_folder ]] && fail "a folder was created"

# The history file is never written over, however the output spells it;
# a file under the output's name plus ".part" is somebody else's.
cp history.log own.log
full="$PWD/own.log"
((${#run[@]})) && full="Z:$full"
for pair in "own.log own.log" "./own.log $full" "$full ./own.log"; do
  read -r output input <<<"$pair"
  report --output "$output" "$input" >stdout.txt 2>stderr.txt
  status=$?
  [[ $status == 2 ]] || fail "--output $output $input: status $status, expected 2"
  lines=$(tr -d '\r' <stderr.txt | wc -l)
  [[ $lines == 1 ]] || fail "--output $output $input: $lines lines on standard error"
  cmp -s own.log history.log || fail "--output $output $input: the history file was changed"
done
printf 'mine' >report.txt.part
report --output report.txt history.log 2>stderr.txt || fail "report next to a .part file: status $?"
[[ $(cat report.txt.part) == mine ]] || fail "an existing report.txt.part was touched"

if ((failures)); then
  echo "$failures failure(s)"
  exit 1
fi
echo "all quellmark-report cases passed"
