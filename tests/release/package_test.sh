#!/usr/bin/env bash
# scripts/package.sh as a release is made, three times from scratch (about 5
# minutes on 2 cores): twice without a certificate, which must give unsigned
# files and the same SHA256SUMS; then with a throwaway code-signing
# certificate, which must sign every program, installer and the uninstaller
# inside each installer (checked on disk after a silent install under Wine),
# with the password on no command line. Both runs' installers (their version
# information), zips and winget manifests are checked against what they
# describe. build/dist is left empty: its files were signed with a key that
# is thrown away.
#   bash tests/release/package_test.sh
set -uo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
source "$top/scripts/wine-arch.sh"
version=$(sed -n 's/^project(PondixScreenLoader VERSION \([0-9.]*\) .*/\1/p' "$top/CMakeLists.txt")
dist="$top/build/dist"
mkdir -p "$top/build"
work=$(mktemp -d "$top/build/release-test.XXXXXX")
failures=0
check() {  # check DESCRIPTION COMMAND...
  local what=$1
  shift
  if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; failures=$((failures + 1)); fi
}
# Only the settings a release takes from the environment that this test sets.
package() { env -u PSL_SIGN_TIMESTAMP_URL -u PSL_RELEASE_URL -u PSL_SERVICE_HOST -u PSL_COMPANY_SITE "$@" bash "$top/scripts/package.sh"; }
signed() { osslsigncode verify -CAfile "$work/cert.pem" -in "$1" >"$1.verify" 2>&1; }
unsigned() { ! osslsigncode verify -in "$1" >/dev/null 2>&1; }
# The installer's version information: the project's version, in an English
# and a Russian block (windres reads the resources of either architecture).
versioned() {
  local rc
  rc=$(x86_64-w64-mingw32-windres -i "$1" -O rc 2>/dev/null)
  grep -q 'BLOCK "040904e4"' <<<"$rc" && grep -q 'BLOCK "041904e3"' <<<"$rc" &&
    [ "$(grep -c "VALUE \"ProductVersion\", \"$version\"" <<<"$rc")" = 2 ]
}

# What a zip holds, and the winget manifests against the installers beside them.
check_release() {  # check_release NAME FOLDER
  local name=$1 folder=$2 arch
  for arch in win64 win32; do
    local zip="$folder/PondixScreenLoader-$version-$arch.zip" into="$folder/unzipped-$arch"
    check "$name: the $arch installer's version information is $version, in English and Russian" \
      versioned "$folder/PondixScreenLoader-$version-$arch-setup.exe"
    check "$name: the $arch zip holds the program, the licence and the notices" \
      test "$(unzip -Z1 "$zip" | sort | tr '\n' ' ')" = "LICENSE.txt PondixScreenLoader.exe THIRD-PARTY-NOTICES.txt "
    unzip -q -o "$zip" -d "$into"
    check "$name: its LICENSE.txt is the MIT licence as a Windows text" cmp -s "$into/LICENSE.txt" <(sed 's/$/\r/' "$top/LICENSE")
    local jpeg
    jpeg=$(sed -n 's/^#define LIBJPEG_TURBO_VERSION  *//p' "$top/build/deps/$arch/include/jconfig.h")
    check "$name: its notices name libjpeg-turbo $jpeg, which the build linked, and the runtimes' licences" \
      bash -c "grep -q '^1\\. libjpeg-turbo $jpeg' '$into/THIRD-PARTY-NOTICES.txt' &&
               grep -q 'winpthreads' '$into/THIRD-PARTY-NOTICES.txt' &&
               grep -q 'GCC RUNTIME LIBRARY EXCEPTION' '$into/THIRD-PARTY-NOTICES.txt'"
  done
  check "$name: SHA256SUMS matches the files" bash -c "cd '$folder' && sha256sum --quiet -c SHA256SUMS"
  check "$name: the winget manifests describe both installers" \
    /usr/bin/python3 - "$folder" "$version" "https://downloads.pondix.example/$version/" <<'EOF'
import hashlib, sys, yaml, pathlib
folder, version, url = pathlib.Path(sys.argv[1]), sys.argv[2], sys.argv[3]
m = {p.name: yaml.safe_load(p.read_text()) for p in (folder / "winget").glob("*.yaml")}
problems = []
v, i, l = (m.get("Pondix.ScreenshotLoader" + s + ".yaml") for s in ("", ".installer", ".locale.en-US"))
if not (v and i and l):
    sys.exit(f"manifests: {sorted(m)}")
for doc, kind in ((v, "version"), (i, "installer"), (l, "defaultLocale")):
    if doc["ManifestType"] != kind or doc["PackageVersion"] != version or doc["ManifestVersion"] != v["ManifestVersion"]:
        problems.append(f"{kind}: {doc['ManifestType']} {doc['PackageVersion']} {doc['ManifestVersion']}")
if (i["InstallerType"], i["Scope"], l["License"], v["DefaultLocale"]) != ("nullsoft", "user", "MIT", l["PackageLocale"]):
    problems.append("installer type, scope, licence or locale")
arches = {"x64": "win64", "x86": "win32"}
for entry in i["Installers"]:
    name = f"PondixScreenLoader-{version}-{arches.pop(entry['Architecture'])}-setup.exe"
    if entry["InstallerUrl"] != url + name:
        problems.append(entry["InstallerUrl"])
    if entry["InstallerSha256"] != hashlib.sha256((folder / name).read_bytes()).hexdigest().upper():
        problems.append(f"SHA-256 of {name}")
problems += [f"no {a} installer" for a in arches]
if problems:
    sys.exit("\n".join(problems))
EOF
}

