#!/usr/bin/env bash
# The stand-in's certificates, made fresh for each test run: a test CA and a certificate named localhost that it
# signed, another CA that nobody trusts and a localhost certificate of its own, and the system's CA bundle with the
# test CA added, which the Wine tests see in place of the system's (cmake/wine-run.sh).
set -euo pipefail
dir=$1
mkdir -p "$dir"
cd "$dir"
rm -f ./*.pem ./*.key ./*.srl ./*.crt ./*.csr ./*.cnf
printf 'subjectAltName=DNS:localhost\nbasicConstraints=CA:FALSE\nextendedKeyUsage=serverAuth\nkeyUsage=digitalSignature,keyEncipherment\n' >leaf.cnf
for ca in trusted untrusted; do
    openssl req -x509 -newkey rsa:2048 -nodes -keyout "$ca-ca.key" -out "$ca-ca.pem" -days 2 \
        -subj "/CN=Velmora test CA ($ca)" -addext "basicConstraints=critical,CA:TRUE" \
        -addext "keyUsage=critical,keyCertSign,cRLSign" 2>/dev/null
    openssl req -newkey rsa:2048 -nodes -keyout "$ca-localhost.key" -out "$ca-localhost.csr" -subj "/CN=localhost" \
        2>/dev/null
    openssl x509 -req -in "$ca-localhost.csr" -CA "$ca-ca.pem" -CAkey "$ca-ca.key" -CAcreateserial \
        -out "$ca-localhost.pem" -days 2 -extfile leaf.cnf 2>/dev/null
done
cat /etc/ssl/certs/ca-certificates.crt trusted-ca.pem >bundle.crt
