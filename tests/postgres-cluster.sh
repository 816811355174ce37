#!/usr/bin/env bash
# A throw-away PostgreSQL cluster for the second run of the data tests:
#   postgres-cluster.sh start FOLDER [durable]
#                                      initdb and pg_ctl in FOLDER, on a free local port; writes
#                                      FOLDER/address, or FOLDER/skipped with the reason. The tests'
#                                      cluster does not sync to disk; "durable" keeps the server's
#                                      defaults, for benchmarks that compare with SQLite's synced commits
#   postgres-cluster.sh stop FOLDER    stops it and removes FOLDER
# PostgreSQL refuses to run as root, and CI runs as root: the cluster then belongs to "nobody".
set -uo pipefail
action=${1:?start or stop}
folder=${2:?folder}
durability="-c fsync=off -c synchronous_commit=off -c full_page_writes=off"
[ "${3:-}" = durable ] && durability=""

as_owner() {
    if [ "$(id -u)" -eq 0 ]; then
        setpriv --reuid=65534 --regid=65534 --clear-groups -- "$@"
    else
        "$@"
    fi
}

skip() {
    echo "PostgreSQL runs of the data tests skipped: $*"
    echo "$*" > "$folder/skipped"
    exit 0
}

case "$action" in
start)
    bindir=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
    # What an interrupted earlier run left running.
    if [ -n "$bindir" ] && [ -f "$folder/data/postmaster.pid" ]; then
        as_owner "$bindir/pg_ctl" -D "$folder/data" -m immediate stop >/dev/null 2>&1 || true
    fi
    rm -rf "$folder"
    mkdir -p "$folder"
    [ -n "$bindir" ] && [ -x "$bindir/initdb" ] || skip "the PostgreSQL server is not installed (Debian package postgresql)"
    [ -e /usr/lib/x86_64-linux-gnu/qt6/plugins/sqldrivers/libqsqlpsql.so ] || ls /usr/lib/*/qt6/plugins/sqldrivers/libqsqlpsql.so >/dev/null 2>&1 \
        || skip "Qt's PostgreSQL driver is not installed (Debian package libqt6sql6-psql)"
    [ "$(id -u)" -ne 0 ] || command -v setpriv >/dev/null || skip "running as root without setpriv to start the server as another user"
    [ "$(id -u)" -ne 0 ] && chmod 700 "$folder" || chown 65534:65534 "$folder"
    port=""
    for attempt in $(seq 1 40); do
        candidate=$((20000 + RANDOM % 40000))
        if ! (exec 3<>/dev/tcp/127.0.0.1/$candidate) 2>/dev/null; then
            port=$candidate
            break
        fi
    done
    [ -n "$port" ] || skip "no free local port found"
    as_owner "$bindir/initdb" -D "$folder/data" -U quillon --auth=trust -E UTF8 --locale=C.UTF-8 >"$folder/initdb.log" 2>&1 \
        || skip "initdb failed: $(tail -n 3 "$folder/initdb.log")"
    # Throw-away data: no need to survive a power cut.
    as_owner "$bindir/pg_ctl" -D "$folder/data" -l "$folder/server.log" -w -t 60 \
        -o "-p $port -c listen_addresses=127.0.0.1 -c unix_socket_directories=$folder $durability -c max_connections=200" \
        start >/dev/null 2>&1 || skip "the server did not start: $(tail -n 3 "$folder/server.log" 2>/dev/null)"
    "$bindir/createdb" -h 127.0.0.1 -p "$port" -U quillon quillon_test || skip "createdb failed"
    echo "postgresql://quillon@127.0.0.1:$port/quillon_test" > "$folder/address"
    echo "PostgreSQL test server: postgresql://quillon@127.0.0.1:$port/quillon_test (cluster in $folder)"
    ;;
stop)
    bindir=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
    if [ -n "$bindir" ] && [ -d "$folder/data" ]; then
        as_owner "$bindir/pg_ctl" -D "$folder/data" -m fast -w stop >/dev/null 2>&1 || true
    fi
    rm -rf "$folder"
    ;;
*)
    echo "usage: $0 start|stop FOLDER" >&2
    exit 2
    ;;
esac
