#!/usr/bin/env bash
# Installs what is needed, builds, creates the database on first use and
# starts Tarvelo. The program folder (settings, log, database, backups) is
# ./home unless TARVELO_HOME names another.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
home="${TARVELO_HOME:-$PWD/home}"
mkdir -p "$home"
if [ ! -f "$home/Tarvelo.db" ]; then
  ./build/tarvelo --create-database "$home/Tarvelo.db"
fi
exec ./build/tarvelo --home "$home" "$@"
