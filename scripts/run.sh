#!/usr/bin/env bash
# Builds dunlo.exe and shows its dialog under Wine.
# With a display (DISPLAY set) the dialog opens there and waits for you.
# Without one, it runs on a virtual display of its own: presses Copy, prints
# the report from the clipboard, saves a screenshot, and closes the dialog.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh

say() { printf '==> %s\n' "$*" >&2; }

ensure_packages "${WINDOWS_PACKAGES[@]}" imagemagick

say "building dunlo.exe (build/win)"
cmake -S . -B build/win -G Ninja --toolchain cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null
cmake --build build/win --target dunlo dialog_driver >&2

# A Wine prefix of its own, so that neither yours nor the tests' is touched.
export WINEPREFIX="$PWD/build/win/run-wineprefix" WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    say "preparing a Wine prefix in $WINEPREFIX (once)"
    wineboot --init >/dev/null 2>&1
    wineserver -w
fi

# Headless runs show the dialog inside a Wine desktop window, which draws its
# caption for the screenshot; on a real display it is a window of its own.
explorer_key='HKCU\Software\Wine\Explorer'
if [ -n "${DISPLAY:-}" ]; then
    wine reg delete "$explorer_key" /v Desktop /f >/dev/null 2>&1 || true
    say "showing the dialog on $DISPLAY"
    status=0
    wine build/win/dunlo.exe || status=$?
    say "dunlo.exe ended with exit code $status"
    exit $status
fi

title="Quorvane Diagnostic Tool"
screenshot="$PWD/build/screenshots/dunlo-dialog.png"
mkdir -p "$(dirname "$screenshot")"

say "no DISPLAY: starting a virtual display"
exec {displayfd}<> <(:)
Xvfb -displayfd "$displayfd" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
read -r -t 30 number <&"$displayfd" || { echo "error: Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$number"

driver() { timeout 30 wine build/win/dialog_driver.exe "$@"; }
cleanup() {
    wineserver -k 2>/dev/null || true
    kill "$xvfb" 2>/dev/null || true
}
trap cleanup EXIT

wine reg add "$explorer_key" /v Desktop /d Default /f >/dev/null
wine reg add "$explorer_key\\Desktops" /v Default /d 420x300 /f >/dev/null
wineserver -k 2>/dev/null || true  # the desktop is read when the server starts

wine build/win/dunlo.exe >/dev/null 2>&1 &
for _ in $(seq 150); do
    xdotool search --onlyvisible --name "^$title\$" >/dev/null 2>&1 && break
    sleep 0.2
done
xdotool search --onlyvisible --name "^$title\$" >/dev/null 2>&1 || { echo "error: the dialog did not appear" >&2; exit 1; }
sleep 1  # let it paint

driver click 1001 || { echo "error: Copy could not be pressed" >&2; exit 1; }
say "the report, as Copy put it on the clipboard:"
driver clipboard | tr -d '\r'
echo
desktop=$(xdotool search --name ' - Wine desktop$' | head -1)
[ -n "$desktop" ] || { echo "error: no Wine desktop window to take a picture of" >&2; exit 1; }
import -window "$desktop" "$screenshot"
say "screenshot of the dialog: $screenshot"

driver click 1 || { echo "error: Close could not be pressed" >&2; exit 1; }
driver wait-gone 30 || { echo "error: the dialog did not close" >&2; exit 1; }
say "closed"
