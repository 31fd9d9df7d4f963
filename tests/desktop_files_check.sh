#!/usr/bin/env bash
# tests/desktop_files_check.sh SOURCE_DIR METAINFO
#
# The desktop files agree with each other and with what they name: the menu
# entry starts `tessed show` on the file and lists exactly the types the MIME
# package declares; every icon they name exists as SVG and as a PNG of the
# right size at every fixed size; the software centre's description lists the
# same types, and its screenshots are pictures of docs/ui/ with the size it
# states. Where the tools are installed, the MIME package is compiled into a
# scratch database that must map both extensions to their types, and the menu
# entry and the description go through their validators.
set -uo pipefail
src=$1; metainfo=$2
desk=$src/data/desktop
id=com.velmora.Tessed
entry=$desk/$id.desktop
mime=$desk/$id.xml
icons=$desk/icons/hicolor
sizes="16 22 24 32 48 64 128 256"
fail=0
bad() { echo "$*"; fail=1; }

key() { sed -n "s/^$1=//p" "$entry"; }
[ "$(key Exec)" = "tessed show %f" ] || bad "Exec is '$(key Exec)', not 'tessed show %f'"
declared=$(grep -o 'mime-type type="[^"]*"' "$mime" | cut -d'"' -f2 | sort)
[ -n "$declared" ] || bad "no type declared in $mime"
listed=$(key MimeType | tr ';' '\n' | grep . | sort)
[ "$declared" = "$listed" ] || bad "the entry lists types '$listed', the MIME package declares '$declared'"
described=$(grep -o '<mediatype>[^<]*' "$metainfo" | cut -d'>' -f2 | sort)
[ "$declared" = "$described" ] || bad "the description lists types '$described', the MIME package declares '$declared'"

png_size() { od -An -tu1 -j16 -N8 "$1" | awk '{ print $1*16777216+$2*65536+$3*256+$4 "x" $5*16777216+$6*65536+$7*256+$8 }'; }
check_icon() {  # $1 context, $2 name
  [ -s "$icons/scalable/$1/$2.svg" ] || bad "no scalable icon $1/$2.svg"
  for s in $sizes; do
    local f=$icons/${s}x$s/$1/$2.png
    if [ ! -s "$f" ]; then bad "no icon ${s}x$s/$1/$2.png"; continue; fi
    [ "$(png_size "$f")" = "${s}x$s" ] || bad "${s}x$s/$1/$2.png is $(png_size "$f")"
  done
}
[ "$(key Icon)" = "$id" ] || bad "Icon is '$(key Icon)', not $id"
check_icon apps "$id"
for t in $declared; do
  name=$(awk -v t="$t" '$0 ~ "type=\"" t "\"" { want = 1 } want && /<icon / { print; exit }' "$mime" |
    sed 's/.*name="\([^"]*\)".*/\1/')
  [ "$name" = "${t//\//-}" ] || bad "the icon of $t is '$name', not ${t//\//-}"
  check_icon mimetypes "${t//\//-}"
done

# Screenshots: <image ... width="W" height="H">URL/NAME.png</image>
shots=$(grep -o '<image [^>]*>[^<]*' "$metainfo")
[ -n "$shots" ] || bad "no screenshot in $metainfo"
while read -r line; do
  [ -n "$line" ] || continue
  file=$src/docs/ui/$(sed 's/.*\///' <<<"$line")
  w=$(sed -n 's/.*width="\([0-9]*\)".*/\1/p' <<<"$line"); h=$(sed -n 's/.*height="\([0-9]*\)".*/\1/p' <<<"$line")
  if [ ! -f "$file" ]; then bad "screenshot $file is not in docs/ui"; continue; fi
  [ "$(png_size "$file")" = "${w}x$h" ] || bad "screenshot $file is $(png_size "$file"), described as ${w}x$h"
done <<<"$shots"

if command -v update-mime-database >/dev/null; then
  work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
  mkdir -p "$work/mime/packages"
  cp "$mime" "$work/mime/packages/"
  if ! out=$(XDG_DATA_DIRS=$work XDG_DATA_HOME=$work update-mime-database "$work/mime" 2>&1) || [ -n "$out" ]; then bad "update-mime-database: $out"; fi
  for pair in "*.tdj:application/x-tessed-project" "*.tdx:application/x-tessed-scenario"; do
    awk -F: -v t="${pair#*:}" -v g="${pair%%:*}" '$2 == t && $3 == g { found = 1 } END { exit !found }' \
      "$work/mime/globs2" || bad "the compiled database lacks ${pair%%:*} -> ${pair#*:}"
  done
fi
if command -v desktop-file-validate >/dev/null; then
  out=$(desktop-file-validate "$entry" 2>&1) || bad "desktop-file-validate: $out"
fi
if command -v appstreamcli >/dev/null; then
  out=$(appstreamcli validate --no-net "$metainfo" 2>&1) || bad "appstreamcli validate: $out"
fi
[ $fail -eq 0 ] && echo "desktop files agree: $(echo $declared), $(wc -l <<<"$shots") screenshots"
exit $fail
