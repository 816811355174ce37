#!/usr/bin/env bash
# Installs what is missing, builds and runs every test suite (offscreen, no display needed),
# the built Debian package included (tests/package-test.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh --tests
bash scripts/build.sh
cd build
# The data suites run on SQLite and, through a throw-away cluster CTest starts, on PostgreSQL.
status=0
QT_QPA_PLATFORM=offscreen ctest --output-on-failure --timeout 300 || status=$?
grep -h -m 1 "PostgreSQL runs of the data tests skipped" Testing/Temporary/LastTest.log 2>/dev/null || true
exit $status
