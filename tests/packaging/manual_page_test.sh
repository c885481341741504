#!/usr/bin/env bash
# The manual page of kestrune-rip names every option that --help names and no
# other, and has the sections a user looks for.
#
# Usage: manual_page_test.sh KESTRUNE_RIP MANUAL_PAGE
set -euo pipefail

program=${1:?usage: manual_page_test.sh KESTRUNE_RIP MANUAL_PAGE}
page=${2:?usage: manual_page_test.sh KESTRUNE_RIP MANUAL_PAGE}
fail() {
    echo "FAIL: $*" >&2
    exit 1
}
options() { grep -oE -- '(^|[^[:alnum:]-])-(-[a-z][a-z0-9-]*[a-z0-9]|o)\b' | sed 's/^[^-]*//' | sort -u; }

help=$("$program" --help | options)
# The page's source, with its escaped minus signs as plain ones.
manual=$(sed 's/\\-/-/g' "$page" | options)
[ -n "$help" ] || fail "found no option in --help"
missing=$(comm -23 <(echo "$help") <(echo "$manual"))
[ -z "$missing" ] || fail "the manual page does not name: $missing"
extra=$(comm -13 <(echo "$help") <(echo "$manual"))
[ -z "$extra" ] || fail "the manual page names options --help does not: $extra"
for section in OPTIONS 'EXIT STATUS' ENVIRONMENT FILES EXAMPLES; do
    grep -q "^\.SH $section\$" "$page" || fail "the manual page has no $section section"
done
for variable in DISCREAD_DISC DISCREAD_DRIVES DISCREAD_PARANOIA DISCREAD_SIMULATE XDG_CONFIG_HOME; do
    sed -n '/^\.SH ENVIRONMENT/,/^\.SH /p' "$page" | grep -q "$variable" ||
        fail "ENVIRONMENT does not explain $variable"
done
echo "the manual page names the $(wc -l <<<"$help") options of --help"
