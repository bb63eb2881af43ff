#!/usr/bin/env bash
# An installed ocrgated runs its PP-OCR engine on the models installed with it: it finds
# them from its own folder, without QUILLORY_PPOCR_MODELS and whatever the build tree holds.
# The window's help page is installed beside the window.
# Exits 77 (skipped) when the build fetched no models.
set -euo pipefail

build=$1
[[ -f "$build/models/ppocr/manifest" ]] || { echo "no PP-OCR models were fetched"; exit 77; }

prefix=$(mktemp -d)
service_pid=
cleanup() {
    [[ -n "$service_pid" ]] && kill "$service_pid" 2>/dev/null || true
    rm -rf "$prefix"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" >/dev/null
models="$prefix/share/quillory/ppocr"
[[ -f "$models/manifest" && -f "$models/det.onnx" && -f "$models/keys.txt" ]] ||
    fail "the models were not installed in $models"
[[ ! -e "$models/stamp" ]] || fail "the build's stamp was installed"
# The window, when this build has one, ships its help page beside it.
if [[ -x "$prefix/libexec/quillory/quillory" ]]; then
    [[ $(stat -c %s "$prefix/libexec/quillory/help.html") == 214 ]] ||
        fail "the help page is not installed beside the window"
fi

# Starts the installed service, waits (bounded) for its listening line, stops it; prints
# what it logged.
first_lines() {
    local log="$prefix/ocrgated.log"
    : >"$log"
    env -u QUILLORY_PPOCR_MODELS "$prefix/sbin/ocrgated" --listen 127.0.0.1:0 --threads 1 \
        2>"$log" &
    service_pid=$!
    for _ in $(seq 600); do
        grep -q "listening on" "$log" && break
        kill -0 "$service_pid" 2>/dev/null || break
        sleep 0.1
    done
    kill "$service_pid" 2>/dev/null || true
    wait "$service_pid" 2>/dev/null || true
    service_pid=
    cat "$log"
}

log=$(first_lines)
grep -q "listening on http://127.0.0.1:[0-9]*/.* (engine ppocr" <<<"$log" ||
    fail "the installed service did not run the ppocr engine: $log"

# A damaged installed model proves which copy it reads: the build tree's is intact.
truncate -s 100 "$models/cls.onnx"
log=$(first_lines)
grep -q "warning: .*$models/cls.onnx" <<<"$log" ||
    fail "the installed service did not read the installed models: $log"
grep -q "(engine tesseract" <<<"$log" || fail "no fallback to tesseract: $log"
echo "ok"
