#!/usr/bin/env bash
# Runs a 64-bit Windows check under Wine, or reports it skipped (exit code
# 77) where Wine cannot start 64-bit programs here.
set -u
wine=$1
if ! "$wine" cmd /c exit >/dev/null 2>&1; then
    echo "skipped: $wine cannot start 64-bit Windows programs on this machine"
    exit 77
fi
exec "$@"
