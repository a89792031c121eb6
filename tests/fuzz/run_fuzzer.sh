#!/usr/bin/env bash
# run_fuzzer.sh [--fresh] TARGET SECONDS OUTDIR SEED...
# Runs one fuzz target for at most SECONDS (empty: $QM_FUZZ_SECONDS, else
# 600), starting from the SEED files and folders. What it learns is kept in
# OUTDIR/corpus/NAME for the next run. --fresh is the short run of the test
# suite: it starts from the seeds alone, in OUTDIR/corpus-fresh/NAME, with a
# fixed random seed, so that it repeats itself. A crashing, leaking or
# hanging input is saved as OUTDIR/crashes/NAME/<kind>-<hash> and the run
# fails; replay it with "TARGET that-file".
set -eu
fresh=0
if [ "${1:-}" = --fresh ]; then fresh=1; shift; fi
[ $# -ge 3 ] || { echo "usage: $0 [--fresh] TARGET SECONDS OUTDIR SEED..." >&2; exit 2; }
target=$1 seconds=${2:-${QM_FUZZ_SECONDS:-600}} out=$3
shift 3
name=$(basename "$target")
corpus=$out/corpus/$name seeds=$out/seeds/$name crashes=$out/crashes/$name
if [ $fresh -eq 1 ]; then
  corpus=$out/corpus-fresh/$name
  rm -rf "$corpus"
fi
rm -rf "$seeds"
mkdir -p "$corpus" "$seeds" "$crashes"
for s in "$@"; do
  if [ -d "$s" ]; then cp -p "$s"/* "$seeds"/ 2>/dev/null || true; else cp -p "$s" "$seeds"/; fi
done
options=(-max_total_time="$seconds" -timeout=30 -rss_limit_mb=2048 -print_final_stats=1
         -artifact_prefix="$crashes/")
[ $fresh -eq 1 ] && options+=(-seed=1)
# New inputs go to the first folder only; the seeds are read and left alone.
exec "$target" "${options[@]}" "$corpus" "$seeds"
