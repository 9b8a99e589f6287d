#!/usr/bin/env bash
# Crypt and Decrypt file to file through brisol-cli, next to libgcrypt
# GOST-CFB file to file (brisol-gost-anchor) and `openssl enc -rc4`.
# Reports CPU-time MB/s (user + system, median of five runs), the ratios
# against the goals, and brisol-cli's peak resident size at two file sizes.
# Usage: bench/end_to_end.sh [BUILD_DIR] [SIZE_MIB] [SMALL_SIZE_MIB]
set -euo pipefail

build=${1:-build}
size_mib=${2:-256}
small_mib=${3:-32}
runs=5
rss_limit_kib=$((32 * 1024))

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

# measure STDIN_FILE COMMAND...: prints "seconds peak_kib", fails with the command.
# The sync first writes back what the previous program left dirty, so that
# its write-back is not charged to this one as system time.
measure() { sync; "$measure" "$@"; }

median() { sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# run_set FILE: times every tool on FILE $runs times; sets the medians and
# brisol-cli's largest peak resident size.
run_set() {
    local file=$1 name out
    : >"$work/times"
    for ((r = 0; r < runs; ++r)); do
        out=$(measure "$work/passwords" "$cli" crypt "$file");     echo "crypt $out" >>"$work/times"
        out=$(measure "$work/passwords" "$cli" decrypt "$file.bsl"); echo "decrypt $out" >>"$work/times"
        out=$(measure /dev/null "$anchor" encrypt "$file" "$file.gost"); echo "gost_encrypt $out" >>"$work/times"
        out=$(measure /dev/null "$anchor" decrypt "$file.gost" "$file.plain"); echo "gost_decrypt $out" >>"$work/times"
        out=$(measure /dev/null openssl enc -rc4 -K "$rc4_key" -nosalt -provider legacy \
            -provider default -in "$file" -out "$file.rc4"); echo "openssl_rc4 $out" >>"$work/times"
    done
    cmp -s "$file" "$file.bsl.src" || { echo "brisol-cli round trip differs" >&2; exit 1; }
    cmp -s "$file" "$file.plain" || { echo "libgcrypt round trip differs" >&2; exit 1; }
    for name in crypt decrypt gost_encrypt gost_decrypt openssl_rc4; do
        eval "t_$name=\$(awk -v n=$name '\$1 == n { print \$2 }' \"\$work/times\" | median)"
    done
    peak_kib=$(awk '$1 == "crypt" || $1 == "decrypt" { if ($3 > m) m = $3 } END { print m }' "$work/times")
    rm -f "$file".*
}

mbps() { awk -v mib="$1" -v s="$2" 'BEGIN { printf "%.1f", mib * 1048576 / 1e6 / s }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
verdict() { awk -v r="$1" -v g="$2" 'BEGIN { print (r >= g ? "met" : "MISSED") }'; }

if grep -qw avx512vbmi /proc/cpuinfo && grep -qw avx512bw /proc/cpuinfo; then
    vbmi=yes decrypt_goal=8
else
    vbmi=no decrypt_goal=3
fi

head -c $((small_mib * 1048576)) /dev/urandom >"$work/small"
run_set "$work/small"
small_peak=$peak_kib
rm -f "$work/small"

head -c $((size_mib * 1048576)) /dev/urandom >"$work/data"
run_set "$work/data"

crypt=$(mbps "$size_mib" "$t_crypt")
decrypt=$(mbps "$size_mib" "$t_decrypt")
gost_enc=$(mbps "$size_mib" "$t_gost_encrypt")
gost_dec=$(mbps "$size_mib" "$t_gost_decrypt")
rc4=$(mbps "$size_mib" "$t_openssl_rc4")

echo
echo "End to end, ${size_mib} MiB file to file, CPU-time MB/s, median of $runs ($(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), VBMI: $vbmi)"
printf '%-34s %9s\n' "program" "MB/s"
printf '%-34s %9s\n' "brisol-cli crypt" "$crypt" "brisol-cli decrypt" "$decrypt" \
    "libgcrypt GOST-CFB encrypt" "$gost_enc" "libgcrypt GOST-CFB decrypt" "$gost_dec" \
    "openssl enc -rc4" "$rc4"
echo
printf '%-44s %7s %7s %s\n' "ratio" "value" "goal" ""
r=$(ratio "$crypt" "$gost_enc");  printf '%-44s %6sx %6sx %s\n' "crypt / libgcrypt encrypt" "$r" 1.3 "$(verdict "$r" 1.3)"
r=$(ratio "$decrypt" "$gost_dec"); printf '%-44s %6sx %6sx %s\n' "decrypt / libgcrypt decrypt" "$r" "$decrypt_goal" "$(verdict "$r" "$decrypt_goal")"
if [ "$vbmi" = yes ]; then
    r=$(ratio "$decrypt" "$rc4"); printf '%-44s %6sx %6sx %s\n' "decrypt / openssl rc4" "$r" 0.8 "$(verdict "$r" 0.8)"
fi
echo
for pair in "$small_mib:$small_peak" "$size_mib:$peak_kib"; do
    mib=${pair%%:*} kib=${pair##*:}
    printf 'brisol-cli peak resident size, %4s MiB file: %6s KiB (limit %s KiB) %s\n' "$mib" "$kib" \
        "$rss_limit_kib" "$([ "$kib" -lt "$rss_limit_kib" ] && echo met || echo MISSED)"
done
