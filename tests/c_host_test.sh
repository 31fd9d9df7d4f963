#!/usr/bin/env bash
# c_host_test.sh C_HOST DEMO.tdj SHARE_DIR
# The C host regenerates a project through DOINFOXML, and its modal Show
# returns with exactly one AppEnd when the interface cannot start for want of
# a display. (A start that fails on a missing catalogue shows a message box
# that waits for the user; the window tests cover it with scripted boxes.)
set -euo pipefail
host=$1 demo=$2 share=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME=$work TESSED_DOCUMENTS_DIR=$work/docs
cp "$demo" "$work/house.tdj"

fail() { echo "c_host_test: $*" >&2; exit 1; }

out=$(TESSED_DATA_DIR=$work/data TESSED_SHARE_DIR=$share "$host" --no-window "$work/house.tdj")
grep -qx 'host CHOST (5 bytes)' <<<"$out" || fail "host name not read back: $out"
grep -qx 'DOINFOXML 0' <<<"$out" || fail "DOINFOXML failed: $out"

# No display: a plain message, AppEnd once, Show returns.
out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM TESSED_DATA_DIR=$work/data \
      TESSED_SHARE_DIR=$share "$host" "$work/house.tdj" 2>"$work/err") || fail "exit $?: $out"
grep -qx 'AppEnd 1' <<<"$out" || fail "no AppEnd without a display: $out"
grep -q 'no display' "$work/err" || fail "no message naming the missing display: $(cat "$work/err")"

echo "c_host_test: passed"
