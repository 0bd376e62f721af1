# Which Windows builds this host can run under Wine, and how to run each.
# Sourced by the scripts. Builds and Wine prefixes are named after
# the Windows architecture: win64 (x86_64, the primary build) and win32 (i686).
#   PSL_NO_32BIT=1 makes a host that can run 32-bit code behave as one that
#   cannot, so that path can be tried anywhere.

psl_arch_top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

psl_wine_loader() {  # psl_wine_loader win64|win32
  case "$1" in
    win64) echo /usr/lib/wine/wine64 ;;
    win32) echo /usr/lib/wine/wine ;;
    *) echo "unknown Windows architecture '$1'" >&2; return 2 ;;
  esac
}

# True when the kernel executes 32-bit x86 programs. Some hosts refuse them
# ("Exec format error") although the packages install; the smallest such
# program (exit code 7 through int 0x80) tells without any 32-bit package.
psl_host_runs_i386() {
  [ "${PSL_NO_32BIT:-0}" = 1 ] && return 1
  local probe="$psl_arch_top/build/.i386-probe.$$" rc  # tests that run at once each probe
  mkdir -p "$psl_arch_top/build"
  printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x60\x00\x00\x00\x60\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00\xb8\x01\x00\x00\x00\xbb\x07\x00\x00\x00\xcd\x80' >"$probe"
  chmod +x "$probe"
  "$probe" 2>/dev/null
  rc=$?
  rm -f "$probe"
  [ $rc = 7 ]
}

# Why the 32-bit Windows programs cannot run here; prints nothing and fails
# when they can.
psl_why_no_win32() {
  if [ "${PSL_NO_32BIT:-0}" = 1 ]; then
    echo "PSL_NO_32BIT=1 treats this host as one that cannot execute 32-bit x86 code"
  elif ! psl_host_runs_i386; then
    echo "this host cannot execute 32-bit x86 code"
  elif ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
    echo "32-bit Wine (wine32:i386) is not installed"
  else
    return 1
  fi
}

# psl_wine_path ARCH: a folder to put first on PATH, whose wine, wineboot and
# winepath use that architecture's loader. Debian's own commands of those
# names pick the 32-bit loader whenever it is installed.
psl_wine_path() {
  local arch=$1 loader dir="$psl_arch_top/build/wine/$1/bin" name
  loader=$(psl_wine_loader "$arch") || return 2
  mkdir -p "$dir"
  for name in wine wineboot winepath; do
    local cmd="exec $loader"
    [ "$name" = wine ] || cmd="$cmd $name"
    if [ ! -x "$dir/$name" ] || ! grep -qxF "$cmd \"\$@\"" "$dir/$name"; then
      printf '#!/bin/sh\nexport WINELOADER=%s\n%s "$@"\n' "$loader" "$cmd" >"$dir/$name.$$"
      chmod +x "$dir/$name.$$"
      mv "$dir/$name.$$" "$dir/$name"
    fi
  done
  echo "$dir"
}
