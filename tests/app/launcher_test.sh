#!/usr/bin/env bash
# The launcher: starts a service when nothing answers, opens the window once the service is
# ready (not only listening), and stops it with the window; leaves
# a service that already answers alone. Fake programs stand in for the window and ocrgated,
# laid out as an installation; everything listens on ephemeral loopback ports.
set -euo pipefail

launcher=$(readlink -f "$1")
work=$(mktemp -d)
helper_pid=
cleanup() {
    [[ -n "$helper_pid" ]] && kill "$helper_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }

free_port() {
    python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}
answers() { timeout 2 bash -c "exec 3<>/dev/tcp/127.0.0.1/$1" 2>/dev/null; }

mkdir -p "$work/bin" "$work/sbin" "$work/libexec/quillory"
cp "$launcher" "$work/bin/quillory"
cat > "$work/sbin/ocrgated" <<FAKE
#!/usr/bin/env bash
# Stands in for ocrgated: listens where --listen says at once, but says it is ready on
# /readyz only after a while, as loading engines takes; notes its process id.
[[ "\$1" == --listen ]] || exit 2
echo \$\$ > "$work/service.pid"
exec python3 - "\${2%:*}" "\${2##*:}" >/dev/null 2>&1 <<'SERVICE'
import http.server, sys, time
start = time.monotonic()
class Service(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        ready = time.monotonic() - start > 1.5
        self.send_response(200 if ready or self.path != "/readyz" else 503)
        self.end_headers()
http.server.HTTPServer((sys.argv[1], int(sys.argv[2])), Service).serve_forever()
SERVICE
FAKE
cat > "$work/libexec/quillory/quillory" <<FAKE
#!/usr/bin/env bash
# Stands in for the window: notes whether the service was ready when it started.
if curl -sf -o /dev/null "http://127.0.0.1:\$PORT_UNDER_TEST/readyz"; then
    echo ready > "$work/window.log"
else
    echo "not ready" > "$work/window.log"
fi
exit 7
FAKE
chmod +x "$work/sbin/ocrgated" "$work/libexec/quillory/quillory"

# 1. Nothing answers: the launcher starts the service, the window finds it, and it is
#    stopped when the window ends; the window's exit status is the launcher's.
port=$(free_port)
status=0
PORT_UNDER_TEST=$port QUILLORY_SERVICE_ADDRESS=127.0.0.1:$port "$work/bin/quillory" || status=$?
[[ $status -eq 7 ]] || fail "exit status $status, expected the window's 7"
[[ $(cat "$work/window.log") == ready ]] || fail "the window ran before the service was ready"
[[ -s "$work/service.pid" ]] || fail "no service was started"
for _ in $(seq 50); do answers "$port" || break; sleep 0.1; done
answers "$port" && fail "the started service still runs after the window closed"

# 2. A service already answers: it is used and left running; no second one is started.
rm -f "$work/service.pid" "$work/window.log"
port=$(free_port)
"$work/sbin/ocrgated" --listen "127.0.0.1:$port" &
helper_pid=$!
for _ in $(seq 50); do curl -sf -o /dev/null "http://127.0.0.1:$port/readyz" && break; sleep 0.1; done
rm -f "$work/service.pid"
PORT_UNDER_TEST=$port QUILLORY_SERVICE_ADDRESS=127.0.0.1:$port "$work/bin/quillory" || true
[[ $(cat "$work/window.log") == ready ]] || fail "the window did not reach the running service"
[[ ! -e "$work/service.pid" ]] || fail "a second service was started"
answers "$port" || fail "the service that was already running was stopped"

echo "PASS: launcher"
