#!/usr/bin/env bash
# The catalogue check must fail on a catalogue with a fault: a missing text in
# one language, or a placeholder text. Runs on copies of the built databases.
set -u
check="$1"; dat="$2"
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
fail=0
try() {  # $1 description, $2 SQL applied to the Italian copy
  rm -rf "$work/dat"; cp -r "$dat" "$work/dat"
  sqlite3 "$work/dat/TESSEDITA.mdb" "$2"
  if "$check" --db-dir "$work/dat" >/dev/null 2>&1; then
    echo "not detected: $1"; fail=1
  fi
}
try "a missing text" "DELETE FROM ANA_LABELS WHERE Id = 1561"
try "a placeholder text" "UPDATE ANA_LABELS SET TESTO = 'text 1561' WHERE Id = 1561"
try "an object without a family" "UPDATE ANA_OGGETTI SET ID_FAMIGLIA = NULL WHERE ID_OBJ = 8"
exit $fail
