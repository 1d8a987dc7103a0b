# A throw-away PostgreSQL cluster on a free loopback port, for the tests.
# Sourced: pg_cluster_start sets ZRM_PG_CONNECT; pg_cluster_stop removes it.
# PostgreSQL refuses to run as root, so the cluster belongs to the postgres user.

# A loopback port nothing listens on: tried at random in the ephemeral range.
free_loopback_port() {
    local port
    while :; do
        port=$((20000 + RANDOM % 30000))
        (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null || { echo "$port"; return; }
    done
}

pg_cluster_start() {
    local bindir
    bindir=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
    if [ -z "$bindir" ]; then
        echo "PostgreSQL server not found; its tests will be skipped." >&2
        return 0
    fi
    PG_DIR=$(mktemp -d /tmp/zrm-pg.XXXXXX)
    local port
    port=$(free_loopback_port)
    local as_pg=()
    if [ "$(id -u)" -eq 0 ]; then
        chown postgres:postgres "$PG_DIR"
        as_pg=(runuser -u postgres --)
    fi
    "${as_pg[@]}" "$bindir/initdb" -D "$PG_DIR/data" -U zrm --auth=trust -E UTF8 --locale=C.UTF-8 >"$PG_DIR/initdb.log" 2>&1 ||
        { cat "$PG_DIR/initdb.log" >&2; return 1; }
    "${as_pg[@]}" "$bindir/pg_ctl" -D "$PG_DIR/data" -l "$PG_DIR/server.log" -w \
        -o "-k $PG_DIR -h 127.0.0.1 -p $port -c fsync=off -c synchronous_commit=off -c max_connections=100" start >/dev/null ||
        { cat "$PG_DIR/server.log" >&2; return 1; }
    PG_BINDIR=$bindir
    PG_AS=("${as_pg[@]}")
    export ZRM_PG_CONNECT="postgresql://host=127.0.0.1 port=$port dbname=postgres user=zrm"
    echo "PostgreSQL test cluster on 127.0.0.1:$port"
}

pg_cluster_stop() {
    [ -n "${PG_DIR:-}" ] || return 0
    "${PG_AS[@]}" "$PG_BINDIR/pg_ctl" -D "$PG_DIR/data" -m immediate stop >/dev/null 2>&1 || true
    rm -rf "$PG_DIR"
    PG_DIR=
}
