#!/usr/bin/env bash
# Crypt and Decrypt file to file through brisol-cli, next to GOST-CFB file to
# file from libgcrypt, Crypto++ and Botan (brisol-gost-anchor) and
# `openssl enc -rc4`; every GOST program flushes its output to disk, as
# brisol-cli does. A copy of the file with the same flush (dd) shows what the
# disk alone allows. Then four files with --jobs 1 and with the default.
# Reports wall seconds (median, min and max of five runs, taken in turn), the
# ratio of each direction to the fastest library, and brisol-cli's peak
# resident size at two file sizes and with more files than jobs can run.
# Usage: bench/end_to_end.sh [BUILD_DIR] [SIZE_MIB] [SMALL_SIZE_MIB]
set -euo pipefail

build=${1:-build}
size_mib=${2:-256}
small_mib=${3:-32}
runs=5
rss_limit_kib=$((32 * 1024))
libraries=(libgcrypt cryptopp botan)

cli=$build/brisol-cli
anchor=$build/bench/brisol-gost-anchor
measure=$build/bench/brisol-measure
for tool in "$cli" "$anchor" "$measure"; do
    [ -x "$tool" ] || { echo "missing $tool: build first (make bench)" >&2; exit 1; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/brisol-e2e.XXXXXX")
trap 'rm -rf "$work"' EXIT
printf 'first end-to-end password\nsecond end-to-end password\n' >"$work/passwords"
rc4_key=000102030405060708090a0b0c0d0e0f

# record NAME STDIN_FILE COMMAND...: appends "NAME wall cpu peak_kib" to the
# times, and fails with the command. The sync first writes back what the
# previous program left dirty, so that its write-back is not charged to this one.
record() {
    local name=$1 out
    shift
    sync
    out=$("$measure" "$@")
    echo "$name $out" >>"$work/times"
}

# stats NAME [COLUMN]: "median min max" of a column (2: wall seconds) of NAME's runs.
stats() {
    awk -v n="$1" -v c="${2:-2}" '$1 == n { print $c }' "$work/times" | sort -g |
        awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)], v[1], v[NR] }'
}
median() { stats "$@" | cut -d' ' -f1; }
peak_of() { awk -v p="$1" '$1 ~ p { if ($4 > m) m = $4 } END { print m }' "$work/times"; }

# run_set FILE: every program on FILE, $runs rounds in turn.
run_set() {
    local file=$1 lib
    : >"$work/times"
    for ((r = 0; r < runs; ++r)); do
        record crypt "$work/passwords" "$cli" crypt "$file"
        record decrypt "$work/passwords" "$cli" decrypt "$file.bsl"
        for lib in "${libraries[@]}"; do
            record "${lib}_encrypt" /dev/null "$anchor" "$lib" encrypt "$file" "$file.$lib"
            record "${lib}_decrypt" /dev/null "$anchor" "$lib" decrypt "$file.$lib" "$file.$lib.plain"
        done
        record openssl_rc4 /dev/null openssl enc -rc4 -K "$rc4_key" -nosalt -provider legacy \
            -provider default -in "$file" -out "$file.rc4"
        record copy /dev/null dd if="$file" of="$file.copy" bs=256K conv=fsync status=none
    done
    cmp -s "$file" "$file.bsl.src" || { echo "brisol-cli round trip differs" >&2; exit 1; }
    for lib in "${libraries[@]}"; do
        cmp -s "$file" "$file.$lib.plain" || { echo "$lib round trip differs" >&2; exit 1; }
    done
    rm -f "$file".*
}

# fastest DIRECTION: the library whose median wall time is lowest.
fastest() {
    local lib best="" best_t=""
    for lib in "${libraries[@]}"; do
        local t
        t=$(median "${lib}_$1")
        if [ -z "$best" ] || awk -v a="$t" -v b="$best_t" 'BEGIN { exit !(a < b) }'; then
            best=$lib best_t=$t
        fi
    done
    echo "$best"
}

