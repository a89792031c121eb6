#!/usr/bin/env bash
# run-desktop.sh PROGRAM RUN_DIR
# Starts the desktop program under Wine with the prefix RUN_DIR/wineprefix.
# With an X display it just runs there. Without one it starts a virtual
# display, keeps RUN_DIR/screen.png a fresh screenshot of it (every 3 s) and
# prints its path. Runs until the program ends or until interrupted; then
# ends what it started, and the Wine server of that prefix only.
set -u
program=$(realpath "$1")
run_dir=$(realpath -m "$2")
prefix=$run_dir/wineprefix
tools=$(dirname "$(realpath "$0")")
mkdir -p "$run_dir"

"$tools/wine-prefix.sh" setup "$prefix" >"$run_dir/wineboot.log" 2>&1 || {
  echo "could not set up the Wine prefix (see $run_dir/wineboot.log)" >&2; exit 1; }
# The user's documents (where the history file goes) stay inside the
# prefix instead of pointing at the home folder.
docs=$prefix/drive_c/users/$(id -un)/Documents
[ -L "$docs" ] && rm "$docs" && mkdir -p "$docs"

xvfb_pid= shots_pid= program_pid=
finish() {
  trap - INT TERM EXIT
  [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null
  WINEPREFIX=$prefix /usr/lib/wine/wineserver -k 2>/dev/null
  [ -n "$shots_pid" ] && kill "$shots_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  wait 2>/dev/null
}
trap 'finish; exit 130' INT TERM
trap finish EXIT

if [ -z "${DISPLAY:-}" ]; then
  for n in $(seq 90 130); do
    [ -e /tmp/.X$n-lock ] || [ -e /tmp/.X11-unix/X$n ] && continue
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >"$run_dir/xvfb.log" 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 50); do [ -e /tmp/.X11-unix/X$n ] && break; sleep 0.1; done
    if [ -e /tmp/.X11-unix/X$n ]; then export DISPLAY=:$n; break; fi
    kill "$xvfb_pid" 2>/dev/null; wait "$xvfb_pid" 2>/dev/null; xvfb_pid=
  done
  [ -n "$xvfb_pid" ] || { echo "no virtual display could be started" >&2; exit 1; }
  screen=$run_dir/screen.png
  ( while :; do
      import -display "$DISPLAY" -window root "$run_dir/screen.tmp.png" 2>/dev/null &&
        mv -f "$run_dir/screen.tmp.png" "$screen"
      sleep 3
    done ) &
  shots_pid=$!
  echo "No X display: running on the virtual display $DISPLAY."
  echo "Screenshot (refreshed every 3 seconds): $screen"
fi

echo "Quellmark runs (Wine prefix $prefix); press Ctrl+C to end it."
WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" \
  /usr/lib/wine/wine64 "$program" >"$run_dir/quellmark.log" 2>&1 </dev/null &
program_pid=$!
wait "$program_pid"
status=$?
program_pid=
exit $status
