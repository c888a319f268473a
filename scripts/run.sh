#!/usr/bin/env bash
# Installs what is missing, builds the tool and starts it. Without arguments it starts on the
# built-in virtual printer (--simulate), also when only other options are given
# (scripts/run.sh --lang en); pass --port DEVICE (e.g. /dev/ttyUSB0) for a real one.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake --preset default >/dev/null
cmake --build --preset default -j"${JOBS:-2}" --target tarvello tarvello-printer
case " $* " in
  *" --port "* | *" --port="* | *" --simulate "*) ;;
  *) set -- --simulate "$@" ;;
esac
exec build/default/tarvello "$@"
