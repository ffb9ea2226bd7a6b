#!/usr/bin/env bash
# xsession.sh COMMAND...: runs COMMAND on a private Xvfb display with its own
# session bus and accessibility bus, the way a screen reader would see the
# program. Used by the tests that drive the real window with real key
# presses and clicks.
set -euo pipefail
for tool in Xvfb xdotool xdpyinfo dbus-run-session /usr/libexec/at-spi-bus-launcher; do
  command -v "$tool" >/dev/null || { echo "missing $tool (scripts/setup.sh installs it)" >&2; exit 2; }
done
inner=$(mktemp)
trap 'rm -f "$inner"' EXIT
cat > "$inner" <<'INNER'
set -u
for n in $(seq 0 20); do
  disp=:$((100 + RANDOM % 800))
  [ -e "/tmp/.X11-unix/X${disp#:}" ] || break
done
Xvfb "$disp" -screen 0 1280x900x24 -nolisten tcp >/dev/null 2>&1 & X=$!
for i in $(seq 1 150); do xdpyinfo -display "$disp" >/dev/null 2>&1 && break; sleep 0.1; done
export DISPLAY=$disp QT_ACCESSIBILITY=1 QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_QPA_PLATFORM=xcb
/usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 & B=$!
sleep 0.5
"$@"; rc=$?
kill $B $X 2>/dev/null
exit $rc
INNER
exec timeout 600 dbus-run-session -- bash "$inner" "$@"
