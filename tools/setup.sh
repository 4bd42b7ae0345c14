#!/usr/bin/env bash
# One-time machine set-up: cross toolchains (i686 and x86_64), Wine with
# 32-bit and 64-bit Mesa, fonts, locale, and cached mingw builds of OpenSSL's
# libcrypto for both targets.  Safe to rerun: every step is skipped when its
# result is already present.
set -euo pipefail

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
CACHE="${QUORL_CACHE:-/var/cache/quorl-deps}"

PKGS=(
  mingw-w64 g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  libz-mingw-w64-dev cmake ninja-build make clang libclang-rt-14-dev
  googletest xvfb xauth xdotool imagemagick locales fonts-nanum libfreetype-dev python3
  dpkg-dev perl libssl-dev lighttpd tinyproxy-bin
  wine wine32:i386 wine64 libwine:i386
  libgl1-mesa-dri:i386 libglx-mesa0:i386 libgl1:i386
  libgl1-mesa-dri libglx-mesa0 libgl1
)

# The stamp names the package list, so that a changed list installs again.
STAMP="$CACHE/.apt-done-$(printf '%s\n' "${PKGS[@]}" | md5sum | cut -c1-12)"
need_apt=0
[ -f "$STAMP" ] || need_apt=1
command -v i686-w64-mingw32-g++-posix >/dev/null || need_apt=1
command -v x86_64-w64-mingw32-g++-posix >/dev/null || need_apt=1
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

# libcrypto for each mingw target, once, outside the checkout.  The source
# package is fetched once and configured twice.
work=""
trap '[ -z "$work" ] || rm -rf "$work"' EXIT
fetch_openssl_source() {
  [ -z "$work" ] || return 0
  work=$(mktemp -d)
  # The newest listed version is not always on the mirror yet: take the
  # first one that downloads.
  local got="" v
  for v in $(apt-cache showsrc openssl | sed -n 's/^Version: //p' | sort -rV); do
    if ( cd "$work" && apt-get source -q --download-only "openssl=$v" >/dev/null 2>&1 ); then got=$v; break; fi
    rm -f "$work"/openssl_*
  done
  [ -n "$got" ] || { echo "setup: cannot fetch the openssl source package" >&2; exit 1; }
  ( cd "$work" && dpkg-source -x openssl_*.dsc src >/dev/null )
}
build_openssl() {  # build_openssl TRIPLE OPENSSL_TARGET
  local triple=$1 target=$2 prefix="$CACHE/openssl-$1"
  [ -f "$prefix/lib/libcrypto.a" ] && return 0
  fetch_openssl_source
  rm -rf "$work/build-$triple"
  cp -a "$work/src" "$work/build-$triple"
  echo "setup: building libcrypto for $triple (once)"
  ( cd "$work/build-$triple" &&
    ./Configure "$target" --cross-compile-prefix="$triple-" no-shared no-tests no-asm \
        --prefix="$prefix" --libdir=lib >/dev/null &&
    make -s -j"$(nproc)" build_libs >/dev/null &&
    make -s install_dev >/dev/null )
}
build_openssl i686-w64-mingw32 mingw
build_openssl x86_64-w64-mingw32 mingw64
echo "setup: ok (libcrypto in $CACHE/openssl-{i686,x86_64}-w64-mingw32)"
