# Sourced by run.sh and test.sh: installs the Debian packages the build, the program and
# the tests need, and does nothing (quickly) when they are all there.
velmora_deps() {
  local need=(cmake ninja-build g++ googletest libgtest-dev mingw-w64 g++-mingw-w64-i686-posix
              wine wine32:i386 wine64 fonts-wine xvfb xauth x11-utils imagemagick dovecot-pop3d mailutils-pop3d dovecot-imapd
              nsis zip openssl clang-14 libclang-rt-14-dev ccache chrony faketime)
  local missing=() p
  for p in "${need[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  $sudo dpkg --add-architecture i386
  $sudo apt-get update -qq
  # The tests run their own POP3 peer from a private configuration: keep the packages'
  # system-wide services from starting (and holding its port) while they are installed.
  # A policy the machine already has is left as it is.
  local policy=""
  if [ ! -e /usr/sbin/policy-rc.d ]; then
    policy=$(mktemp)
    printf '#!/bin/sh\nexit 101\n' >"$policy"
    chmod +x "$policy"
    $sudo cp "$policy" /usr/sbin/policy-rc.d
  fi
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
  local rc=$?
  if [ -n "$policy" ]; then
    $sudo rm -f /usr/sbin/policy-rc.d "$policy"
    rm -f "$policy"
  fi
  return $rc
}

# Configures (once) and builds: "all" the three configurations, "native" only the portable
# code and the unit tests, "win32" only the cross-built programs, "program" only velmora.exe
# with the files it ships beside it and the driver run.sh moves the pointer with.
velmora_build() {
  local root=$1 what=${2:-all}
  # Paths relative to the tree, so that the compiler cache serves every checkout.
  export CCACHE_BASEDIR="$root" CCACHE_NOHASHDIR=1
  if [ "$what" = all ] || [ "$what" = native ]; then
    [ -f "$root/build/native/build.ninja" ] || cmake -S "$root" -B "$root/build/native" -G Ninja >/dev/null
    cmake --build "$root/build/native" -j2
  fi
  if [ "$what" = all ]; then
    [ -f "$root/build/fuzz/build.ninja" ] ||
      CC=clang-14 CXX=clang++-14 cmake -S "$root" -B "$root/build/fuzz" -G Ninja -DVELMORA_FUZZ=ON >/dev/null
    cmake --build "$root/build/fuzz" -j2
  fi
  [ "$what" = native ] && return 0
  [ -f "$root/build/win32/build.ninja" ] ||
    cmake -S "$root" -B "$root/build/win32" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw32.cmake" >/dev/null
  if [ "$what" = program ]; then
    local lang=() l
    for l in "$root"/resources/lang/*.ini; do lang+=("$(basename "$l")"); done
    cmake --build "$root/build/win32" -j2 --target velmora e2edriver velmora.hlp man.wav "${lang[@]}"
  else
    cmake --build "$root/build/win32" -j2
  fi
}
