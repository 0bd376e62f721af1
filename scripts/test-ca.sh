#!/usr/bin/env bash
# A test authority and server certificates, made with the openssl command, for
# the HTTPS tests and the run command. Never for a release.
#   test-ca.sh DIR
# Makes in DIR (once; a complete DIR is left as it is until it nears its end):
#   ca.pem              the test authority
#   bundle.crt          the system's bundle with ca.pem added, to bind-mount
#                       over /etc/ssl/certs/ca-certificates.crt in a mount
#                       namespace of a test's own
#   server.key          the key of every server certificate below
#   good.pem            127.0.0.1, localhost and the tests' name that only
#                       their proxy resolves (scripts/config.sh), valid for a year
#   wrong-name.pem      only other.example
#   expired.pem         127.0.0.1 and localhost, expired in 2020
#   unknown-ca.pem      127.0.0.1 and localhost, from an authority nobody trusts
#   not-ca.pem          127.0.0.1 and localhost, issued by not-ca-issuer.pem,
#                       a server certificate of the test authority, no authority
set -euo pipefail
source "$(dirname "$0")/config.sh"
[ $# -eq 1 ] || { echo "usage: test-ca.sh DIR" >&2; exit 2; }
dir=$1
# RSA, not ECDSA: Wine's crypt32 rejects an ECDSA signature whose r or s is
# shorter than the curve's size (one signature in 128), which made
# the Windows TLS tests fail at random. Kept while its good certificate has a
# day left and it was made this way.
made_as="rsa-2048-not-ca-named"
[ "$(cat "$dir/.complete" 2>/dev/null)" = "$made_as" ] && openssl x509 -checkend 86400 -noout -in "$dir/good.pem" >/dev/null 2>&1 && exit 0
mkdir -p "$dir"
dir=$(cd "$dir" && pwd)
work="$dir/.ca"
rm -rf "$work"
mkdir -p "$work"

new_key() { openssl genpkey -algorithm RSA -pkeyopt rsa_keygen_bits:2048 -out "$1" 2>/dev/null; }

# One request file per authority, with its database for "openssl ca", which
# alone sets dates in the past.
authority() {  # authority NAME SUBJECT
  local base="$work/$1"
  mkdir -p "$base/signed"
  : >"$base/index.txt"
  echo 1000 >"$base/serial"
  new_key "$base/key.pem"
  openssl req -new -x509 -key "$base/key.pem" -subj "$2" -days 3650 -sha256 \
    -addext "basicConstraints=critical,CA:true" -addext "keyUsage=critical,keyCertSign,cRLSign" \
    -out "$base/cert.pem" 2>/dev/null
  cat >"$base/ca.cnf" <<CNF
[ca]
default_ca = this
[this]
database = $base/index.txt
new_certs_dir = $base/signed
serial = $base/serial
certificate = $base/cert.pem
private_key = $base/key.pem
default_md = sha256
policy = any
unique_subject = no
email_in_dn = no
[any]
commonName = supplied
[server]
basicConstraints = critical,CA:false
keyUsage = critical,digitalSignature
extendedKeyUsage = serverAuth
subjectAltName = \$ENV::PSL_SAN
CNF
}

certify() {  # certify AUTHORITY OUT SAN DATES...
  local base="$work/$1" out=$2 san=$3
  shift 3
  openssl req -new -key "$dir/server.key" -subj "/CN=${san#*:}" -out "$work/request.csr" 2>/dev/null
  PSL_SAN=$san openssl ca -batch -notext -config "$base/ca.cnf" -extensions server "$@" \
    -in "$work/request.csr" -out "$dir/$out" 2>/dev/null
}

new_key "$dir/server.key"
authority test "/O=Pondix tests/CN=Pondix test authority"
authority unknown "/O=Pondix tests/CN=Pondix authority nobody trusts"
# Wine's SSL policy matches dNSName entries only: the address is one as well.
here="IP:127.0.0.1,DNS:127.0.0.1,DNS:localhost"
certify test good.pem "$here,DNS:$PSL_TEST_NAMED_HOST" -days 365
certify test wrong-name.pem "DNS:other.example" -days 365
certify test expired.pem "$here" -startdate 20200101000000Z -enddate 20200201000000Z
certify unknown unknown-ca.pem "$here" -days 365
# Signed with a certificate whose basic constraints say it is no authority.
certify test not-ca-issuer.pem "DNS:issuer.example" -days 365
openssl req -new -key "$dir/server.key" -subj "/CN=localhost" -out "$work/request.csr" 2>/dev/null
printf 'subjectAltName = %s\nextendedKeyUsage = serverAuth\n' "$here" >"$work/leaf.ext"
openssl x509 -req -in "$work/request.csr" -CA "$dir/not-ca-issuer.pem" -CAkey "$dir/server.key" -days 365 \
  -set_serial 7 -sha256 -extfile "$work/leaf.ext" -out "$dir/not-ca.pem" 2>/dev/null
cp "$work/test/cert.pem" "$dir/ca.pem"
cat /etc/ssl/certs/ca-certificates.crt "$dir/ca.pem" >"$dir/bundle.crt"
echo "$made_as" >"$dir/.complete"