# Without a certificate: unsigned, said once, the same bytes twice.
package >"$work/unsigned-1.log" 2>&1
check "an unsigned release is made" test $? = 0
check "and says in one line that its files are unsigned" test "$(grep -c 'unsigned' "$work/unsigned-1.log")" = 1
mv "$dist" "$work/unsigned-1"
check_release unsigned "$work/unsigned-1"
for file in "$work"/unsigned-1/*-setup.exe "$work"/unsigned-1/unzipped-*/PondixScreenLoader.exe; do
  check "unsigned: ${file#"$work"/unsigned-1/} carries no signature" unsigned "$file"
done
# The Linux libjpeg, planted in the link map, is a library the notices have no
# section for: they refuse it.
map="$work/planted.exe.map"
sed "3i /usr/lib/x86_64-linux-gnu/libjpeg.a(jcapimin.o)\n                              src/x.obj (jpeg_CreateCompress)" \
  "$top/build/release-win64/PondixScreenLoader.exe.map" >"$map"
planted=$(bash "$top/scripts/notices.sh" "$map" "$work/planted.txt" 2>&1)
rc=$?
echo "$planted"
refused() { [ "$rc" != 0 ] && grep -qF "libjpeg.a (Debian package libjpeg62-turbo-dev)" <<<"$planted"; }
check "the notices refuse a linked library they have no section for" refused
package >"$work/unsigned-2.log" 2>&1
check "a second unsigned release is made" test $? = 0
mv "$dist" "$work/unsigned-2"
echo "SHA256SUMS of the two unsigned runs:"
diff "$work/unsigned-1/SHA256SUMS" "$work/unsigned-2/SHA256SUMS" && cat "$work/unsigned-1/SHA256SUMS"
check "two unsigned runs give the same SHA256SUMS" cmp -s "$work/unsigned-1/SHA256SUMS" "$work/unsigned-2/SHA256SUMS"

# A throwaway code-signing certificate, its password in a file.
password="throwaway-$RANDOM$RANDOM"
printf '%s\n' "$password" >"$work/password.txt"
openssl req -x509 -newkey rsa:2048 -nodes -keyout "$work/key.pem" -out "$work/cert.pem" -days 2 \
  -subj "/CN=Pondix release test" -addext "extendedKeyUsage=codeSigning" -addext "keyUsage=digitalSignature" \
  >/dev/null 2>&1
openssl pkcs12 -export -inkey "$work/key.pem" -in "$work/cert.pem" -out "$work/cert.p12" \
  -passout "file:$work/password.txt"
check "a throwaway code-signing certificate is made" test -s "$work/cert.p12"
# The signing tool, first on PATH, notes each command line it is given.
mkdir -p "$work/bin"
printf '#!/bin/sh\nprintf "%%s\\n" "$*" >>"%s"\nexec "%s" "$@"\n' "$work/signing-calls" "$(command -v osslsigncode)" \
  >"$work/bin/osslsigncode"
chmod +x "$work/bin/osslsigncode"
package PATH="$work/bin:$PATH" PSL_SIGN_PKCS12="$work/cert.p12" PSL_SIGN_PASSWORD_FILE="$work/password.txt" \
  >"$work/signed.log" 2>&1
check "a signed release is made" test $? = 0
check "and does not call itself unsigned" bash -c "! grep -q unsigned '$work/signed.log'"
sed 's/.* -in \([^ ]*\) .*/signed: \1/' "$work/signing-calls"
# Per build: the program, the uninstaller, the installer.
check "six signings, each reading the password from its file" \
  test "$(grep -c '^sign .*-readpass '"$work"'/password.txt' "$work/signing-calls")" = 6
check "and no signing command line holds the password" bash -c "! grep -qF '$password' '$work/signing-calls'"
mv "$dist" "$work/signed"
check_release signed "$work/signed"
for file in "$work"/signed/*-setup.exe "$work"/signed/unzipped-*/PondixScreenLoader.exe; do
  check "signed: osslsigncode verify accepts ${file#"$work"/signed/}" signed "$file"
  grep -E '^(Signature verification|Number of verified)' "$file.verify"
done

# The uninstaller inside each installer, as an installation writes it.
for arch in win64 win32; do
  if [ $arch = win32 ] && why=$(psl_why_no_win32); then
    echo "skipped: the win32 uninstaller on disk: $why"
    continue
  fi
  installed="$work/installed-$arch"
  mkdir -p "$installed"
  # shellcheck disable=SC2016 # expanded by the inner shell
  "$top/scripts/wine-run.sh" --arch $arch --mode plain --timeout 120 bash -c '
    wine "$1" /S "/D=C:\\Signed" && cp "$(winepath -u "C:\\Signed" 2>/dev/null)"/*.exe "$2"/' \
    _ "$work/signed/PondixScreenLoader-$version-$arch-setup.exe" "$installed"
  check "$arch: osslsigncode verify accepts the installed uninstall.exe" signed "$installed/uninstall.exe"
  grep -E '^(Signature verification|Number of verified)' "$installed/uninstall.exe.verify"
  check "$arch: and the installed program" signed "$installed/PondixScreenLoader.exe"
done

echo "$failures failed"
if [ "$failures" = 0 ]; then rm -rf "$work"; else echo "kept for a look: $work"; fi
[ "$failures" = 0 ]
