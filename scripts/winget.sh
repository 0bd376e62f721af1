#!/usr/bin/env bash
# Writes the winget manifest set (version, installer, default locale) for the
# per-user installers of one release:
#   winget.sh OUT-FOLDER VERSION RELEASE-URL WIN64-setup.exe WIN32-setup.exe
# RELEASE-URL is the folder the installers are published in; each installer's
# address is that plus its file name. The release date is SOURCE_DATE_EPOCH's
# day (else today's), so that the files depend on the commit alone.
set -euo pipefail
[ $# = 5 ] || { echo "usage: winget.sh OUT VERSION RELEASE-URL WIN64-setup.exe WIN32-setup.exe" >&2; exit 2; }
out=$1 version=$2 url=${3%/} win64=$4 win32=$5
[[ $url =~ ^https?://[^/]+ ]] || { echo "winget.sh: '$url' is no http(s) address" >&2; exit 2; }
id=Pondix.ScreenshotLoader
schema=1.12.0
released=$(date -u -d "@${SOURCE_DATE_EPOCH:-$(date +%s)}" +%F)
sha() { sha256sum "$1" | cut -d' ' -f1 | tr a-f A-F; }
mkdir -p "$out"

preamble() {  # preamble TYPE: the lines every manifest of the set starts with
  printf '# yaml-language-server: $schema=https://aka.ms/winget-manifest.%s.%s.schema.json\n\n' "$1" "$schema"
  printf 'PackageIdentifier: %s\nPackageVersion: %s\n' "$id" "$version"
}

{
  preamble version
  printf 'DefaultLocale: en-US\nManifestType: version\nManifestVersion: %s\n' "$schema"
} >"$out/$id.yaml"

# The installer takes /S and /D= as every NSIS installer does; the uninstall
# entry's key is the product code winget matches installed copies by.
{
  preamble installer
  cat <<EOF
InstallerType: nullsoft
Scope: user
InstallModes:
- interactive
- silent
UpgradeBehavior: install
ProductCode: PondixScreenLoader
ReleaseDate: $released
Installers:
- Architecture: x64
  InstallerUrl: $url/$(basename "$win64")
  InstallerSha256: $(sha "$win64")
- Architecture: x86
  InstallerUrl: $url/$(basename "$win32")
  InstallerSha256: $(sha "$win32")
ManifestType: installer
ManifestVersion: $schema
EOF
} >"$out/$id.installer.yaml"

{
  preamble defaultLocale
  cat <<EOF
PackageLocale: en-US
Publisher: Pondix
PackageName: Pondix Screenshot Loader
License: MIT
Copyright: Copyright (c) Pondix
ShortDescription: Alt+S, drag a rectangle, and a link to the uploaded screenshot lands on the clipboard.
Description: A notification-area utility. Press Alt+S, drag a rectangle over the screen, and the picture is uploaded to the Pondix service; the link to it is put on the clipboard.
Moniker: pondix
Tags:
- screenshot
- upload
- clipboard
ManifestType: defaultLocale
ManifestVersion: $schema
EOF
} >"$out/$id.locale.en-US.yaml"
