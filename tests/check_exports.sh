#!/usr/bin/env bash
# Lists the dynamic symbols that a shared library defines and fails on any that
# is neither a function of the C interface nor a member of the Edit class (or
# one of the two registration functions declared beside it).
set -euo pipefail
lib=$1
symbols=$(nm -D --defined-only "$lib" | awk '{print $3}' | grep -v '^$')
[ -n "$symbols" ] || { echo "no symbols in $lib"; exit 1; }
bad=$(echo "$symbols" | c++filt | grep -Ev '^(tessed_edit_[A-Za-z_]+|tessed::Edit::.*|(typeinfo|typeinfo name|vtable) for tessed::Edit|tessed::SetUserInterfaceStarter\(.*\)|tessed::SetProjectBatch\(.*\)|TESSED40_[0-9.]+)$' || true)
if [ -n "$bad" ]; then
  echo "exported beyond the interface:"; echo "$bad" | head -50; exit 1
fi
echo "$(echo "$symbols" | wc -l) symbols, all of the interface"
