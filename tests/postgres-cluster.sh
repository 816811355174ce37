#!/usr/bin/env bash
# A throw-away PostgreSQL cluster for the second run of the data tests:
#   postgres-cluster.sh start FOLDER [durable]
#       initdb and pg_ctl in a new temporary folder, on a free local port; writes FOLDER/address,
#       or FOLDER/skipped with the reason. The tests' cluster does not sync to disk; "durable"
#       keeps the server's defaults, for benchmarks that compare with SQLite's synced commits.
#   postgres-cluster.sh crash-restart FOLDER
#       stops the server as a crash or a power cut would (no shutdown of its sessions) and starts
#       it again on the same port, for the tests of a connection lost under the program.
#   postgres-cluster.sh stop FOLDER
#       stops the cluster and removes it and FOLDER.
# PostgreSQL refuses to run as root, and CI runs as root: the cluster then belongs to "nobody",
# in a folder under /tmp that "nobody" can reach wherever the build folder is.
set -uo pipefail
action=${1:?start or stop}
folder=${2:?folder}
durability="-c fsync=off -c synchronous_commit=off -c full_page_writes=off"
[ "${3:-}" = durable ] && durability=""
bindir=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)

as_owner() {
    if [ "$(id -u)" -eq 0 ]; then
        setpriv --reuid=65534 --regid=65534 --clear-groups -- "$@"
    else
        "$@"
    fi
}

stop_cluster() {
    [ -f "$folder/cluster" ] || return 0
    cluster=$(cat "$folder/cluster")
    if [ -n "$bindir" ] && [ -f "$cluster/data/postmaster.pid" ]; then
        as_owner "$bindir/pg_ctl" -D "$cluster/data" -m fast -w stop >/dev/null 2>&1 \
            || as_owner "$bindir/pg_ctl" -D "$cluster/data" -m immediate -w stop >/dev/null 2>&1 || true
    fi
    case "$cluster" in /tmp/quillon-pg.*) rm -rf "$cluster" ;; esac
}

skip() {
    echo "PostgreSQL runs of the data tests skipped: $*"
    echo "$*" > "$folder/skipped"
    exit 0
}

case "$action" in
start)
    # What an interrupted earlier run left running.
    stop_cluster
    rm -rf "$folder"
    mkdir -p "$folder"
    [ -n "$bindir" ] && [ -x "$bindir/initdb" ] || skip "the PostgreSQL server is not installed (Debian package postgresql)"
    ls /usr/lib/*/qt6/plugins/sqldrivers/libqsqlpsql.so >/dev/null 2>&1 \
        || skip "Qt's PostgreSQL driver is not installed (Debian package libqt6sql6-psql)"
    [ "$(id -u)" -ne 0 ] || command -v setpriv >/dev/null || skip "running as root without setpriv to start the server as another user"
    cluster=$(mktemp -d /tmp/quillon-pg.XXXXXX) || skip "no temporary folder"
    echo "$cluster" > "$folder/cluster"
    [ "$(id -u)" -ne 0 ] || chown 65534:65534 "$cluster"
    port=""
    for attempt in $(seq 1 40); do
        candidate=$((20000 + RANDOM % 40000))
        if ! (exec 3<>/dev/tcp/127.0.0.1/$candidate) 2>/dev/null; then
            port=$candidate
            break
        fi
    done
    [ -n "$port" ] || skip "no free local port found"
    as_owner "$bindir/initdb" -D "$cluster/data" -U quillon --auth=trust -E UTF8 --locale=C.UTF-8 >"$cluster/initdb.log" 2>&1 \
        || skip "initdb failed: $(tail -n 3 "$cluster/initdb.log")"
    as_owner "$bindir/pg_ctl" -D "$cluster/data" -l "$cluster/server.log" -w -t 60 \
        -o "-p $port -c listen_addresses=127.0.0.1 -c unix_socket_directories=$cluster $durability -c max_connections=200" \
        start >/dev/null 2>&1 || skip "the server did not start: $(tail -n 3 "$cluster/server.log" 2>/dev/null)"
    "$bindir/createdb" -h 127.0.0.1 -p "$port" -U quillon quillon_test || skip "createdb failed"
    echo "postgresql://quillon@127.0.0.1:$port/quillon_test" > "$folder/address"
    echo "PostgreSQL test server: postgresql://quillon@127.0.0.1:$port/quillon_test (cluster in $cluster)"
    ;;
crash-restart)
    [ -f "$folder/cluster" ] || { echo "no cluster in $folder" >&2; exit 1; }
    cluster=$(cat "$folder/cluster")
    # restart keeps the options the server was started with (postmaster.opts).
    as_owner "$bindir/pg_ctl" -D "$cluster/data" -l "$cluster/server.log" -m immediate -w -t 60 restart >/dev/null 2>&1
    ;;
stop)
    stop_cluster
    rm -rf "$folder"
    ;;
*)
    echo "usage: $0 start|crash-restart|stop FOLDER [durable]" >&2
    exit 2
    ;;
esac
