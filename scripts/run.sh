#!/usr/bin/env bash
# Installs what is needed, builds, creates the database on first use and
# starts Tarvelo. The program folder (settings, log, database, backups) is
# ./home unless TARVELO_HOME names another. A database created here is filled
# with the sample clinic, its bookings around today; an existing database is
# never touched.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
home="${TARVELO_HOME:-$PWD/home}"
mkdir -p "$home"
# A workstation whose settings name a server database uses that one; its
# tables are made by the office's administrator (see README).
if grep -qiE '^[[:space:]]*DbName[[:space:]]*=[[:space:]]*postgres(ql)?://' "$home/tarvelo.ini" 2>/dev/null; then
  :
elif [ ! -f "$home/Tarvelo.db" ]; then
  ./build/tarvelo --create-database "$home/Tarvelo.db"
  ./build/tarvelo --home "$home" --load-sample || true
fi
exec ./build/tarvelo --home "$home" "$@"
