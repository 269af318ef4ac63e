#!/usr/bin/env bash
# A throw-away PostgreSQL server on the loopback address for the tests and
# benchmarks: its own data folder, its own port, trust authentication for
# local connections only, nothing left behind after "stop".
#
#   bash scripts/pg-server.sh start   # prints the connection URI
#   bash scripts/pg-server.sh stop
#
# TARVELO_PG_DIR (default /tmp/tarvelo-pg) and TARVELO_PG_PORT (default 55432)
# choose the folder and port. Run as root, the server runs as the "postgres"
# user that Debian's package creates (the server refuses to run as root).
set -euo pipefail

DIR="${TARVELO_PG_DIR:-/tmp/tarvelo-pg}"
PORT="${TARVELO_PG_PORT:-55432}"
URI="postgresql://postgres@127.0.0.1:${PORT}/postgres"

BIN=""
for d in $(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V -r); do
  if [ -x "$d/initdb" ] && [ -x "$d/pg_ctl" ]; then BIN="$d"; break; fi
done
if [ -z "$BIN" ]; then
  echo "pg-server: no PostgreSQL server installed (Debian package postgresql)" >&2
  exit 1
fi

as_owner() {
  if [ "$(id -u)" -eq 0 ]; then
    runuser -u postgres -- "$@"
  else
    "$@"
  fi
}

case "${1:-}" in
  start)
    if [ -f "$DIR/data/postmaster.pid" ] && as_owner "$BIN/pg_ctl" -D "$DIR/data" status >/dev/null 2>&1; then
      echo "$URI"
      exit 0
    fi
    rm -rf "$DIR"
    mkdir -p "$DIR"
    if [ "$(id -u)" -eq 0 ]; then chown postgres: "$DIR"; fi
    as_owner "$BIN/initdb" -D "$DIR/data" -U postgres -A trust -E UTF8 --no-locale >"$DIR/initdb.log" 2>&1 \
      || { cat "$DIR/initdb.log" >&2; exit 1; }
    # Throw-away data: no flushing to disk, so that the tests' many small
    # databases are made quickly. TARVELO_PG_DURABLE=1 keeps the server's
    # normal flushing (for benchmarks that compare with the embedded engine).
    extra="-c fsync=off -c synchronous_commit=off -c full_page_writes=off"
    if [ "${TARVELO_PG_DURABLE:-0}" = "1" ]; then extra=""; fi
    as_owner "$BIN/pg_ctl" -D "$DIR/data" -l "$DIR/server.log" -w -t 60 \
      -o "-c listen_addresses=127.0.0.1 -p $PORT -k $DIR -c max_connections=200 $extra" start >/dev/null \
      || { cat "$DIR/server.log" >&2; exit 1; }
    echo "$URI"
    ;;
  stop)
    if [ -d "$DIR/data" ]; then
      as_owner "$BIN/pg_ctl" -D "$DIR/data" -m fast -w stop >/dev/null 2>&1 || true
    fi
    rm -rf "$DIR"
    ;;
  *)
    echo "usage: $0 start|stop" >&2
    exit 2
    ;;
esac
