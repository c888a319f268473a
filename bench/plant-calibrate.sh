#!/usr/bin/env bash
# A station's calibration with the plant database up, stopped (a closed loopback port) and
# hanging (a loopback socket that accepts and never answers), against none at all:
# tarvello-cli calibrate reflective --yes on --simulate, RUNS times each (default 5).
# Two times per run, medians printed:
#   calibration  the record's own started..finished (milliseconds, from records show --json):
#                the run's work, which the plant database must not delay (goal: <= 1.02 x none)
#   process      the whole process, including the send after the record is stored
# Usage: bench/plant-calibrate.sh [RUNS]   (needs PostgreSQL's initdb, see scripts/plant-server.sh)
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-5}
cli=build/default/tarvello-cli
work=$(mktemp -d /tmp/tarvello-plant-bench.XXXXXX)
chmod 755 "$work" # the server runs as its own user where this runs as root
server=$work/pg
hang_pid=""
cleanup() {
  [ -n "$hang_pid" ] && kill "$hang_pid" 2>/dev/null || true
  sh scripts/plant-server.sh stop "$server" >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT
sh scripts/plant-server.sh start "$server" >/dev/null
[ -f "$server/not-installed" ] && { cat "$server/not-installed"; exit 1; }
"$cli" records init-plant --plant-db "host=$server user=postgres dbname=postgres" >/dev/null

# The hanging server: accepts on a loopback port and never answers.
python3 - "$work/hang-port" <<'EOF' &
import socket, sys, time
s = socket.socket(); s.bind(("127.0.0.1", 0)); s.listen(64)
open(sys.argv[1], "w").write(str(s.getsockname()[1]))
held = []
while True:
    held.append(s.accept()[0])
EOF
hang_pid=$!
while [ ! -s "$work/hang-port" ]; do sleep 0.1; done
hang_port=$(cat "$work/hang-port")

median() { sort -n | awk '{a[NR]=$1} END {print (NR%2) ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2}'; }

measure() { # name conninfo
  local name=$1 conn=$2 cal=() proc=()
  for i in $(seq "$runs"); do
    local args=(--simulate --json calibrate reflective --yes --reflective-standard 2.5
      --printer-id "bench-$name-$i" --records "$work/$name.sqlite")
    [ -n "$conn" ] && args+=(--plant-db "$conn")
    local t0 t1 id
    t0=$(date +%s%N)
    id=$(XDG_DATA_HOME=$work/data "$cli" "${args[@]}" |
      python3 -c 'import json,sys; print(json.load(sys.stdin)["record_id"])')
    t1=$(date +%s%N)
    proc+=($(((t1 - t0) / 1000000)))
    cal+=($("$cli" records show "$id" --json --records "$work/$name.sqlite" | python3 -c '
import json, sys
from datetime import datetime
r = json.load(sys.stdin)["record"]
f = lambda s: datetime.fromisoformat(s.replace("Z", "+00:00"))
print(int((f(r["finished"]) - f(r["started"])).total_seconds() * 1000))'))
  done
  local c p
  c=$(printf '%s\n' "${cal[@]}" | median)
  p=$(printf '%s\n' "${proc[@]}" | median)
  echo "$name $c $p"
}

results=$(
  measure none ""
  measure up "host=$server user=postgres dbname=postgres"
  measure stopped "host=127.0.0.1 port=1 user=postgres dbname=postgres"
  measure hanging "host=127.0.0.1 port=$hang_port user=postgres dbname=postgres"
)
echo "| plant database | calibration ms (median of $runs) | x none | process ms | x none |"
echo "|---|---|---|---|---|"
echo "$results" | awk 'NR==1 {c0=$2; p0=$3}
  {printf "| %s | %d | %.3f | %d | %.3f |\n", $1, $2, $2/c0, $3, $3/p0}'
