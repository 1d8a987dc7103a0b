#!/usr/bin/env bash
# Builds the zrm-common and zrm-server packages from an existing build tree
# (no new compilation), unpacks them into a scratch root and runs the
# installed zrm-server from there: --version, init-db, migrate, backup, and
# a /health call to the running service. Usage: tools/package-test.sh BUILD
set -euo pipefail
build=$(cd "${1:?usage: tools/package-test.sh BUILD}" && pwd)
work=$(mktemp -d /tmp/zrm-package-test.XXXXXX)
server_pid=
cleanup() {
    [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null && wait "$server_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "package test: $*" >&2; [ -f "$work/server.log" ] && cat "$work/server.log" >&2; exit 1; }

cpack --config "$build/CPackConfig.cmake" -B "$work/debs" -D CPACK_COMPONENTS_ALL="common;server" \
    -D CPACK_DEBIAN_COMPRESSION_TYPE=gzip -D CPACK_DEBIAN_PACKAGE_SHLIBDEPS=OFF >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log" >&2; fail "cpack failed"; }
root=$work/root
for deb in "$work"/debs/zrm-common_*.deb "$work"/debs/zrm-server_*.deb; do
    dpkg-deb -x "$deb" "$root"
done
dpkg-deb -I "$work"/debs/zrm-server_*.deb postinst >/dev/null || fail "no postinst in zrm-server"
for path in etc/zrm/zrm-server.toml usr/lib/systemd/system/zrm-server.service; do
    [ -f "$root/$path" ] || fail "$path missing from the package"
done
grep -q '^ProtectSystem=strict' "$root/usr/lib/systemd/system/zrm-server.service" || fail "unit not hardened"

server=$root/usr/bin/zrm-server
unset LD_LIBRARY_PATH
# Every library of ours resolves inside the scratch root, through the RPATH.
if ldd "$server" | grep -E 'libzrm|libvcl' | grep -qv "=> $root/usr/bin/../lib/zrm/"; then
    ldd "$server" >&2
    fail "libraries found outside the installed tree"
fi
"$server" --version | grep -qx "zrm-server [0-9.]*" || fail "--version"

db="sqlite3://db=$work/zrm.db"
"$server" init-db --db "$db" --demo --notes 10 >"$work/init.out" 2>"$work/init.log" || { cat "$work/init.log" >&2; fail "init-db"; }
"$server" migrate --db "$db" 2>&1 | grep -q "already at version" || fail "migrate"
"$server" backup --db "$db" --to "$work/copy.db" 2>/dev/null || fail "backup"

# The installed configuration, pointed at the scratch database and a free port.
sed -e "s|^db = .*|db = \"$db\"|" -e 's|^listen = .*|listen = "127.0.0.1:0"|' \
    "$root/etc/zrm/zrm-server.toml" >"$work/zrm-server.toml"
"$server" --config "$work/zrm-server.toml" --quiet 2>"$work/server.log" &
server_pid=$!
port=
for _ in $(seq 100); do
    port=$(sed -n 's/.* on \(http:\/\/\)\{0,1\}127\.0\.0\.1:\([0-9]*\)$/\2/p' "$work/server.log")
    [ -n "$port" ] && break
    kill -0 "$server_pid" 2>/dev/null || fail "the installed server stopped"
    sleep 0.1
done
[ -n "$port" ] || fail "the installed server did not start"
curl -fsS --max-time 10 "http://127.0.0.1:$port/health" >"$work/health" || fail "/health"
echo "package test: installed zrm-server answered /health: $(cat "$work/health")"
