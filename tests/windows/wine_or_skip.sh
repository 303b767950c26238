#!/usr/bin/env bash
# Runs one of the 32-bit Windows checks, or reports it skipped (exit code
# 77) on a machine that cannot execute 32-bit x86 programs at all: some
# virtual machines run 64-bit user code only, and Wine's 32-bit loader then
# fails with "Exec format error". The probe is the system's own 32-bit
# dynamic loader, which Wine's 32-bit half brings along; exit code 126 is
# the shell's "found but cannot execute".
set -u
loader=/lib/ld-linux.so.2
if [ -e "$loader" ]; then
    "$loader" --version >/dev/null 2>&1
    if [ $? -eq 126 ]; then
        echo "skipped: this machine cannot execute 32-bit x86 programs ($loader does not start)"
        exit 77
    fi
fi
exec "$@"
