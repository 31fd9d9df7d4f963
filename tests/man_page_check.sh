#!/usr/bin/env bash
# tests/man_page_check.sh TESSED MANPAGE
#
# The manual page and `tessed --help` name the same commands and options.
# A command is the first lower-case word after "tessed" (and "[options]") on a
# line of the help's usage; in the manual page it is an entry (.TP) of the
# COMMANDS section whose tag starts with the command. An option is any
# "--word" of the help; in the manual page, any "--word" in the tag of an
# entry (an OPTIONS entry, or a command's own tag such as "show [--modal]").
# So a new command or option fails this check until the manual page has an
# entry for it, and an entry whose command or option has gone fails it too.
set -euo pipefail
exe=$1; man=$2
[ -f "$man" ] || { echo "no manual page at $man"; exit 1; }
help=$("$exe" --help)

help_commands() {
  sed -n 's/^\(usage:\)\{0,1\} *tessed //p' <<<"$help" | sed 's/\[options\]//' |
    awk '{ for (i = 1; i <= NF; i++) { w = $i; gsub(/[][]/, "", w)
             if (w ~ /^[a-z][a-z0-9-]*$/) { print w; break }
             if (w ~ /^[A-Z]/) break } }' | sort -u
}
help_options() { grep -oE -- '--[a-z][a-z0-9-]*' <<<"$help" | sort -u || true; }

# Each entry's tag with the roff escapes and macros taken off, as
# "SECTION<TAB>tag", one a line.
man_tags() {
  awk '/^\.SH /    { section = $2; gsub(/"/, "", section); next }
       /^\.TP/     { want = 1; next }
       want        { want = 0; print section "\t" $0 }' "$man" |
    sed -e 's/\\-/-/g' -e 's/\\f[BIRP]//g' -e 's/\\(.\{2\}//g' -e 's/\\\(.\)/\1/g' \
        -e 's/\t\.[BIR]\{1,2\} /\t/' -e 's/"//g'
}
man_commands() { man_tags | awk -F'\t' '$1 == "COMMANDS" { split($2, w, " "); print w[1] }' | sort -u; }
man_options() { man_tags | cut -f2 | grep -oE -- '--[a-z][a-z0-9-]*' | sort -u || true; }

fail=0
report() {  # $1 what, $2 list only in the help, $3 list only in the manual page
  local only_help only_man
  only_help=$(comm -23 <(echo "$2") <(echo "$3") | grep . || true)
  only_man=$(comm -13 <(echo "$2") <(echo "$3") | grep . || true)
  if [ -n "$only_help" ]; then
    echo "$1 in tessed --help but without an entry in $man:"; sed 's/^/  /' <<<"$only_help"; fail=1
  fi
  if [ -n "$only_man" ]; then
    echo "$1 in $man but not in tessed --help:"; sed 's/^/  /' <<<"$only_man"; fail=1
  fi
}
hc=$(help_commands); mc=$(man_commands); ho=$(help_options); mo=$(man_options)
[ -n "$hc" ] || { echo "no command found in tessed --help"; exit 1; }
[ -n "$ho" ] || { echo "no option found in tessed --help"; exit 1; }
report "commands" "$hc" "$mc"
report "options" "$ho" "$mo"
[ $fail -eq 0 ] && echo "manual page and --help agree:" $hc $ho
exit $fail
