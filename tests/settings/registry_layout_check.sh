#!/usr/bin/env bash
# registry_layout_check.sh PROGRAM EXPECTED
# Runs the registry round-trip program in the test prefix (it leaves every
# saved value in place), then lists the keys with Wine's "reg query" and
# compares value names, types and record sizes with the expected layout.
# The prefix is shared with other tests: the "Options" keys of both roots
# are exported first and put back as they were afterwards.
set -eu
program=$1 expected=$2
run=($QM_WINE_RUN)
work=$(mktemp -d "$PWD/registry_layout.XXXXXX")
keys=('HKCU\Software\Quellmark\Options' 'HKLM\Software\Quellmark\Options')

winpath() { echo "Z:${1//\//\\}"; }
restore() {
  local i
  for i in "${!keys[@]}"; do
    "${run[@]}" reg delete "${keys[$i]}" /f >/dev/null 2>&1 || true
    if [ -f "$work/saved$i.reg" ]; then "${run[@]}" reg import "$(winpath "$work/saved$i.reg")" >/dev/null 2>&1; fi
  done
  rm -rf "$work"
}
for i in "${!keys[@]}"; do
  "${run[@]}" reg export "${keys[$i]}" "$(winpath "$work/saved$i.reg")" >/dev/null 2>&1 || rm -f "$work/saved$i.reg"
done
trap restore EXIT

"${run[@]}" "$program"

grep -v '^#' "$expected" | cut -d'|' -f1 | sort -u | while read -r key; do
  # Lines of a value: four spaces, name, four spaces, type, four spaces, data.
  "${run[@]}" reg query "$key" | tr -d '\r' |
    awk -F'    ' -v key="$key" 'NF >= 3 && $1 == "" {
      line = key "|" $2 "|" $3
      if ($3 == "REG_BINARY") line = line "|" length($4) / 2
      print line
    }'
done | sort >"$work/actual"
grep -v '^#' "$expected" | sort >"$work/wanted"

if ! diff -u "$work/wanted" "$work/actual"; then
  echo "registry layout differs (- expected, + found)" >&2
  exit 1
fi
echo "registry layout: $(wc -l <"$work/actual") values as documented"
