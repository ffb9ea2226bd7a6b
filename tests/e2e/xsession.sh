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
# Xvfb picks a free display itself and writes its number to fd 5, so two
# sessions started at once never race for the same one.
dfile=$(mktemp)
Xvfb -displayfd 5 -screen 0 1280x900x24 -nolisten tcp 5>"$dfile" >/dev/null 2>&1 & X=$!
disp=
for i in $(seq 1 150); do
  n=$(head -n1 "$dfile" 2>/dev/null)
  if [ -n "$n" ] && xdpyinfo -display ":$n" >/dev/null 2>&1; then disp=:$n; break; fi
  kill -0 $X 2>/dev/null || break
  sleep 0.1
done
rm -f "$dfile"
if [ -z "$disp" ]; then echo "xsession: Xvfb did not start" >&2; kill $X 2>/dev/null; exit 2; fi
export DISPLAY=$disp QT_ACCESSIBILITY=1 QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_QPA_PLATFORM=xcb
/usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 & B=$!
sleep 0.5
"$@"; rc=$?
kill $B $X 2>/dev/null
exit $rc
INNER
exec timeout 600 dbus-run-session -- bash "$inner" "$@"
