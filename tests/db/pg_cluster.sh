#!/usr/bin/env bash
# A throwaway PostgreSQL cluster for the server tests.
#
#   pg_cluster.sh start STATE      makes a cluster in a new temporary folder and writes STATE
#   pg_cluster.sh stop STATE       stops it and removes the folder (also one a crashed run left)
#   pg_cluster.sh ctl STATE primary|standby start|stop|restart
#
# The cluster: a primary and a hot standby streaming from it (a read-only replica), each
# listening only on a unix socket in the cluster's folder (no TCP), database "netz", user
# "kor" with a password (scram-sha-256, so the tests see password handling). Started as root,
# the servers run as the unprivileged user "nobody" (PostgreSQL refuses root). STATE is a
# file of shell assignments: KOR_PG_DIR, KOR_PG_PRIMARY, KOR_PG_STANDBY (URLs), KOR_PG_PASSWORD.
set -euo pipefail

command=${1:-}
state=${2:-}
[ -n "$command" ] && [ -n "$state" ] || { echo "usage: $0 start|stop|ctl STATE ..." >&2; exit 2; }

bin=${KOR_PG_BIN:-}
if [ -z "$bin" ]; then
  for d in /usr/lib/postgresql/15/bin $(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -rV); do
    [ -x "$d/initdb" ] && { bin=$d; break; }
  done
fi
[ -n "$bin" ] && [ -x "$bin/initdb" ] || { echo "pg_cluster: no PostgreSQL server found (apt-get install postgresql)" >&2; exit 1; }

as_owner() {
  if [ "$(id -u)" -eq 0 ]; then
    runuser -u nobody -- "$@"
  else
    "$@"
  fi
}

stop_cluster() {
  [ -f "$state" ] || return 0
  # shellcheck disable=SC1090
  . "$state"
  if [ -n "${KOR_PG_DIR:-}" ] && [ -d "$KOR_PG_DIR" ]; then
    (cd "$KOR_PG_DIR" && for node in primary standby; do
       [ -f "$KOR_PG_DIR/$node/postmaster.pid" ] && as_owner "$bin/pg_ctl" -D "$KOR_PG_DIR/$node" -m immediate -w stop >/dev/null 2>&1
       true
     done)
    rm -rf "$KOR_PG_DIR"
  fi
  rm -f "$state"
}

case "$command" in
stop)
  stop_cluster
  ;;
ctl)
  node=${3:?primary or standby}
  action=${4:?start, stop or restart}
  # shellcheck disable=SC1090
  . "$state"
  cd "$KOR_PG_DIR"
  case "$action" in
    start|restart) as_owner "$bin/pg_ctl" -D "$KOR_PG_DIR/$node" -l "$KOR_PG_DIR/$node.log" -w -t 30 "$action" -m fast >/dev/null ;;
    stop) as_owner "$bin/pg_ctl" -D "$KOR_PG_DIR/$node" -w -t 30 -m fast stop >/dev/null ;;
    *) echo "pg_cluster: unknown action $action" >&2; exit 2 ;;
  esac
  ;;
start)
  stop_cluster  # what an earlier run left behind
  dir=$(mktemp -d /tmp/korpg.XXXXXX)
  chmod 700 "$dir"
  if [ "$(id -u)" -eq 0 ]; then
    chown nobody: "$dir"
  fi
  cd "$dir"
  password="kor-Geheim-$$-$RANDOM"
  mkdir "$dir/sock"
  printf '%s\n' "$password" > "$dir/pw"
  if [ "$(id -u)" -eq 0 ]; then
    chown nobody: "$dir/sock" "$dir/pw"
  fi
  {
    echo "KOR_PG_DIR='$dir'"
    echo "KOR_PG_PASSWORD='$password'"
    echo "KOR_PG_PRIMARY='postgresql://kor:$password@/netz?host=$dir/sock&port=5432'"
    echo "KOR_PG_STANDBY='postgresql://kor:$password@/netz?host=$dir/sock&port=5433'"
  } > "$state"
  started=0
  trap '[ "$started" = 1 ] || stop_cluster' EXIT  # a failed start leaves nothing behind
  as_owner "$bin/initdb" -D "$dir/primary" -U kor --pwfile="$dir/pw" -A scram-sha-256 -E UTF8 --locale=C -N --wal-segsize=1 \
    >"$dir/initdb.log" 2>&1 || { cat "$dir/initdb.log" >&2; exit 1; }
  cat >> "$dir/primary/postgresql.conf" <<EOF
listen_addresses = ''
unix_socket_directories = '$dir/sock'
port = 5432
fsync = off
synchronous_commit = off
full_page_writes = off
shared_buffers = 16MB
max_connections = 60
wal_level = replica
max_wal_senders = 4
min_wal_size = 4MB
max_wal_size = 64MB
EOF
  as_owner "$bin/pg_ctl" -D "$dir/primary" -l "$dir/primary.log" -w -t 30 start >/dev/null \
    || { cat "$dir/primary.log" >&2; exit 1; }
  export PGPASSWORD=$password
  as_owner "$bin/psql" -X -q -h "$dir/sock" -p 5432 -U kor -d postgres -c "CREATE DATABASE netz" >/dev/null
  as_owner "$bin/pg_basebackup" -h "$dir/sock" -p 5432 -U kor -D "$dir/standby" -R -X stream -c fast >/dev/null
  echo "port = 5433" >> "$dir/standby/postgresql.conf"
  as_owner "$bin/pg_ctl" -D "$dir/standby" -l "$dir/standby.log" -w -t 30 start >/dev/null \
    || { cat "$dir/standby.log" >&2; exit 1; }
  started=1
  echo "pg_cluster: primary and standby in $dir"
  ;;
*)
  echo "usage: $0 start|stop|ctl STATE ..." >&2
  exit 2
  ;;
esac