mbps() { awk -v mib="$1" -v s="$2" 'BEGIN { printf "%.1f", mib * 1048576 / 1e6 / s }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
verdict() { awk -v r="$1" -v g="$2" 'BEGIN { print (r >= g ? "met" : "MISSED") }'; }
row() {
    local s
    read -r -a s <<<"$(stats "$1")"
    printf '%-30s %7s %7s %7s %9s %7s\n' "$2" "${s[0]}" "${s[1]}" "${s[2]}" "$(mbps "$size_mib" "${s[0]}")" \
        "$(median "$1" 3)"
}

if grep -qw avx512vbmi /proc/cpuinfo && grep -qw avx512bw /proc/cpuinfo; then vbmi=yes; else vbmi=no; fi

head -c $((small_mib * 1048576)) /dev/urandom >"$work/small"
run_set "$work/small"
small_peak=$(peak_of '^(crypt|decrypt)$')
rm -f "$work/small"

head -c $((size_mib * 1048576)) /dev/urandom >"$work/data"
run_set "$work/data"
peak=$(peak_of '^(crypt|decrypt)$')
rm -f "$work/data"

echo
echo "End to end, ${size_mib} MiB file to file, flushed to disk, $runs runs in turn ($(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), VBMI: $vbmi)"
printf '%-30s %7s %7s %7s %9s %7s\n' "program" "wall s" "min" "max" "MB/s" "cpu s"
row crypt "brisol-cli crypt"
row decrypt "brisol-cli decrypt"
for lib in "${libraries[@]}"; do
    row "${lib}_encrypt" "$lib GOST-CFB encrypt"
    row "${lib}_decrypt" "$lib GOST-CFB decrypt"
done
row openssl_rc4 "openssl enc -rc4"
row copy "copy with flush (dd)"

enc=$(fastest encrypt)
dec=$(fastest decrypt)
echo
printf '%-44s %7s %7s %s\n' "ratio of wall times (median)" "value" "goal" ""
r=$(ratio "$(median "${enc}_encrypt")" "$(median crypt)")
printf '%-44s %6sx %6sx %s\n' "crypt / fastest encrypt ($enc)" "$r" 1.2 "$(verdict "$r" 1.2)"
r=$(ratio "$(median "${dec}_decrypt")" "$(median decrypt)")
printf '%-44s %6sx %6sx %s\n' "decrypt / fastest decrypt ($dec)" "$r" 8 "$(verdict "$r" 8)"
r=$(ratio "$(median "${dec}_decrypt")" "$(median copy)")
printf '%-44s %6sx %7s %s\n' "copy with flush / fastest decrypt: the ceiling" "$r" "" \
    "(no program that writes and flushes the file gets further)"

# Several files: four of the small size, one at a time and with the default
# number of jobs; then more files than any number of jobs runs at once.
: >"$work/times"
for k in 1 2 3 4; do head -c $((small_mib * 1048576)) /dev/urandom >"$work/many$k"; done
for ((r = 0; r < runs; ++r)); do
    record jobs1 "$work/passwords" "$cli" crypt --jobs 1 "$work"/many?
    record jobs_default "$work/passwords" "$cli" crypt "$work"/many?
done
rm -f "$work"/many*
for k in $(seq 1 40); do head -c 1048576 /dev/urandom >"$work/few$k"; done
record jobs_many "$work/passwords" "$cli" crypt --jobs 1000 "$work"/few?*
rm -f "$work"/few*
echo
r=$(ratio "$(median jobs1)" "$(median jobs_default)")
printf '4 files of %s MiB, crypt: --jobs 1 %s s, default (%s jobs) %s s: %sx (goal 1.7x) %s\n' \
    "$small_mib" "$(median jobs1)" "$(nproc)" "$(median jobs_default)" "$r" "$(verdict "$r" 1.7)"
many_peak=$(peak_of '^jobs')

echo
for pair in "$small_mib MiB file:$small_peak" "$size_mib MiB file:$peak" "4 files, 40 files --jobs 1000:$many_peak"; do
    what=${pair%%:*} kib=${pair##*:}
    printf 'brisol-cli peak resident size, %-30s %6s KiB (limit %s KiB) %s\n' "$what:" "$kib" \
        "$rss_limit_kib" "$([ "$kib" -lt "$rss_limit_kib" ] && echo met || echo MISSED)"
done
