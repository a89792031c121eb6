#!/usr/bin/env bash
# wine-prefix.sh setup|stop PREFIX
# setup: create the prefix once (later runs reuse it) and wait until the
#        Wine server has settled.
# stop:  end the Wine server of this prefix only.
set -eu
action=$1 prefix=$(realpath -m "$2")
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
case $action in
  setup)
    if [ ! -f "$prefix/system.reg" ]; then
      mkdir -p "$prefix"
      # No display is needed to create a prefix; keep wineboot from trying one.
      env -u DISPLAY /usr/lib/wine/wine64 wineboot -i
    fi
    /usr/lib/wine/wineserver -w
    ;;
  stop)
    /usr/lib/wine/wineserver -k || true
    ;;
  *) echo "usage: $0 setup|stop PREFIX" >&2; exit 2 ;;
esac
