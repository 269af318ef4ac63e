#!/usr/bin/env bash
# Installs what is needed, builds and runs every test headless. The suites of
# the server engine run against a throw-away PostgreSQL server on the loopback
# address, started here and stopped at the end.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh

PG_SCRIPT="$PWD/scripts/pg-server.sh"
if uri=$(bash "$PG_SCRIPT" start); then
  trap 'bash "$PG_SCRIPT" stop' EXIT
  export TARVELO_TEST_PG="$uri"
  echo "Test server for the PostgreSQL suites: $uri"
elif [ -n "${CI:-}" ]; then
  echo "The PostgreSQL test server could not be started." >&2
  exit 1
else
  echo "No PostgreSQL test server: the *_pg suites will be skipped." >&2
fi

cd build
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2
cd ..

# The Debian package made from this build: its files, desktop entry, metadata
# and manual page, the unpacked program, and lintian.
bash tests/package-check.sh build
