#!/usr/bin/env bash
# Writes the third-party notices of one Windows build of the program, from
# installer/notices.txt.in and what the build's link map shows went into it:
#   notices.sh BUILD/PondixScreenLoader.exe.map OUT.txt
# Versions and licence texts come from what that build used: the libjpeg-turbo
# source package that setup.sh unpacked (checked against the built library)
# and the Debian packages that own the MinGW-w64 and GCC libraries. A linked
# library the notices have no section for, or a section with nothing linked,
# stops it, as does a licence text not found where it was. The result is a
# Windows text file: UTF-8 with a byte order mark (Notepad before Windows 10
# takes text without one for the ANSI code page) and CR LF line ends.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
[ $# = 2 ] || { echo "usage: notices.sh PROGRAM.exe.map OUT.txt" >&2; exit 2; }
map=$1
out=$2
fail() { echo "notices: $*" >&2; exit 1; }
[ -f "$map" ] || fail "no link map '$map' (the Windows builds link with -Map)"
build=$(cd "$(dirname "$map")" && pwd)
blocks=$(mktemp -d)
trap 'rm -rf "$blocks"' EXIT

# What the linker took: archives a member came from, and objects loaded whole.
# Relative names are the build's own libraries and objects.
system=()
jpeg_lib=""
while IFS= read -r input; do
  [[ $input == /* ]] || continue
  path=$(realpath -m "$input")
  case $path in
    "$build"/*) ;;
    "$top"/build/deps/*/lib/libjpeg.a) jpeg_lib=$path ;;
    *) system+=("$path") ;;
  esac
done < <(awk '/^(Discarded input sections|Allocating common symbols|Memory Configuration)$/ { done = 1 }
              !done && /^[^ \t].*\.a\(/ { sub(/\(.*/, ""); print }
              /^LOAD .*\.o(bj)?$/ { print $2 }' "$map" | sort -u)
[ -n "$jpeg_lib" ] || fail "$map shows no libjpeg-turbo, which the notices name"
[ ${#system[@]} -gt 0 ] || fail "$map shows no runtime libraries"

owners=$(dpkg -S "${system[@]}" 2>&1) ||
  fail "linked in, and from no Debian package the notices know:"$'\n'"$(grep '^dpkg-query' <<<"$owners")"
mingw_pkgs=()
gcc_pkgs=()
while IFS= read -r line; do
  pkg=${line%%: /*}
  pkg=${pkg%%:*}  # architecture qualifier
  case $pkg in
    mingw-w64-*-dev) mingw_pkgs+=("$pkg") ;;
    gcc-mingw-w64-* | g++-mingw-w64-*) gcc_pkgs+=("$pkg") ;;
    *) fail "${line#*: } (Debian package $pkg) is linked in, and the notices have no section for it" ;;
  esac
done < <(grep -v '^diversion ' <<<"$owners")
mapfile -t mingw_pkgs < <(printf '%s\n' "${mingw_pkgs[@]}" | sort -u)
mapfile -t gcc_pkgs < <(printf '%s\n' "${gcc_pkgs[@]}" | sort -u)
[ ${#mingw_pkgs[@]} -gt 0 ] || fail "$map shows no MinGW-w64 runtime, which the notices name"
[ ${#gcc_pkgs[@]} -gt 0 ] || fail "$map shows no GCC runtime, which the notices name"

upstream() { local v=${1#*:}; echo "${v%%-*}"; }  # 1:2.1.5-2 -> 2.1.5
# "pkg version and pkg version"; the upstream versions, each once.
packages_of() { local p s=""; for p; do s+="${s:+ and }$p $(dpkg-query -W -f='${Version}' "$p")"; done; echo "$s"; }
upstreams_of() { local p; for p; do upstream "$(dpkg-query -W -f='${Version}' "$p")"; done | sort -u | paste -sd/; }

jsrc=$(find "$top/build/deps/src" -maxdepth 1 -type d -name 'libjpeg-turbo-*' | sort | head -n1)
[ -n "$jsrc" ] || fail "no libjpeg-turbo source under build/deps/src (scripts/setup.sh unpacks it)"
jpeg_version=$(sed -n 's/^set(VERSION \([0-9.]*\))$/\1/p' "$jsrc/CMakeLists.txt")
built_version=$(sed -n 's/^#define LIBJPEG_TURBO_VERSION  *\([0-9.]*\)$/\1/p' "$(dirname "$jpeg_lib")/../include/jconfig.h")
[ -n "$jpeg_version" ] && [ "$jpeg_version" = "$built_version" ] ||
  fail "the libjpeg-turbo source is '$jpeg_version', the linked library '$built_version'"
jpeg_debian=$(sed -n '1s/^libjpeg-turbo (\([^)]*\)).*/\1/p' "$jsrc/debian/changelog")

# block NAME PHRASE: the text on stdin becomes block NAME, which must hold PHRASE.
block() {
  # Blank lines at either end go.
  sed -e :a -e '/^\n*$/{$d;N;ba' -e '}' | sed '/./,$!d' >"$blocks/$1"
  grep -qF "$2" "$blocks/$1" || fail "the text for $1 was not found where it was (no '$2')"
}
# The lines between the line START and the line END, both exact.
between() { awk -v s="$2" -v e="$3" 'on && $0 == e { exit } on { print } $0 == s { on = 1 }' "$1"; }

between "$jsrc/README.ijg" "LEGAL ISSUES" "REFERENCES" | sed '1{/^=*$/d}' |
  block IJG "Permission is hereby granted to use, copy, modify, and distribute"
between "$jsrc/LICENSE.md" "The Modified (3-clause) BSD License" "Why Three Licenses?" |
  sed -e '1{/^=*$/d}' -e 's/<br>$//' | block BSD "Redistribution and use in source and binary forms"
awk '/^; Copyright/ { on = 1 } on { sub(/^; ?/, ""); print } on && /This notice may not be removed/ { exit }' \
  "$jsrc/simd/nasm/jsimdext.inc" | block ZLIB "3. This notice may not be removed or altered"

# Debian's copyright file is machine-readable: the paragraphs whose files make
# up the runtime and winpthreads (not the profiling start-up, not the tests),
# and the licence texts they refer to by name.
awk 'function ours(files,   n, i, f, list) {
       n = split(files, list, /[ \t]+/)
       for (i = 1; i <= n; i++) {
         f = list[i]
         if (f == "*") return 1
         if (f ~ /^mingw-w64-crt\// && f !~ /^mingw-w64-crt\/profile\//) return 1
         if (f ~ /^mingw-w64-libraries\/winpthreads\// && f !~ /\/tests_pthread\//) return 1
       }
       return 0
     }
     BEGIN { RS = ""; FS = "\n" }
     {
       text[NR] = $0
       files = ""; license = ""; cont = 0
       for (i = 1; i <= NF; i++) {
         if ($i ~ /^Files:/) { files = substr($i, 7); cont = 1; continue }
         if (cont && $i ~ /^[ \t]/) { files = files " " $i; continue }
         cont = 0
         if ($i ~ /^License:/ && license == "") { license = substr($i, 9); sub(/^[ \t]+/, "", license) }
       }
       if (files != "" && ours(files)) {
         keep[NR] = 1
         n = split(license, names, / and | or /)
         for (j = 1; j <= n; j++) wanted[names[j]] = 1
       } else if (files == "" && $1 ~ /^License:/) {
         standalone[NR] = license
       }
     }
     END { for (r = 1; r <= NR; r++) if (keep[r] || (r in standalone && standalone[r] in wanted)) print text[r] "\n" }' \
  "/usr/share/doc/${mingw_pkgs[0]}/copyright" | block MINGW "Files: mingw-w64-libraries/winpthreads/*"

awk '/^GCC RUNTIME LIBRARY EXCEPTION$/ { on = 1 } on { print } on && /requirements of the license of GCC\.$/ { exit }' \
  "/usr/share/doc/${gcc_pkgs[0]}/copyright" | block RLE "1. Grant of Additional Permission."
block GPL3 "Version 3, 29 June 2007" </usr/share/common-licenses/GPL-3

JPEG_VERSION=$jpeg_version JPEG_DEBIAN_VERSION=$jpeg_debian \
  MINGW_VERSION=$(upstreams_of "${mingw_pkgs[@]}") MINGW_PACKAGES=$(packages_of "${mingw_pkgs[@]}") \
  GCC_VERSION=$(upstreams_of "${gcc_pkgs[@]}") GCC_PACKAGES=$(packages_of "${gcc_pkgs[@]}") \
  awk -v blocks="$blocks" '
    /^@@[A-Z0-9]+@@$/ { f = blocks "/" substr($0, 3, length($0) - 4); while ((getline l < f) > 0) print l; close(f); next }
    {
      while (match($0, /@[A-Z_]+@/)) {
        k = substr($0, RSTART + 1, RLENGTH - 2)
        if (!(k in ENVIRON)) { print "notices: no value for @" k "@" > "/dev/stderr"; exit 1 }
        $0 = substr($0, 1, RSTART - 1) ENVIRON[k] substr($0, RSTART + RLENGTH)
      }
      print
    }' "$top/installer/notices.txt.in" | sed -e 's/$/\r/' -e '1s/^/\xef\xbb\xbf/' >"$out.tmp"
mv "$out.tmp" "$out"
