#!/bin/sh
# The cloud API's official Node.js SDK, installed here at test time, against a real ocrgated
# on loopback through its token endpoint; its HTTPS is routed to loopback inside the test
# (rest_sdk/loopback.js). Skips (77) where node or npm is missing or the registry is out of reach.
# Usage: rest_sdk_test.sh OCRGATED BUILD_DIR
set -eu
ocrgated=$1
mkdir -p "$2/rest-sdk"
work=$(cd "$2/rest-sdk" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
command -v node >/dev/null && command -v npm >/dev/null || { echo "node or npm missing: skipped"; exit 77; }

if [ ! -d "$work/node_modules/baidu-aip-sdk" ]; then
    (cd "$work" && timeout 300 npm install --no-audit --no-fund --ignore-scripts --no-save \
        baidu-aip-sdk@4.16.16 >npm.log 2>&1) || { echo "npm cannot install the SDK: skipped"; tail -3 "$work/npm.log"; exit 77; }
fi

tmp=$(mktemp -d)
pid=
cleanup() { [ -n "$pid" ] && kill "$pid" 2>/dev/null; wait 2>/dev/null; rm -rf "$tmp"; }
trap cleanup EXIT
font=/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc
convert -size 900x220 xc:white -font $font -pointsize 40 -fill black \
    -annotate +20+70 '识别文字 Hello 2024' -annotate +20+160 '第二行 quick brown fox' "$tmp/two-lines.png"
convert -size 700x400 xc:white -font $font -pointsize 34 -fill black \
    -annotate +30+60 '发票号码 00123456' -annotate +30+130 '金额 合计 128.50' \
    -annotate +30+200 'Total amount due' -annotate +30+300 '备注 谢谢惠顾' "$tmp/receipt.png"

umask 077
printf 'sdk-key sdk-secret\n' > "$tmp/keys"
"$ocrgated" --listen 127.0.0.1:0 --threads 1 --allow-private-urls --api-keys "$tmp/keys" \
    > "$tmp/log" 2>&1 &
pid=$!
port=
for _ in $(seq 1800); do  # loading the engine takes long on a busy machine
    port=$(sed -n 's|.*listening on http://127.0.0.1:\([0-9]*\)/.*|\1|p' "$tmp/log")
    [ -n "$port" ] && break
    kill -0 "$pid" 2>/dev/null || { cat "$tmp/log"; exit 1; }
    sleep 0.1
done
[ -n "$port" ] || { echo "ocrgated did not start"; cat "$tmp/log"; exit 1; }
OCRGATED_PORT=$port node -r "$here/rest_sdk/loopback.js" "$here/rest_sdk/drive.js" "$work" \
    sdk-key sdk-secret "$tmp/two-lines.png" "$tmp/receipt.png"
