#!/usr/bin/env bash
# A private PostgreSQL server for the tests and the benchmark, in a folder of its own, reached
# through a Unix socket in that folder only.
#   pgserver.sh start FOLDER    makes and starts it; prints its URL (database "zrt", user "zrt")
#   pgserver.sh stop FOLDER     stops it (the folder stays; a start again keeps the data)
#   pgserver.sh restart FOLDER  stops and starts it again, on the same socket
# The server refuses to run as root: as root it runs as the user postgres, who owns the folder.
# It skips fsync, as the tests need no durability; PGSERVER_FSYNC=on makes it sync every commit,
# as a plant's server does (the benchmark).
set -euo pipefail
command=$1
folder=$2
bin=$(ls -d /usr/lib/postgresql/*/bin 2> /dev/null | sort -V | tail -n 1)
[ -x "$bin/initdb" ] || { echo "pgserver: PostgreSQL is not installed (postgresql-15)" >&2; exit 1; }
as_owner() {
  if [ "$(id -u)" -eq 0 ]; then runuser -u postgres -- "$@"; else "$@"; fi
}
data="$folder/data"
log="$folder/server.log"

start() {
  if [ ! -d "$data" ]; then
    mkdir -p "$folder"
    [ "$(id -u)" -ne 0 ] || chown postgres: "$folder"
    chmod 700 "$folder"
    as_owner "$bin/initdb" -D "$data" -U postgres --auth=trust -E UTF8 --locale=C.UTF-8 \
      > "$folder/initdb.log" 2>&1 || { cat "$folder/initdb.log" >&2; exit 1; }
    fresh=1
  fi
  local options="-c listen_addresses='' -k $folder -c fsync=${PGSERVER_FSYNC:-off}"
  as_owner "$bin/pg_ctl" -D "$data" -l "$log" -w -t 60 -o "$options -c max_connections=100" start \
    > /dev/null || { cat "$log" >&2; exit 1; }
  if [ -n "${fresh:-}" ]; then
    as_owner "$bin/psql" -h "$folder" -U postgres -d postgres -v ON_ERROR_STOP=1 -q \
      -c "CREATE ROLE zrt LOGIN" -c "CREATE DATABASE zrt OWNER zrt" \
      || { echo "pgserver: cannot create the database" >&2; exit 1; }
  fi
  echo "postgresql://zrt@/zrt?host=$folder"
}

stop() {
  [ -d "$data" ] || return 0
  as_owner "$bin/pg_ctl" -D "$data" -m fast -w -t 60 stop > /dev/null 2>&1 || true
}

case $command in
  start) start ;;
  stop) stop ;;
  restart) stop; start > /dev/null ;;
  *) echo "usage: pgserver.sh start|stop|restart FOLDER" >&2; exit 2 ;;
esac
