#!/bin/sh
# Starts or stops a throw-away PostgreSQL server for the plant database's tests.
#   plant-server.sh start DIR   initdb in DIR/data, listen on a Unix socket in DIR only
#   plant-server.sh stop DIR    stop it and remove DIR
#   plant-server.sh pause DIR   stop it, keeping its data (a plant database that went down)
#   plant-server.sh resume DIR  start it again on the same data
# The server refuses to run as root: as root it runs as the "postgres" system user the package
# creates. Where the server is not installed, start writes DIR/not-installed and succeeds, and
# the tests that need it skip saying so.
set -eu
action=$1
dir=$2

bindir=""
if command -v pg_config >/dev/null 2>&1 && [ -x "$(pg_config --bindir)/initdb" ]; then
  bindir=$(pg_config --bindir)
fi
if [ -z "$bindir" ]; then
  for d in $(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V -r); do
    if [ -x "$d/initdb" ]; then bindir=$d; break; fi
  done
fi

as_server() {
  if [ "$(id -u)" = 0 ]; then runuser -u postgres -- "$@"; else "$@"; fi
}

serve() {
  as_server "$bindir/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 30 \
    -o "-k $dir -c listen_addresses= -c fsync=off -c max_connections=40" start >/dev/null ||
    { cat "$dir/server.log"; exit 1; }
}

case $action in
pause)
  as_server "$bindir/pg_ctl" -D "$dir/data" -m fast -w stop >/dev/null
  ;;
resume)
  serve
  ;;
start)
  if [ -d "$dir" ] && [ -f "$dir/data/postmaster.pid" ]; then
    as_server "$bindir/pg_ctl" -D "$dir/data" -m immediate stop >/dev/null 2>&1 || true
  fi
  rm -rf "$dir"
  mkdir -p "$dir"
  if [ -z "$bindir" ]; then
    echo "PostgreSQL (initdb, pg_ctl) is not installed: the plant database tests are skipped" \
      > "$dir/not-installed"
    cat "$dir/not-installed"
    exit 0
  fi
  [ "$(id -u)" = 0 ] && chown postgres "$dir"
  as_server "$bindir/initdb" -D "$dir/data" -U postgres -A trust --no-sync -E UTF8 \
    >"$dir/initdb.log" 2>&1 || { cat "$dir/initdb.log"; exit 1; }
  serve
  echo "PostgreSQL from $bindir listens on $dir"
  ;;
stop)
  if [ -n "$bindir" ] && [ -f "$dir/data/postmaster.pid" ]; then
    as_server "$bindir/pg_ctl" -D "$dir/data" -m fast -w stop >/dev/null
  fi
  rm -rf "$dir"
  ;;
*)
  echo "usage: $0 start|stop|pause|resume DIR" >&2
  exit 2
  ;;
esac
