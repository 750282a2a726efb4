#!/usr/bin/env bash
# Install test: builds psSIFT, installs it into a temporary prefix, runs the
# installed program on a small stream, then builds the Debian package and looks
# inside it.
#
#   scripts/install-test.sh
#
# Environment:
#   PSSIFT_EXPECT_VERSION   version the package must carry (default 1.7)
#   KEEP_INSTALL_TMP=1      keep the temporary prefix afterwards
#
# Needs cmake, a C++20 compiler, cpack and dpkg-deb. Uses only files of this tree.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

expect_version=${PSSIFT_EXPECT_VERSION:-1.7}
build=build-install

fail() {
    echo "install test FAILED: $*" >&2
    exit 1
}

for tool in cmake cpack dpkg-deb; do
    command -v "$tool" >/dev/null 2>&1 || fail "$tool is not installed"
done

tmp=$(mktemp -d "${TMPDIR:-/tmp}/pssift-install.XXXXXX")
cleanup() {
    if [[ ${KEEP_INSTALL_TMP:-} == 1 ]]; then
        echo "install test: kept $tmp"
    else
        rm -rf "$tmp"
    fi
}
trap cleanup EXIT
prefix=$tmp/prefix

# 1. Build and install.
if [[ -z ${CMAKE_BUILD_PARALLEL_LEVEL:-} ]]; then
    CMAKE_BUILD_PARALLEL_LEVEL=$(nproc 2>/dev/null || echo 2)
    export CMAKE_BUILD_PARALLEL_LEVEL
fi
echo "== configure and build ($build)"
cmake -S . -B "$build" -DPSSIFT_TESTS=OFF
cmake --build "$build"

echo "== install into $prefix"
cmake --install "$build" --prefix "$prefix"

for f in bin/psSIFT share/man/man1/psSIFT.1 share/bash-completion/completions/psSIFT; do
    [[ -f $prefix/$f ]] || fail "$f was not installed"
done
[[ -x $prefix/bin/psSIFT ]] || fail "bin/psSIFT is not executable"
echo "installed: bin/psSIFT share/man/man1/psSIFT.1 share/bash-completion/completions/psSIFT"

# 2. Run the installed program.
sample=tests/data/stray_byte_before_pack.mpg
if [[ ! -f $sample ]]; then
    sample=$(find tests -type f -name stray_byte_before_pack.mpg 2>/dev/null | LC_ALL=C sort | head -n 1 || true)
fi
if [[ -z $sample || ! -f $sample ]]; then
    sample=$(find tests -type f -name '*.mpg' 2>/dev/null | LC_ALL=C sort | head -n 1 || true)
fi
if [[ -z $sample || ! -f $sample ]]; then
    # No stream in the tree yet: write a minimal MPEG-2 program stream, one
    # pack with one video packet (5 payload bytes) and the program end code.
    sample=$tmp/minimal.mpg
    printf '\x00\x00\x01\xba\x44\x00\x04\x00\x04\x01\x01\x89\xc3\xf8' >"$sample"
    printf '\x00\x00\x01\xe0\x00\x08\x80\x00\x00\x11\x22\x33\x44\x55' >>"$sample"
    printf '\x00\x00\x01\xb9' >>"$sample"
    echo "no .mpg under tests/: using a generated stream"
fi

echo "== $prefix/bin/psSIFT $sample"
out=$tmp/report.txt
set +e
"$prefix/bin/psSIFT" "$sample" >"$out" 2>&1
rc=$?
set -e
[[ $rc -eq 0 ]] || { cat "$out" >&2; fail "psSIFT $sample exited with status $rc"; }

head -n 1 "$out" | grep -q "^psSIFT - version $expect_version" ||
    fail "the banner does not begin with \"psSIFT - version $expect_version\""

# The report must end with the summary: a "Summary:" line, then only the pack
# count, the system header count and packets/bytes lines.
awk '
    /^Summary:$/ { seen = 1; packs = 0; bad = ""; next }
    !seen || /^$/ { next }
    /^MPEG Packs = [0-9]+$/ { packs++; next }
    /^System headers = [0-9]+$/ { next }
    / packets = [0-9]+, total bytes = [0-9]+$/ { next }
    { if (bad == "") bad = $0 }
    END {
        if (!seen) { print "no Summary: line"; exit 1 }
        if (packs != 1) { print "no MPEG Packs line after Summary:"; exit 1 }
        if (bad != "") { print "unexpected line after Summary: " bad; exit 1 }
    }' "$out" || { tail -n 20 "$out" >&2; fail "the report does not end with a Summary: section"; }
sed -n '/^Summary:$/,$p' "$out"

# 3. The Debian package.
echo "== cpack -G DEB"
rm -f "$build"/pssift_*.deb
(cd "$build" && cpack -G DEB)
shopt -s nullglob
debs=("$build"/pssift_*.deb)
shopt -u nullglob
[[ ${#debs[@]} -eq 1 ]] || fail "expected one pssift_*.deb in $build, found ${#debs[@]}"
deb=${debs[0]}
echo "package: $deb"

info=$(dpkg-deb -I "$deb")
printf '%s\n' "$info"
name=$(printf '%s\n' "$info" | sed -n 's/^ *Package: *//p')
version=$(printf '%s\n' "$info" | sed -n 's/^ *Version: *//p')
[[ $name == pssift ]] || fail "package name is \"$name\", not pssift"
[[ $version == "$expect_version" ]] || fail "package version is \"$version\", not $expect_version"

contents=$(dpkg-deb -c "$deb")
printf '%s\n' "$contents"
for f in usr/bin/psSIFT usr/share/man/man1/psSIFT.1 usr/share/bash-completion/completions/psSIFT; do
    printf '%s\n' "$contents" | grep -Eq "[[:space:]]\./$f(\.gz)?\$" ||
        fail "the package does not contain /$f"
done

echo "install test passed"
