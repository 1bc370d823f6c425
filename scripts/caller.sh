# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced by dialer.sh and test.sh.
#
# rerun_as_caller SCRIPT [ARGS]: started as root through sudo by another user,
# runs SCRIPT again as that user, in that user's session (display, sound
# server), and does not return; else returns, and the script goes on as whoever
# runs it (as root on a machine without a desktop, such as CI).
rerun_as_caller() {
  if [ "$(id -u)" -ne 0 ] || [ -z "${SUDO_USER:-}" ] || [ "$SUDO_USER" = root ]; then
    return 0
  fi
  local uid v env=()
  uid=$(id -u "$SUDO_USER")
  if [ -d "/run/user/$uid" ]; then
    env+=("XDG_RUNTIME_DIR=/run/user/$uid")
    [ -S "/run/user/$uid/bus" ] && env+=("DBUS_SESSION_BUS_ADDRESS=unix:path=/run/user/$uid/bus")
  fi
  for v in DISPLAY XAUTHORITY WAYLAND_DISPLAY CI; do
    [ -n "${!v:-}" ] && env+=("$v=${!v}")
  done
  echo "Going on as $SUDO_USER"
  exec sudo -u "$SUDO_USER" -H env -u PULSE_SERVER "${env[@]}" bash "$@"
}
