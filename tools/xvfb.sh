# Sourced by the scripts that need a display: starts a private Xvfb server and stops
# it again by its process id.
xvfb_start() {
  local n
  for n in $(seq 90 130); do
    [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
    QM_XVFB_PID=$!
    sleep 1
    if kill -0 "$QM_XVFB_PID" 2>/dev/null; then
      export DISPLAY=":$n"
      return 0
    fi
  done
  echo "xvfb: no free display" >&2
  return 1
}

xvfb_stop() {
  if [ -n "${QM_XVFB_PID:-}" ]; then
    kill "$QM_XVFB_PID" 2>/dev/null || true
    wait "$QM_XVFB_PID" 2>/dev/null || true
    QM_XVFB_PID=
  fi
}
