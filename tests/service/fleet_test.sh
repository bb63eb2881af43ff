#!/usr/bin/env bash
# Three ocrgated behind a real HAProxy with the shipped configuration, driven by
# the real command-line client: one instance drains on SIGTERM and another is
# killed while 300 recognitions run, and not one of them may fail.
# Usage: fleet_test.sh OCRGATED QUILLORY_OCR HAPROXY_CFG
set -euo pipefail
ocrgated=$1 client=$2 config=$3
command -v haproxy >/dev/null || { echo "haproxy is not installed"; exit 77; }

work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do
        kill -9 "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT

free_port() {
    python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}
wait_ready() {  # port: bounded wait for /readyz to say 200
    for _ in $(seq 600); do
        [[ $(curl -s -o /dev/null -w '%{http_code}' "http://127.0.0.1:$1/readyz") == 200 ]] && return 0
        sleep 0.1
    done
    echo "instance on port $1 never became ready"; return 1
}

ports=() instance=()
for i in 1 2 3; do
    port=$(free_port)
    "$ocrgated" --listen "127.0.0.1:$port" --threads 2 --drain-delay 4 --drain-timeout 20 \
        >"$work/ocrgated$i.log" 2>&1 &
    instance+=($!) ports+=("$port")
    pids+=($!)
done
for port in "${ports[@]}"; do wait_ready "$port"; done

balancer=$(free_port) stats=$(free_port)
sed -e "s|^\( *bind\) :8723|\1 127.0.0.1:$balancer|" \
    -e "s|^\( *bind\) 127.0.0.1:8404|\1 127.0.0.1:$stats|" \
    -e "s|/run/haproxy/ocrgated.sock|$work/haproxy.sock|" \
    -e "s|127.0.0.1:8724|127.0.0.1:${ports[0]}|" \
    -e "s|127.0.0.1:8725|127.0.0.1:${ports[1]}|" \
    -e "s|127.0.0.1:8726|127.0.0.1:${ports[2]}|" "$config" >"$work/haproxy.cfg"
haproxy -c -q -f "$work/haproxy.cfg"
haproxy -db -f "$work/haproxy.cfg" >"$work/haproxy.log" 2>&1 &
pids+=($!)
wait_ready "$balancer"

convert -size 360x64 xc:white -font /usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc \
    -pointsize 30 -fill black -annotate +10+44 'Fleet 42' "$work/line.png"
pictures=()
for _ in $(seq 300); do pictures+=("$work/line.png"); done

start=$(date +%s%3N)
timeout 300 "$client" --endpoint "http://127.0.0.1:$balancer/ocrgate/ocrgate.asmx" --jobs 8 \
    "${pictures[@]}" >"$work/client.out" 2>"$work/client.err" &
client_pid=$!

# While the run is under way: drain the first instance, kill the second.
sleep 3
kill -TERM "${instance[0]}"
sleep 1
kill -KILL "${instance[1]}"
wait "${instance[1]}" 2>/dev/null || true

status=0
wait "$client_pid" || status=$?
millis=$(( $(date +%s%3N) - start ))
drained=0
wait "${instance[0]}" || drained=$?

recognised=$(grep -Ec "^Fleet ?42$" "$work/client.out" || true)
retries=$(curl -s "http://127.0.0.1:$stats/stats;csv" |
    awk -F, '$1 == "ocrgated" && $2 == "BACKEND" { print $16 + $17 }')
echo "recognised $recognised of 300 in $millis ms; HAProxy retries and redispatches: $retries"
echo "drained instance: exit $drained; $(grep -c draining "$work/ocrgated1.log") drain lines"

failed=0
if ((status != 0)) || [[ -s $work/client.err ]] || ((recognised != 300)); then
    echo "FAIL: the client saw failures (exit $status):"; head -20 "$work/client.err"; failed=1
fi
if ((drained != 0)); then
    echo "FAIL: the drained instance exited $drained:"; tail -20 "$work/ocrgated1.log"; failed=1
fi
((failed == 0)) || { tail -30 "$work/haproxy.log"; exit 1; }
echo PASS
