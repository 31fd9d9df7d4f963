#!/usr/bin/env bash
# tests/man_page_check_detects.sh CHECK TESSED MANPAGE
#
# The manual page check must fail, naming what differs, when the manual page
# loses a command's or an option's entry or keeps one that has gone, and when
# the help gains a command or an option. Runs on copies and on a wrapper of
# the real command that adds to its help.
set -u
check=$1; exe=$2; man=$3
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
fail=0
expect_fault() {  # $1 description, $2 word the report must name, $3 tessed, $4 manual page
  local out
  if out=$("$check" "$3" "$4" 2>&1); then
    echo "not detected: $1"; fail=1
  elif ! grep -q -- "^  $2\$" <<<"$out"; then
    echo "detected but not named ($2): $1"; echo "$out"; fail=1
  fi
}
# Deletes the entry (.TP and its tag line) whose tag starts with $1 as it
# stands in the roff source.
drop_entry() {
  TAG=$1 awk '/^\.TP/ { held = $0; next }
              held != "" { if (index($0, ENVIRON["TAG"]) != 1) { print held; print } held = ""; next }
              { print }' "$man"
}
drop_entry '\fBmakecsv' > "$work/no-makecsv.1"
expect_fault "a command without an entry" makecsv "$exe" "$work/no-makecsv.1"
drop_entry '.BI \-\-lang' > "$work/no-lang.1"
expect_fault "an option without an entry" --lang "$exe" "$work/no-lang.1"
{ cat "$man"; printf '.SH COMMANDS\n.TP\n\\fBfrobnicate\\fR \\fIX\\fR\nGone.\n'; } > "$work/stale.1"
expect_fault "an entry for a command the help lacks" frobnicate "$exe" "$work/stale.1"

cat > "$work/more-commands" <<WRAP
#!/bin/sh
"$exe" "\$@"
echo "       tessed [options] frobnicate FILE.xml [--frob-level N]   a command the page lacks"
WRAP
chmod +x "$work/more-commands"
expect_fault "a new command in the help" frobnicate "$work/more-commands" "$man"
expect_fault "a new option in the help" --frob-level "$work/more-commands" "$man"
exit $fail
