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
set -euo pipefail
source "$(dirname "$0")/config.sh"
[ $# -eq 1 ] || { echo "usage: test-ca.sh DIR" >&2; exit 2; }
dir=$1
# Kept while its good certificate has a day left.
[ -f "$dir/.complete" ] && openssl x509 -checkend 86400 -noout -in "$dir/good.pem" >/dev/null 2>&1 &&
  openssl x509 -checkhost "$PSL_TEST_NAMED_HOST" -noout -in "$dir/good.pem" | grep -q 'does match' && exit 0
mkdir -p "$dir"
dir=$(cd "$dir" && pwd)
work="$dir/.ca"
rm -rf "$work"
mkdir -p "$work"

# One request file per authority, with its database for "openssl ca", which
# alone sets dates in the past.
authority() {  # authority NAME SUBJECT
  local base="$work/$1"
  mkdir -p "$base/signed"
  : >"$base/index.txt"
  echo 1000 >"$base/serial"
  openssl ecparam -name prime256v1 -genkey -noout -out "$base/key.pem" 2>/dev/null
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

openssl ecparam -name prime256v1 -genkey -noout -out "$dir/server.key" 2>/dev/null
authority test "/O=Pondix tests/CN=Pondix test authority"
authority unknown "/O=Pondix tests/CN=Pondix authority nobody trusts"
# Wine's SSL policy matches dNSName entries only: the address is one as well.
here="IP:127.0.0.1,DNS:127.0.0.1,DNS:localhost"
certify test good.pem "$here,DNS:$PSL_TEST_NAMED_HOST" -days 365
certify test wrong-name.pem "DNS:other.example" -days 365
certify test expired.pem "$here" -startdate 20200101000000Z -enddate 20200201000000Z
certify unknown unknown-ca.pem "$here" -days 365
cp "$work/test/cert.pem" "$dir/ca.pem"
cat /etc/ssl/certs/ca-certificates.crt "$dir/ca.pem" >"$dir/bundle.crt"
touch "$dir/.complete"
