#!/usr/bin/env bash
# The real program under a virtual X display, driven by keyboard and mouse events from outside:
# it starts with the add-in, a person clicks into the grid, types a small table, saves it as CSV
# through the File menu's picker and quits. What the window showed is checked from the file it
# wrote and from its title. Exit 77 (skipped) when Xvfb or xdotool is missing.
set -euo pipefail
binary=$1
work=$(mktemp -d)
trap 'kill "${app_pid:-}" 2>/dev/null || true; rm -rf "$work"' EXIT
for tool in xvfb-run xdotool; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed (scripts/setup installs it)"; exit 77; }
done

if [ -z "${QV_E2E_INNER:-}" ]; then
  # Run again inside a fresh virtual display of our own.
  QV_E2E_INNER=1 exec xvfb-run -a -s "-screen 0 1280x900x24" bash "$0" "$@"
fi

export QUORVEL_REGISTRY=$work/registry.db
unset QT_QPA_PLATFORM

# Closes the add-in's messages (its window title is the product's) with Enter, the OK button,
# as long as they keep coming.
dismiss() {
  local msg
  for _ in $(seq 20); do
    sleep 0.4
    msg=$(xdotool search --onlyvisible --name "^Quorvel LT$" 2>/dev/null | head -1) || true
    [ -n "$msg" ] || return 0
    xdotool windowactivate --sync "$msg" 2>/dev/null || xdotool windowfocus --sync "$msg" 2>/dev/null || true
    xdotool key Return
  done
}

"$binary" >"$work/out.txt" 2>&1 &
app_pid=$!
win=$(xdotool search --sync --onlyvisible --name "Quorvel Sheets" | head -1)
[ -n "$win" ] || { echo "FAIL: no window"; cat "$work/out.txt"; exit 1; }
# The first start greets the person over the window.
dismiss
xdotool windowactivate --sync "$win" 2>/dev/null || xdotool windowfocus --sync "$win"
sleep 0.5

# A click in the middle of the window lands in the grid; Ctrl+Home goes to A1.
eval "$(xdotool getwindowgeometry --shell "$win")"
xdotool mousemove --window "$win" $((WIDTH / 2)) $((HEIGHT / 2)) click 1
sleep 0.2
xdotool key ctrl+Home
xdotool type --delay 20 "Name"; xdotool key Tab
xdotool type --delay 20 "Price"; xdotool key Return
xdotool key ctrl+Home Down
xdotool type --delay 20 "Tea"; xdotool key Tab
xdotool type --delay 20 "2.5"; xdotool key Return
sleep 0.3

# File > Save As: the picker takes a typed path.
xdotool key ctrl+shift+s
sleep 1
xdotool type --delay 10 "$work/typed.csv"
xdotool key Return
for _ in $(seq 50); do [ -s "$work/typed.csv" ] && break; sleep 0.1; done
title=$(xdotool getwindowname "$win")
xdotool windowfocus --sync "$win" 2>/dev/null || true
xdotool key ctrl+q
for _ in $(seq 50); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$app_pid" 2>/dev/null; then echo "FAIL: the window did not close (title '$title')"; cat "$work/out.txt"; xdotool search --onlyvisible --name "" getwindowname %@ 2>/dev/null | head; exit 1; fi

[ -s "$work/typed.csv" ] || { echo "FAIL: nothing saved"; cat "$work/out.txt"; exit 1; }
expected=$'Name,Price\nTea,2.5'
actual=$(tr -d '\r' <"$work/typed.csv")
if [ "$actual" != "$expected" ]; then
  echo "FAIL: the saved sheet differs"; echo "expected:"; echo "$expected"; echo "actual:"; echo "$actual"; exit 1
fi
case "$title" in
  typed.csv*) ;;
  *) echo "FAIL: the title shows '$title', not the saved book"; exit 1 ;;
esac
echo "PASS: typed, saved and closed; title '$title'"

# The demo database, when the samples are built: the form of a table, a cell typed into, a new
# row (F6) written with F7, and the file read back with the sqlite3 tool.
demo=${QV_DEMO_DATABASE:-$(dirname "$binary")/../samples/demo.db}
if [ ! -s "$demo" ] || ! command -v sqlite3 >/dev/null; then
  echo "SKIP: the demo database ($demo) or sqlite3 is missing; the form story was not run"
  exit 0
fi
cp "$demo" "$work/demo.db"
"$binary" --database "$work/demo.db" --table Categories >"$work/out2.txt" 2>&1 &
app_pid=$!
win=$(xdotool search --sync --onlyvisible --name "Quorvel Sheets" | head -1)
dismiss
xdotool windowactivate --sync "$win" 2>/dev/null || xdotool windowfocus --sync "$win"
sleep 0.5
# The form puts the cursor on the first cell a person may change: record 1's name.
xdotool type --delay 20 "Drinks"; xdotool key Return
sleep 0.3
xdotool key F6
sleep 0.5
xdotool type --delay 20 "Tea"; xdotool key Return
sleep 0.3
xdotool key F7
dismiss
xdotool windowactivate --sync "$win" 2>/dev/null || true
renamed=$(sqlite3 "$work/demo.db" "SELECT CategoryName FROM Categories WHERE CategoryID = 1")
added=$(sqlite3 "$work/demo.db" "SELECT count(*) FROM Categories WHERE CategoryName = 'Tea'")
xdotool key ctrl+q
sleep 0.5
dismiss
xdotool key --window "$win" n 2>/dev/null || true
for _ in $(seq 50); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.1; done
kill "$app_pid" 2>/dev/null || true
[ "$renamed" = "Drinks" ] || { echo "FAIL: record 1 is named '$renamed', not Drinks"; cat "$work/out2.txt"; exit 1; }
[ "$added" = "1" ] || { echo "FAIL: the new row Tea was not written ($added)"; cat "$work/out2.txt"; exit 1; }
echo "PASS: the demo database's form edited, a row added and written"
