# Sourced by the scripts that need a display of their own. start_xvfb starts
# Xvfb on a display number the server picks itself (-displayfd), waits until it
# says it is ready, exports DISPLAY and sets xvfb_pid. The caller stops it.
start_xvfb() {
  local fifo_dir number=
  fifo_dir=$(mktemp -d)
  mkfifo "$fifo_dir/display"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fifo_dir/display" >/dev/null 2>&1 &
  xvfb_pid=$!
  # The server writes the number once it accepts connections; if it dies
  # first, the pipe closes and the read ends empty.
  read -r -t 30 number <"$fifo_dir/display" || true
  rm -rf "$fifo_dir"
  if [ -z "$number" ]; then
    kill "$xvfb_pid" 2>/dev/null || true
    echo "Xvfb did not start" >&2
    return 1
  fi
  export DISPLAY=:$number
}
