#!/usr/bin/env bash
# Signs Windows executables in place (Authenticode, SHA-256) with the release
# certificate:
#   PSL_SIGN_PKCS12=cert.p12 PSL_SIGN_PASSWORD_FILE=password.txt \
#     [PSL_SIGN_TIMESTAMP_URL=http://timestamp.example] sign.sh FILE...
# osslsigncode reads the password from its file itself: it is on no command
# line. With a time-stamping address the signature outlives the certificate;
# without one the signing time is SOURCE_DATE_EPOCH when set, so that two
# signings of the same bytes with the same key give the same bytes.
set -euo pipefail
[ $# -gt 0 ] || { echo "usage: sign.sh FILE..." >&2; exit 2; }
: "${PSL_SIGN_PKCS12:?sign.sh: PSL_SIGN_PKCS12 names no certificate}"
: "${PSL_SIGN_PASSWORD_FILE:?sign.sh: PSL_SIGN_PASSWORD_FILE names no password file}"
options=(-pkcs12 "$PSL_SIGN_PKCS12" -readpass "$PSL_SIGN_PASSWORD_FILE" -h sha256 -n "Pondix Screenshot Loader")
if [ -n "${PSL_SIGN_TIMESTAMP_URL:-}" ]; then
  options+=(-ts "$PSL_SIGN_TIMESTAMP_URL")
elif [ -n "${SOURCE_DATE_EPOCH:-}" ]; then
  options+=(-time "$SOURCE_DATE_EPOCH")
fi
for file; do
  log=$(osslsigncode sign "${options[@]}" -in "$file" -out "$file.signed" 2>&1) || {
    echo "sign.sh: signing $(basename "$file") failed:" >&2
    echo "$log" >&2
    rm -f "$file.signed"
    exit 1
  }
  mv "$file.signed" "$file"
done
