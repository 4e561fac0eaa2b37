# Shared set-up of scripts/run and scripts/test: the Debian packages the clock
# needs, installed when missing, and the build. Sourced, not run.

RELOGIO_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

# To build and to run: the compiler, Qt 6 with its multimedia and SVG parts,
# GStreamer's decoders (WAV and MP3 need "good"; WMA needs "libav" for the
# decoder and "ugly" for the container) and the fonts the windows are sized for.
RELOGIO_BUILD_PACKAGES=(
  cmake g++ make pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-multimedia-dev qt6-svg-dev libqt6svg6 qt6-qpa-plugins
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-plugins-ugly gstreamer1.0-libav
  gstreamer1.0-pulseaudio
  fonts-dejavu-core fonts-dejavu-extra
)

# To test headless: an X server, a tray host, a sound server with a silent
# sink, pointer and keyboard at the command line, fake time, sound and image
# tools, and the desktop-file and AppStream checkers.
RELOGIO_TEST_PACKAGES=(
  xvfb xauth x11-utils xdotool trayer
  pulseaudio pulseaudio-utils sox imagemagick faketime
  desktop-file-utils appstream dpkg-dev file procps
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
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get update -q || return 1
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -q "${missing[@]}"
}

# relogio_build <build dir> [cmake options...]
relogio_build() {
  local dir="$1"; shift
  cmake -S "$RELOGIO_ROOT" -B "$dir" "$@" >/dev/null || return 1
  cmake --build "$dir" -j"$(nproc)"
}
