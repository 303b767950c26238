#!/usr/bin/env bash
# Runs the message box under a virtual X display, finds its window by the
# caption "OrvexScope", presses OK and expects the result 1 (IDOK).
set -u
exe=$1
display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1024x768x24 >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb $app 2>/dev/null; wait 2>/dev/null' EXIT
export DISPLAY=$display
sleep 1
wine "$exe" &
app=$!
window=""
for _ in $(seq 1 120); do
    window=$(xdotool search --name '^OrvexScope$' 2>/dev/null | head -n 1)
    [ -n "$window" ] && break
    sleep 0.5
done
if [ -z "$window" ]; then
    echo "no window with the caption OrvexScope appeared"
    exit 1
fi
sleep 0.5
xdotool windowactivate --sync "$window" >/dev/null 2>&1 || xdotool windowfocus "$window"
xdotool key --window "$window" Return
for _ in $(seq 1 60); do
    kill -0 $app 2>/dev/null || break
    sleep 0.5
done
wait $app
result=$?
app=""
echo "message box result: $result"
[ "$result" -eq 1 ]
