#!/usr/bin/env bash
# registry_layout_check.sh PROGRAM EXPECTED
# Runs the registry round-trip program in the test prefix (it leaves every
# saved value in place), then lists the keys with Wine's "reg query" and
# compares value names, types and record sizes with the expected layout.
set -eu
program=$1 expected=$2
run=($QM_WINE_RUN)

"${run[@]}" "$program"

actual=$(mktemp) wanted=$(mktemp)
trap 'rm -f "$actual" "$wanted"' EXIT
grep -v '^#' "$expected" | cut -d'|' -f1 | sort -u | while read -r key; do
  # Lines of a value: four spaces, name, four spaces, type, four spaces, data.
  "${run[@]}" reg query "$key" | tr -d '\r' |
    awk -F'    ' -v key="$key" 'NF >= 3 && $1 == "" {
      line = key "|" $2 "|" $3
      if ($3 == "REG_BINARY") line = line "|" length($4) / 2
      print line
    }'
done | sort >"$actual"
grep -v '^#' "$expected" | sort >"$wanted"

if ! diff -u "$wanted" "$actual"; then
  echo "registry layout differs (- expected, + found)" >&2
  exit 1
fi
echo "registry layout: $(wc -l <"$actual") values as documented"
