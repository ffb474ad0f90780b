#!/usr/bin/env bash
# Signs a copy of setup.exe the way the build signs a release (cmake/sign.cmake),
# with a throwaway self-signed code-signing certificate, and checks the
# result with osslsigncode: the signature is intact and names the program,
# its chain is untrusted (no root vouches for a self-signed certificate),
# and signing added the signature and changed nothing else.
#
#   check-signing.sh SETUP_EXE SIGNING_INFO OUT_DIR
#
# SIGNING_INFO is the build's version/signing.cmake; the signed copy is
# OUT_DIR/setup.exe.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
[ $# -eq 3 ] || { echo "usage: check-signing.sh SETUP_EXE SIGNING_INFO OUT_DIR" >&2; exit 2; }
exe=$1 info=$2 out=$3
fail() { echo "check-signing: $*" >&2; exit 1; }

rm -rf "$out"
mkdir -p "$out"
# A certificate for this run only; its key goes once it is in the PKCS#12 file.
head -c 18 /dev/urandom | base64 > "$out/password"
openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj "/CN=Throwaway code-signing test" \
  -addext "keyUsage=critical,digitalSignature" -addext "extendedKeyUsage=codeSigning" \
  -keyout "$out/key.pem" -out "$out/certificate.pem" 2>/dev/null
openssl pkcs12 -export -inkey "$out/key.pem" -in "$out/certificate.pem" -out "$out/certificate.p12" \
  -passout "file:$out/password"
rm -f "$out/key.pem"

cmake -DOSSLSIGNCODE="$(command -v osslsigncode)" -DEXE="$exe" -DOUT="$out/setup.exe" \
  -DPKCS12="$out/certificate.p12" -DPASSWORD_FILE="$out/password" -DINFO="$info" -P "$here/cmake/sign.cmake"

# Against the system's roots only: the chain is refused, the digest holds.
if report=$(osslsigncode verify -in "$out/setup.exe" 2>&1); then
  fail "the self-signed certificate was trusted"
fi
grep -q "self-signed certificate" <<<"$report" || fail "not refused for its self-signed chain: $report"
current=$(sed -n 's/^Current message digest *: *\([0-9A-F]*\).*/\1/p' <<<"$report")
calculated=$(sed -n 's/^Calculated message digest *: *\([0-9A-F]*\).*/\1/p' <<<"$report")
[ -n "$current" ] && [ "$current" = "$calculated" ] || fail "the signed digest does not match the file: $report"

# Trusting the throwaway certificate, the whole signature verifies.
report=$(osslsigncode verify -CAfile "$out/certificate.pem" -in "$out/setup.exe" 2>&1) ||
  fail "the signature does not verify with its own certificate as root: $report"
grep -q "Text description: Qovarium installation program" <<<"$report" || fail "the signature does not name the program"
grep -q "URL description: https://www.norvane-brelkon.com/qovarium/" <<<"$report" ||
  fail "the signature does not name the product's web page"

# The signature is all that signing added.
osslsigncode remove-signature -in "$out/setup.exe" -out "$out/unsigned.exe" >/dev/null
cmp -s "$exe" "$out/unsigned.exe" || fail "signing changed more than the signature"
rm -f "$out/unsigned.exe"

# One changed byte of the program breaks the signature.
cp "$out/setup.exe" "$out/changed.exe"
byte=$(od -An -tu1 -j 4096 -N 1 "$out/changed.exe" | tr -d ' ')
printf "\\$(printf '%03o' $((byte ^ 1)))" | dd of="$out/changed.exe" bs=1 seek=4096 conv=notrunc 2>/dev/null
if osslsigncode verify -CAfile "$out/certificate.pem" -in "$out/changed.exe" >/dev/null 2>&1; then
  fail "a changed copy still verifies"
fi
rm -f "$out/changed.exe"
echo "signed: $out/setup.exe ($(stat -c %s "$out/setup.exe") bytes), signature intact, self-signed chain untrusted"
