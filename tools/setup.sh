#!/usr/bin/env bash
# One-time machine set-up: cross toolchain, Wine with 32-bit Mesa, fonts,
# locale, and a cached mingw build of OpenSSL's libcrypto.  Safe to rerun:
# every step is skipped when its result is already present.
set -euo pipefail

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
CACHE="${QUORL_CACHE:-/var/cache/quorl-deps}"
OPENSSL_PREFIX="$CACHE/openssl-i686-w64-mingw32"

PKGS=(
  mingw-w64 g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686
  libz-mingw-w64-dev cmake ninja-build make clang libclang-rt-14-dev
  googletest xvfb xauth xdotool imagemagick locales fonts-nanum libfreetype-dev python3
  dpkg-dev perl
  wine wine32:i386 wine64 libwine:i386
  libgl1-mesa-dri:i386 libglx-mesa0:i386 libgl1:i386
)

# The stamp names the package list, so that a changed list installs again.
STAMP="$CACHE/.apt-done-$(printf '%s\n' "${PKGS[@]}" | md5sum | cut -c1-12)"
need_apt=0
[ -f "$STAMP" ] || need_apt=1
command -v i686-w64-mingw32-g++-posix >/dev/null || need_apt=1
command -v wine >/dev/null || need_apt=1

$SUDO mkdir -p "$CACHE"
if [ "$need_apt" = 1 ]; then
  export DEBIAN_FRONTEND=noninteractive
  $SUDO dpkg --add-architecture i386
  # Source entries for the same suites, so that OpenSSL is built from
  # Debian's own source package.
  if [ ! -f /etc/apt/sources.list.d/quorl-src.sources ]; then
    $SUDO tee /etc/apt/sources.list.d/quorl-src.sources >/dev/null <<'SRC'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg

Types: deb-src
URIs: http://deb.debian.org/debian-security
Suites: bookworm-security
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
  fi
  $SUDO apt-get update -q
  $SUDO apt-get install -y -q --no-install-recommends "${PKGS[@]}"
  $SUDO touch "$STAMP"
fi

# Korean locale: Wine takes its ANSI code page (949) from LANG.
if ! locale -a 2>/dev/null | grep -qi '^ko_KR.utf8$'; then
  $SUDO sed -i 's/^# *\(ko_KR.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^ko_KR.UTF-8 UTF-8' /etc/locale.gen || echo 'ko_KR.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
  $SUDO locale-gen
fi

# libcrypto for the i686 mingw target, once, outside the checkout.
if [ ! -f "$OPENSSL_PREFIX/lib/libcrypto.a" ] && [ ! -f "$OPENSSL_PREFIX/lib64/libcrypto.a" ]; then
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  # The newest listed version is not always on the mirror yet: take the
  # first one that downloads.
  got=""
  for v in $(apt-cache showsrc openssl | sed -n 's/^Version: //p' | sort -rV); do
    if ( cd "$work" && apt-get source -q --download-only "openssl=$v" >/dev/null 2>&1 ); then got=$v; break; fi
    rm -f "$work"/openssl_*
  done
  [ -n "$got" ] || { echo "setup: cannot fetch the openssl source package" >&2; exit 1; }
  ( cd "$work" && dpkg-source -x openssl_*.dsc src >/dev/null )
  ( cd "$work/src" &&
    ./Configure mingw --cross-compile-prefix=i686-w64-mingw32- no-shared no-tests no-asm \
        --prefix="$OPENSSL_PREFIX" --libdir=lib >/dev/null &&
    make -s -j"$(nproc)" build_libs >/dev/null &&
    make -s install_dev >/dev/null )
fi
echo "setup: ok (openssl in $OPENSSL_PREFIX)"
