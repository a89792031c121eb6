#!/usr/bin/env bash
# A veth pair into a network namespace of its own (198.51.100.0/24), a known,
# bounded amount of UDP across it, and the Win32 adapter source under Wine
# must see the adapter and count exactly what the kernel counted.
# Exit 77 (skipped) where network namespaces cannot be made.
set -u
probe=$1
tag=$$
ns=qmeng$tag
here=qme${tag}a
there=qme${tag}b

engine_pid=
cleanup() {
  if [ -n "$engine_pid" ]; then kill "$engine_pid" 2>/dev/null; fi
  rm -f "veth_go_$tag.flag" "veth_engine_$tag.txt"
  ip link del "$here" 2>/dev/null
  ip netns del "$ns" 2>/dev/null
}
trap cleanup EXIT INT TERM

if ! ip netns add "$ns" 2>/dev/null; then
  echo "SKIP: cannot create a network namespace"
  exit 77
fi
set -e
ip link add "$here" type veth peer name "$there"
ip link set "$there" netns "$ns"
# A silent link: no IPv6 autoconfiguration, no ARP, so that only our own
# datagrams (and the namespace's answers) cross it during the interval.
sysctl -qw "net.ipv6.conf.$here.disable_ipv6=1"
ip netns exec "$ns" sysctl -qw "net.ipv6.conf.$there.disable_ipv6=1"
ip addr add 198.51.100.1/24 dev "$here"
ip netns exec "$ns" ip addr add 198.51.100.2/24 dev "$there"
mac_here=$(cat /sys/class/net/$here/address)
mac_there=$(ip netns exec "$ns" cat /sys/class/net/$there/address)
ip neigh replace 198.51.100.2 lladdr "$mac_there" dev "$here" nud permanent
ip netns exec "$ns" ip neigh replace 198.51.100.1 lladdr "$mac_here" dev "$there" nud permanent
ip link set "$here" up
ip netns exec "$ns" ip link set "$there" up
ip netns exec "$ns" ip link set lo up
sleep 1
set +e

kernel() {  # received sent
  sed -n "s/^ *$here: *//p" /proc/net/dev | awk '{print $1, $9}'
}
run_probe() {
  timeout 120 $QM_WINE_RUN "$probe" counters "$here" | tr -d '\r'
}

# The engine takes its previous counters at load and counts the interval in
# one tick when the flag file appears.
flag=veth_go_$tag.flag
engine_out=veth_engine_$tag.txt
rm -f "$flag" "$engine_out"
timeout 120 $QM_WINE_RUN "$probe" engine "$here" "$flag" >"$engine_out" 2>&1 &
engine_pid=$!
for _ in $(seq 600); do grep -q ready "$engine_out" && break; sleep 0.1; done
grep -q ready "$engine_out" || { echo "FAIL: the engine did not load"; cat "$engine_out"; exit 1; }

p1=$(run_probe) || { echo "probe failed: $p1"; exit 1; }
k1=$(kernel)
echo "$p1"
grep -q "^found {.*} 198.51.100.1$" <<<"$p1" || { echo "FAIL: adapter $here not listed with its address"; exit 1; }

# 40 datagrams of 1000 bytes, sent within at most 10 seconds, bound to our
# interface (another test may route the same addresses elsewhere).
QM_VETH=$here timeout 10 /usr/bin/python3 - <<'PY'
import os, socket, time
s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
s.setsockopt(socket.SOL_SOCKET, socket.SO_BINDTODEVICE, os.environ["QM_VETH"].encode())
for _ in range(40):
    s.sendto(b"q" * 1000, ("198.51.100.2", 9))
    time.sleep(0.01)
PY
sleep 1

p2=$(run_probe) || { echo "probe failed: $p2"; exit 1; }
k2=$(kernel)
touch "$flag"
wait "$engine_pid"
engine_rc=$?
engine_today=$(tr -d '\r' <"$engine_out" | sed -n 's/^today //p')
rm -f "$flag" "$engine_out"
echo "$p2"
read -r krx1 ktx1 <<<"$k1"
read -r krx2 ktx2 <<<"$k2"
kdrx=$((krx2 - krx1)); kdtx=$((ktx2 - ktx1))
echo "kernel: received +$kdrx, sent +$kdtx"
status=0
if [ "$kdtx" -lt 40000 ]; then echo "FAIL: the kernel counted only $kdtx bytes sent"; status=1; fi
for kind in wide narrow; do
  read -r _ rx1 tx1 w1 <<<"$(grep "^$kind " <<<"$p1")"
  read -r _ rx2 tx2 w2 <<<"$(grep "^$kind " <<<"$p2")"
  drx=$((rx2 - rx1)); dtx=$((tx2 - tx1))
  echo "$kind (64-bit: $w2): received +$drx, sent +$dtx"
  if [ "$drx" -ne "$kdrx" ] || [ "$dtx" -ne "$kdtx" ]; then echo "FAIL: $kind counters differ from the kernel's"; status=1; fi
done
read -r erx etx <<<"$engine_today"
echo "engine (exit $engine_rc): today received ${erx:-?}, sent ${etx:-?}"
if [ "$engine_rc" -ne 0 ] || [ "${erx:-x}" != "$kdrx" ] || [ "${etx:-x}" != "$kdtx" ]; then
  echo "FAIL: the engine's day totals differ from the kernel's"; status=1
fi
exit $status
