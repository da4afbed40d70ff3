#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian packages the game needs to build, run and test, and
# only those that are missing: on a machine that has them all it does nothing.
# Packages named on its command line, tools a script needs besides (such as
# clang-tidy for scripts/tidy.sh), are installed the same way:
#   scripts/bootstrap.sh [PACKAGE...]
set -euo pipefail

packages=(
  g++ cmake make pkg-config
  qt6-base-dev           # Qt 6 Core, Network, Gui, Widgets, Test
  qt6-qpa-plugins        # the X11 platform to play on
  libgtest-dev           # GoogleTest
  libssl-dev             # OpenSSL: the hub's TLS and its certificate
  libwslay-dev           # the WebSocket codec that carries browser players
  libqrencode-dev        # QR codes of the browser link
  qt6-websockets-dev     # a WebSocket client for the hub's tests and benchmarks
  fonts-liberation       # Arial- and Tahoma-like faces for the board and cards
  fonts-noto-color-emoji # emoji in names and chat, as the package recommends
  desktop-file-utils     # desktop-file-validate, for the installed desktop entry
  appstream              # appstreamcli, for the installed AppStream data
  qt6-speech-dev         # Qt text to speech, for spoken calls
  qt6-declarative-dev    # its CMake package needs Qt6QmlIntegration, which Debian's qt6-speech-dev omits
  qt6-speech-flite-plugin # a speech engine that needs no daemon
  libminiupnpc-dev libnatpmp-dev # a hosted game asks the home router to forward its port
  miniupnpd miniupnpc nftables iproute2 # the tests' home router, in network namespaces
  libjs-jshash           # SHA-256 in JavaScript: the browser player deals seeded cards over plain http
  nodejs chromium        # the browser player's tests: Node's test runner, and a real browser
  xvfb dbus at-spi2-core python3-pyatspi # the screen-reader test: a display, a private session and accessibility bus, a reader of it
  "$@"
)

# Debian's npm, unless a node that brings its own is installed already.
command -v npm >/dev/null 2>&1 || packages+=(npm)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "bootstrap: installing ${missing[*]}"
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The browser test drives chromium with puppeteer-core, locked in package-lock.json.
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
if [ ! -d "$top/node_modules/puppeteer-core" ]; then
  echo "bootstrap: npm ci (puppeteer-core, for the browser test)"
  (cd "$top" && npm ci --no-audit --no-fund --loglevel=error)
fi
