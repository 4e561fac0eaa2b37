# SPDX-License-Identifier: GPL-3.0-or-later
# Shared set-up of scripts/run and scripts/test: the Debian packages the clock
# needs, installed when missing, and the build. Sourced, not run.

RELOGIO_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

# To build and to run: the compiler, Qt 6 with its multimedia and SVG parts,
# GStreamer's decoders (WAV and MP3 need "good"; WMA needs "libav" for the
# decoder and "ugly" for the container) and the fonts the windows are sized for;
# Debian's build flags and package tools, and gzip for the manual page.
RELOGIO_BUILD_PACKAGES=(
  cmake g++ make pkg-config dpkg-dev gzip
  qt6-base-dev qt6-base-dev-tools qt6-multimedia-dev qt6-svg-dev libqt6svg6 qt6-qpa-plugins
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-plugins-ugly gstreamer1.0-libav
  gstreamer1.0-pulseaudio
  fonts-dejavu-core fonts-dejavu-extra qt6-translations-l10n
  # The X11 event layout, to notice the notification area going away.
  libxcb1-dev
  # GStreamer's own interface, to keep its video sinks out of the decoder.
  libgstreamer1.0-dev
)

# To test headless: an X server, a tray host, a window manager that honours
# Motif hints, a sound server with a silent sink, pointer and keyboard at the
# command line, fake time, sound and image tools, the desktop-file and
# AppStream checkers, and Debian's package checker with the tools to read
# binaries and manual pages.
RELOGIO_TEST_PACKAGES=(
  xvfb xauth x11-utils xdotool xclip trayer icewm libx11-dev
  pulseaudio pulseaudio-utils sox imagemagick faketime
  # The other sound server of Debian's desktops, measured and tested beside
  # PulseAudio: PipeWire with its PulseAudio server and session manager.
  pipewire pipewire-pulse wireplumber
  desktop-file-utils appstream file procps ffmpeg
  lintian binutils man-db
  # Wayland: a headless compositor that takes screenshots, Qt's Wayland
  # platform, and the session and accessibility buses that drive the clock
  # where there is no input device.
  weston qt6-wayland dbus-daemon dbus-bin at-spi2-core python3-pyatspi
  # As on every desktop: libdbus can start a session bus of its own through
  # dbus-launch, which the tests must never leave it to do.
  dbus-x11
  # Notification areas on D-Bus: Xfce's panel with its own tray and with the
  # StatusNotifier plugin, and Python's D-Bus bindings for one like Plasma's.
  xfce4-panel xfce4-sntray-plugin python3-gi
  # As on many desktops, whose media players bring them: GStreamer's "bad"
  # plugins offer the decoder video and image sinks, which it must decline.
  gstreamer1.0-plugins-bad
)

# Only for the desktops lane (scripts/desktops), never for CI: GNOME Shell
# with XWayland and its tray extension, and KWin with its Breeze decorations
# and Plasma's shell (its panel, task manager and notification area).
RELOGIO_DESKTOP_PACKAGES=(
  gnome-shell gnome-shell-extension-appindicator xwayland libglib2.0-bin
  kwin-wayland breeze plasma-desktop kded5 kactivitymanagerd
)

relogio_install() {
  local missing=() pkg
  for pkg in "$@"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing+=("$pkg")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=""
  if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "Needs root or sudo to install: ${missing[*]}" >&2; return 1; }
    sudo="sudo"
  fi
  # Another apt (a desktop's automatic updates, say) may hold the lock a while.
  local wait=(-o DPkg::Lock::Timeout=600)
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get "${wait[@]}" update -q || return 1
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get "${wait[@]}" install -y -q "${missing[@]}"
}

# relogio_build <build dir> [cmake options...]
relogio_build() {
  local dir="$1"; shift
  # Each folder's sources compiled as one file: the Qt headers they share
  # are read once, and a build from nothing takes a fifth less time.
  cmake -S "$RELOGIO_ROOT" -B "$dir" -DCMAKE_UNITY_BUILD=ON -DCMAKE_UNITY_BUILD_BATCH_SIZE=0 "$@" >/dev/null || return 1
  cmake --build "$dir" -j"$(nproc)"
}

# ---- Headless services for the benchmarks (each test starts its own) -------
# relogio_headless <work dir>: starts an X server and a tray host, each
# stopped by its PID when the calling script exits. Sets DISPLAY and
# XDG_RUNTIME_DIR. The benchmarks that play start their own sound servers.
relogio_headless() {
  local work="$1"
  RELOGIO_PIDS=()
  trap relogio_stop_headless EXIT
  export LANG=C.UTF-8
  export XDG_RUNTIME_DIR="$work/runtime"
  mkdir -p -m 0700 "$XDG_RUNTIME_DIR"
  unset WAYLAND_DISPLAY PULSE_SERVER

  Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp -noreset 3>"$work/display" 2>"$work/xvfb.log" &
  RELOGIO_PIDS+=($!)
  relogio_wait_for 10 test -s "$work/display" || relogio_fail "the X server (Xvfb) did not start: $(cat "$work/xvfb.log")"
  export DISPLAY=":$(cat "$work/display")"

  trayer --edge bottom --align right --widthtype request --height 32 \
    --SetDockType false --SetPartialStrut false >"$work/trayer.log" 2>&1 &
  RELOGIO_PIDS+=($!)
  relogio_wait_for 10 sh -c 'xwininfo -root -tree | grep -q -i panel' \
    || relogio_fail "the tray host (trayer) did not start: $(cat "$work/trayer.log")"
}

relogio_stop_headless() {
  local pid
  for pid in "${RELOGIO_PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${RELOGIO_PIDS[@]}"; do wait "$pid" 2>/dev/null || true; done
  [ -n "${RELOGIO_WORK:-}" ] && rm -rf "$RELOGIO_WORK"
  return 0
}

relogio_fail() { echo "${0##*/}: $*" >&2; exit 1; }

# relogio_wait_for <seconds> <command...>: until the command succeeds.
relogio_wait_for() {
  local limit=$(( $1 * 10 )) i; shift
  for ((i = 0; i < limit; i++)); do
    "$@" >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  return 1
}
