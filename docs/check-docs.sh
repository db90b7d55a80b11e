#!/bin/sh
# Runs doxygen over the public headers with every warning an error.
# Usage: check-docs.sh <doxygen or empty> <Doxyfile>
# Exit 77 (the test's skip code) when doxygen is not installed.
doxygen="$1"
doxyfile="$2"
if [ -z "$doxygen" ] || ! command -v "$doxygen" >/dev/null 2>&1; then
  doxygen=$(command -v doxygen) || {
    echo "SKIPPED: doxygen is not installed (scripts/deps installs it)"
    exit 77
  }
fi
cd "$(dirname "$doxyfile")" || exit 1
log=$("$doxygen" "$(basename "$doxyfile")" 2>&1)
status=$?
if [ -n "$log" ]; then
  printf '%s\n' "$log"
  echo "doxygen reported the lines above: document the declarations they name"
  exit 1
fi
exit $status
