#!/usr/bin/env bash
# Checks the master catalogue of every language.
#
#   scripts/check-catalogue.sh [--db-dir DIR] [--index FILE]
#
# Without --db-dir the databases are built from data/catalogue into a
# temporary folder, exactly as the build does (schema, shared rows, language
# file, one transaction). With --db-dir the TESSED<L>.mdb files found there are
# checked instead. --index names a Markdown file whose table lists text numbers
# in its first column; every number found there must exist too.
#
# Exit status 0 when every check passes, 1 otherwise; each failure is printed.
set -u

here=$(cd "$(dirname "$0")/.." && pwd)
catalogue="$here/data/catalogue"
db_dir=""
index=""
languages=(ITA ENG)

while [ $# -gt 0 ]; do
  case "$1" in
    --db-dir) db_dir="$2"; shift 2 ;;
    --index) index="$2"; shift 2 ;;
    -h|--help) sed -n '2,12p' "$0"; exit 0 ;;
    *) echo "unknown argument: $1" >&2; exit 2 ;;
  esac
done

command -v sqlite3 >/dev/null || { echo "sqlite3 is required" >&2; exit 2; }

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# --------------------------------------------------------------------------
# Databases
# --------------------------------------------------------------------------
declare -A DB
for L in "${languages[@]}"; do
  if [ -n "$db_dir" ]; then
    DB[$L]="$db_dir/TESSED$L.mdb"
    [ -f "${DB[$L]}" ] || { fail "$L: ${DB[$L]} does not exist"; continue; }
  else
    DB[$L]="$work/TESSED$L.mdb"
    if ! { echo "BEGIN;"; cat "$catalogue/schema.sql" "$catalogue/common.sql" "$catalogue/$L.sql"; echo "COMMIT;"; } \
        | sqlite3 -bail "${DB[$L]}" >"$work/build-$L.log" 2>&1; then
      fail "$L: the catalogue does not load: $(cat "$work/build-$L.log")"
      unset 'DB[$L]'
    fi
  fi
done
[ ${#DB[@]} -eq ${#languages[@]} ] || { echo "$failures failure(s)"; exit 1; }

q() { sqlite3 -batch -noheader "$1" "$2"; }

# Runs a query that lists offending rows; every row printed is a failure.
expect_none() {
  local db="$1" what="$2" sql="$3" out
  out=$(q "$db" "$sql")
  if [ -n "$out" ]; then
    while IFS= read -r line; do fail "$what: $line"; done <<<"$out"
  fi
}

# --------------------------------------------------------------------------
# Text numbers every language must hold
# --------------------------------------------------------------------------
# Texts the program looks up by number (captions, messages, listing words).
required_ids=(58 88
  1111 1112 1113 1114 1116 1117 1118 1119 1500
  1536 1537 1538 1539 1540 1541 1542 1543 1544 1545 1551 1552 1553 1554 1555
  1556 1557 1559 1560 1561 1562 1563 1564 1565 1566 1567 1568 1569 1570 1571
  1572 1573 1574 1576 1577 1578 1579 1580 1581 1582 1583 1584 1585 1586 1587
  1588 1589 1590 1591 1592 1593 1595 1605 1608 1609 1610 1611 1612 1613 1614
  1615 1616 1617 1618 1619 1620 1621 1622 1623 1624 1625 1626 1627 1628 1629
  1630 1642 1643 1644 1645 1646 1647 1648 1651 1652 1653 1654 1655 1656 1657
  1658 1659 1660 1661 1662 1663 1664 1665 1666 1667 1668 1669 1674 1675 1700
  1701 1702 1703 1704 1705 1706 1707 1708 1709 1710 1711 1712 1713 1714 1715
  1716 1717 1718 1719 1720 1721 1722 1723 1724 1725 1726 1727 1728 1729 1730
  1731 1732 1733 1734 1735 1736 1737 1738 1739 1740 1741 1742 1743 1744 1745
  1746 1747 1750 1751 1752 1753 1920 1921 1922 1923 1924 1925
  1926 1927 1928 1929 1930 1931 1932 1933 1934 1935
  1936 1937 1938 1939)
# the editor's caption list: 1000 to 1110
for ((i = 1000; i <= 1110; i++)); do required_ids+=("$i"); done
if [ -n "$index" ]; then
  [ -f "$index" ] || { fail "index file $index does not exist"; }
  # first column of every table row that starts with a number
  while read -r id; do required_ids+=("$id"); done < <(
    sed -n 's/^|[[:space:]]*\([0-9][0-9]*\)[[:space:]]*|.*/\1/p' "$index" 2>/dev/null | sort -un)
fi
ids_sql=$(printf '(%s),' $(printf '%s\n' "${required_ids[@]}" | sort -un))
ids_sql="${ids_sql%,}"

# Texts that must carry the placeholders the program replaces.
placeholders=(
  "1119:%1" "1538:%1" "1539:%1" "1580:%1" "1580:%2" "1581:%1" "1660:%1" "1667:%1"
  "1669:%1" "1702:%1" "1704:%1" "1706:%1" "1932:%1" "1934:%1" "1935:%1")

for L in "${languages[@]}"; do
  db=${DB[$L]}
  expect_none "$db" "$L: text missing or empty" \
    "WITH r(Id) AS (VALUES $ids_sql)
     SELECT r.Id FROM r LEFT JOIN ANA_LABELS l ON l.Id = r.Id
     WHERE l.Id IS NULL OR trim(coalesce(l.TESTO, '')) = '' ORDER BY r.Id;"
  expect_none "$db" "$L: text looks like a placeholder" \
    "SELECT Id || ' ' || quote(TESTO) FROM ANA_LABELS
     WHERE lower(trim(TESTO)) GLOB 'text [0-9]*' OR lower(trim(TESTO)) GLOB 'label [0-9]*'
        OR lower(trim(TESTO)) GLOB 'testo [0-9]*' OR TESTO GLOB '*[?][?][?]*'
        OR lower(TESTO) GLOB '*todo*' OR trim(TESTO) = CAST(Id AS TEXT);"
  for p in "${placeholders[@]}"; do
    id=${p%%:*}; ph=${p#*:}
    n=$(q "$db" "SELECT count(*) FROM ANA_LABELS WHERE Id = $id AND instr(TESTO, '$ph') > 0;")
    [ "$n" = 1 ] || fail "$L: text $id lacks the placeholder $ph"
  done
  n=$(q "$db" "SELECT count(*) FROM ANA_LABELS WHERE TESTO LIKE '%APP!_NAME%' ESCAPE '!';")
  [ "$n" -ge 1 ] || fail "$L: no text names the application through %APP_NAME%"
  n=$(q "$db" "SELECT count(DISTINCT TESTO) FROM ANA_LABELS WHERE Id BETWEEN 1068 AND 1074;")
  [ "$n" = 7 ] || fail "$L: the weekday names 1068-1074 are not seven different texts"
  n=$(q "$db" "SELECT count(*) FROM DB_CONFIG WHERE trim(coalesce(LINGUA, '')) <> '';")
  [ "$n" = 1 ] || fail "$L: DB_CONFIG must hold exactly one language name"
done

# --------------------------------------------------------------------------
# Descriptions of every catalogue row
# --------------------------------------------------------------------------
for L in "${languages[@]}"; do
  db=${DB[$L]}
  expect_none "$db" "$L: family without description, tool tip or picture" \
    "SELECT ID_FAMIGLIA FROM ANA_FAMIGLIA WHERE trim(coalesce(DESCRI_FAM,''))='' OR trim(coalesce(TOOLTIP,''))='' OR trim(coalesce(IMG_FAM,''))='';"
  expect_none "$db" "$L: object without family, description, tool tip or picture" \
    "SELECT o.ID_OBJ FROM ANA_OGGETTI o LEFT JOIN ANA_FAMIGLIA f ON f.ID_FAMIGLIA = o.ID_FAMIGLIA
     WHERE f.ID_FAMIGLIA IS NULL OR trim(coalesce(o.DESCRI_OBJ,''))='' OR trim(coalesce(o.TOOLTIP,''))=''
        OR trim(coalesce(o.IMG_OBJ,''))='';"
  expect_none "$db" "$L: operator without description or picture" \
    "SELECT ID_OPE FROM ANA_OPERATORE WHERE trim(coalesce(DESCRI_OPE,''))='' OR trim(coalesce(IMG_OPE,''))='';"
  expect_none "$db" "$L: WHO without description" \
    "SELECT ID_CHI FROM ANA_CHI WHERE trim(coalesce(DESCRI_CHI,''))='';"
  expect_none "$db" "$L: WHAT without description or bus code" \
    "SELECT ID_COSA FROM ANA_COSA WHERE trim(coalesce(DESCRI_COSA,''))='' OR trim(coalesce(OPEN_COSA,''))='';"
  expect_none "$db" "$L: WHERE without description or bus code" \
    "SELECT ID_DOVE FROM ANA_DOVE WHERE trim(coalesce(DESCRI_DOVE,''))='' OR trim(coalesce(OPEN_DOVE,''))='';"
  expect_none "$db" "$L: level without description" \
    "SELECT ID_OPEN_EXT FROM ANA_RULE_OPEN_EXT WHERE trim(coalesce(DESCRI,''))='';"
  expect_none "$db" "$L: key object without description" \
    "SELECT ID_KO FROM ANA_KEYOBJECT WHERE trim(coalesce(DESCRI_KO,''))='';"
done

# --------------------------------------------------------------------------
# Both languages hold the same rows; only the texts differ
# --------------------------------------------------------------------------
first=${languages[0]}
shape_sql="
SELECT 'labels', Id FROM ANA_LABELS ORDER BY Id;
SELECT 'fam', ID_FAMIGLIA, IMG_FAM, ORDINE, ATTIVA FROM ANA_FAMIGLIA ORDER BY 2;
SELECT 'obj', ID_OBJ, ID_FAMIGLIA, IMG_OBJ, ORDINE FROM ANA_OGGETTI ORDER BY 2;
SELECT 'ope', ID_OPE, IMG_OPE, ORDINE FROM ANA_OPERATORE ORDER BY 2;
SELECT 'res', * FROM ANA_RES_COSA ORDER BY 2;
SELECT 'chi', ID_CHI FROM ANA_CHI ORDER BY 2;
SELECT 'cosa', ID_COSA, OPEN_COSA, ID_RES_COSA FROM ANA_COSA ORDER BY 2;
SELECT 'dove', ID_DOVE, OPEN_DOVE FROM ANA_DOVE ORDER BY 2;
SELECT 'lvl', ID_OPEN_EXT, LEVEL_OPEN, MIN_ADD_I1, MAX_ADD_I1, MIN_ADD_I2, MAX_ADD_I2, MIN_ADD_I3,
       MAX_ADD_I3, MIN_ADD_I4, MAX_ADD_I4, NUM_DIGIT_ADD FROM ANA_RULE_OPEN_EXT ORDER BY 2;
SELECT 'not', * FROM ANA_NOT_COSA_DOVE ORDER BY 2, 3, 4;
SELECT 'ko', ID_KO FROM ANA_KEYOBJECT ORDER BY 2;
SELECT 'kc', * FROM ANA_KEYCONF ORDER BY 2, 3;
SELECT 'conv', * FROM ANA_CONVERSION_TYPE ORDER BY 2;
SELECT 'par', * FROM ANA_PARAMETER ORDER BY 2, 6, 3;
SELECT 'aree', * FROM ASS_OBJ_AREE ORDER BY 2;
SELECT 'achi', * FROM ASS_OBJ_CHI ORDER BY 2, 4, 3;
SELECT 'acosa', * FROM ASS_OBJ_COSA ORDER BY 2, 4, 5, 3;
SELECT 'adove', * FROM ASS_OBJ_DOVE ORDER BY 2, 4, 5, 3;
SELECT 'arule', * FROM ASS_RULE_OPEN_DOVE ORDER BY 2, 3;
SELECT 'time', * FROM ASS_RES_TIME ORDER BY 2;
SELECT 'kobj', * FROM ASS_KEYOBJ_OBJ ORDER BY 2;"
q "${DB[$first]}" "$shape_sql" >"$work/shape-$first"
for L in "${languages[@]:1}"; do
  q "${DB[$L]}" "$shape_sql" >"$work/shape-$L"
  if ! diff -q "$work/shape-$first" "$work/shape-$L" >/dev/null; then
    while IFS= read -r line; do
      fail "$first and $L hold different rows: $line"
    done < <(diff "$work/shape-$first" "$work/shape-$L" | grep '^[<>]' | head -20)
  fi
done

# From here on the rows are the same in every language: check one database.
db=${DB[$first]}

# --------------------------------------------------------------------------
# Pictures
# --------------------------------------------------------------------------
res="$here/data/catalogue/res"
{
  q "$db" "SELECT IMG_FAM FROM ANA_FAMIGLIA;"
  # the selected picture of a family: "p" before the extension's point
  q "$db" "SELECT substr(IMG_FAM, 1, length(IMG_FAM) - length(replace(IMG_FAM, rtrim(IMG_FAM, replace(IMG_FAM, '.', '')), '')) - 1)
             || 'p.' || replace(IMG_FAM, rtrim(IMG_FAM, replace(IMG_FAM, '.', '')), '') FROM ANA_FAMIGLIA;"
  q "$db" "SELECT IMG_OBJ FROM ANA_OGGETTI;"
  q "$db" "SELECT IMG_OPE FROM ANA_OPERATORE;"
  q "$db" "SELECT IMG FROM ANA_RES_COSA;"
  printf '%s\n' noimg.gif NoOpe.gif dummy.gif
} | sort -u >"$work/pictures"
while IFS= read -r f; do
  [ -n "$f" ] || continue
  if [ ! -f "$res/$f" ]; then
    fail "picture $f is missing from data/catalogue/res"
  elif [ "$(head -c 6 "$res/$f")" != "GIF89a" ] && [ "$(head -c 6 "$res/$f")" != "GIF87a" ]; then
    fail "picture $f is not a GIF file"
  fi
done <"$work/pictures"
[ -f "$here/data/system/splash.gif" ] || fail "data/system/splash.gif is missing"
expect_none "$db" "WHAT whose icon resource does not exist" \
  "SELECT ID_COSA FROM ANA_COSA WHERE ID_RES_COSA NOT IN (SELECT ID_RES_COSA FROM ANA_RES_COSA);"
expect_none "$db" "time picture whose resource does not exist" \
  "SELECT ID_RES FROM ASS_RES_TIME WHERE ID_RES NOT IN (SELECT ID_RES_COSA FROM ANA_RES_COSA);"

# --------------------------------------------------------------------------
# Associations point at existing rows
# --------------------------------------------------------------------------
orphans=(
  "ASS_OBJ_AREE:ID_OBJ:ANA_OGGETTI:ID_OBJ"
  "ASS_OBJ_CHI:ID_OBJ:ANA_OGGETTI:ID_OBJ" "ASS_OBJ_CHI:ID_CHI:ANA_CHI:ID_CHI"
  "ASS_OBJ_COSA:ID_OBJ:ANA_OGGETTI:ID_OBJ" "ASS_OBJ_COSA:ID_COSA:ANA_COSA:ID_COSA"
  "ASS_OBJ_DOVE:ID_OBJ:ANA_OGGETTI:ID_OBJ" "ASS_OBJ_DOVE:ID_DOVE:ANA_DOVE:ID_DOVE"
  "ASS_RULE_OPEN_DOVE:ID_DOVE:ANA_DOVE:ID_DOVE" "ASS_RULE_OPEN_DOVE:ID_OPEN_EXT:ANA_RULE_OPEN_EXT:ID_OPEN_EXT"
  "ANA_NOT_COSA_DOVE:ID_OBJ:ANA_OGGETTI:ID_OBJ" "ANA_NOT_COSA_DOVE:ID_COSA:ANA_COSA:ID_COSA"
  "ANA_NOT_COSA_DOVE:ID_DOVE:ANA_DOVE:ID_DOVE"
  "ASS_KEYOBJ_OBJ:ID_OBJ:ANA_OGGETTI:ID_OBJ" "ASS_KEYOBJ_OBJ:ID_KO:ANA_KEYOBJECT:ID_KO"
  "ANA_KEYCONF:ID_ASS:ASS_KEYOBJ_OBJ:ID_ASS" "ANA_PARAMETER:ID_ASS:ASS_KEYOBJ_OBJ:ID_ASS"
  "ANA_PARAMETER:ID_CONV_TYPE:ANA_CONVERSION_TYPE:ID_CONV_TYPE")
for o in "${orphans[@]}"; do
  IFS=: read -r t c rt rc <<<"$o"
  expect_none "$db" "$t.$c points at no $rt row" \
    "SELECT DISTINCT $c FROM $t WHERE $c IS NULL OR $c NOT IN (SELECT $rc FROM $rt);"
done
expect_none "$db" "ID_AREA outside 0, 3, 4, 5, 6" \
  "SELECT 'ASS_OBJ_CHI ' || ID_AREA FROM ASS_OBJ_CHI WHERE ID_AREA NOT IN (0,3,4,5,6)
   UNION SELECT 'ASS_OBJ_COSA ' || ID_AREA FROM ASS_OBJ_COSA WHERE ID_AREA NOT IN (0,3,4,5,6)
   UNION SELECT 'ASS_OBJ_DOVE ' || ID_AREA FROM ASS_OBJ_DOVE WHERE ID_AREA NOT IN (0,3,4,5,6)
   UNION SELECT 'ASS_KEYOBJ_OBJ ' || ID_AREA FROM ASS_KEYOBJ_OBJ WHERE ID_AREA NOT IN (0,3,4,5,6);"
expect_none "$db" "object without a slot-group row" \
  "SELECT ID_OBJ FROM ANA_OGGETTI WHERE ID_OBJ NOT IN (SELECT ID_OBJ FROM ASS_OBJ_AREE);"

# Every object placed in a group answers there with a WHO and at least one
# WHAT or WHERE; associations in areas where it cannot be placed are dead.
area_sql="WITH placed(ID_OBJ, ID_AREA) AS (
    SELECT ID_OBJ, 3 FROM ASS_OBJ_AREE WHERE TRIGGER <> 0
    UNION SELECT ID_OBJ, 6 FROM ASS_OBJ_AREE WHERE TRIGGERSTOP <> 0
    UNION SELECT ID_OBJ, 4 FROM ASS_OBJ_AREE WHERE COND_OK <> 0
    UNION SELECT ID_OBJ, 5 FROM ASS_OBJ_AREE WHERE ACT <> 0
    UNION SELECT ID_OBJ, 0 FROM ASS_OBJ_AREE WHERE COND_KO <> 0 OR ACT_ELSE <> 0)"
expect_none "$db" "object and area without a WHO" \
  "$area_sql SELECT p.ID_OBJ || ' area ' || p.ID_AREA FROM placed p
   WHERE NOT EXISTS (SELECT 1 FROM ASS_OBJ_CHI c WHERE c.ID_OBJ = p.ID_OBJ AND c.ID_AREA = p.ID_AREA);"
expect_none "$db" "object and area with neither WHAT nor WHERE" \
  "$area_sql SELECT p.ID_OBJ || ' area ' || p.ID_AREA FROM placed p
   WHERE NOT EXISTS (SELECT 1 FROM ASS_OBJ_COSA c WHERE c.ID_OBJ = p.ID_OBJ AND c.ID_AREA = p.ID_AREA)
     AND NOT EXISTS (SELECT 1 FROM ASS_OBJ_DOVE d WHERE d.ID_OBJ = p.ID_OBJ AND d.ID_AREA = p.ID_AREA);"
expect_none "$db" "association in an area where the object cannot be placed" \
  "$area_sql SELECT 'WHAT ' || ID_OBJ || ' area ' || ID_AREA FROM ASS_OBJ_COSA
     WHERE (ID_OBJ, ID_AREA) NOT IN (SELECT ID_OBJ, ID_AREA FROM placed)
   UNION SELECT 'WHERE ' || ID_OBJ || ' area ' || ID_AREA FROM ASS_OBJ_DOVE
     WHERE (ID_OBJ, ID_AREA) NOT IN (SELECT ID_OBJ, ID_AREA FROM placed);"
expect_none "$db" "object and area whose WHAT list has a repeated order" \
  "SELECT ID_OBJ || ' area ' || ID_AREA FROM ASS_OBJ_COSA GROUP BY ID_OBJ, ID_AREA
   HAVING count(*) <> count(DISTINCT ORDINE);"

# --------------------------------------------------------------------------
# Objects and WHAT codes the program recognises by number
# --------------------------------------------------------------------------
fixed_objects=(1 8 9 23 24 26 27 28 29 30 31 33 34 35 36 37 38 39 40 41 42 43 44 45
               48 49 50 51 52 54 56 58 60 61 62 66 67)
for o in "${fixed_objects[@]}"; do
  n=$(q "$db" "SELECT count(*) FROM ANA_OGGETTI o JOIN ASS_OBJ_AREE a ON a.ID_OBJ = o.ID_OBJ
               WHERE o.ID_OBJ = $o;")
  [ "$n" = 1 ] || fail "object $o is missing or has no slot-group row"
done

# object:WHAT codes (a-b is a range) that must be associated with the object
what_codes=(
  "1:3-11" "42:3-11" "9:34-35" "26:155" "28:161" "34:236" "37:237" "40:244"
  "33:258" "41:258" "43:263-265" "43:566" "44:308-309" "45:314-316" "49:419"
  "50:421-427" "51:430-434" "56:553-554" "31:567" "60:572-600")
for e in "${what_codes[@]}"; do
  o=${e%%:*}; r=${e#*:}; lo=${r%-*}; hi=${r#*-}
  for ((c = lo; c <= hi; c++)); do
    n=$(q "$db" "SELECT count(*) FROM ANA_COSA WHERE ID_COSA = $c;")
    [ "$n" = 1 ] || { fail "WHAT code $c is missing"; continue; }
    n=$(q "$db" "SELECT count(*) FROM ASS_OBJ_COSA WHERE ID_OBJ = $o AND ID_COSA = $c;")
    [ "$n" -ge 1 ] || fail "WHAT code $c is not associated with object $o"
  done
done
# codes the dialogs test in a given area
area_codes=("31:4:567" "43:4:566" "60:4:572" "60:5:572" "60:5:586" "60:5:587" "37:5:237" "34:5:236"
            "45:5:314" "9:5:34" "9:5:35" "49:5:419" "26:5:155" "40:5:244")
for e in "${area_codes[@]}"; do
  IFS=: read -r o a c <<<"$e"
  n=$(q "$db" "SELECT count(*) FROM ASS_OBJ_COSA WHERE ID_OBJ = $o AND ID_AREA = $a AND ID_COSA = $c;")
  [ "$n" -ge 1 ] || fail "WHAT code $c is not offered for object $o in area $a"
done

# The typed address of object 49 is looked up by its bus code alone, so each
# code of its range must name exactly one where.
expect_none "$db" "object 49: ambiguous or missing where code" \
  "WITH RECURSIVE r(i, hi) AS (
     SELECT CAST(min(CAST(d.OPEN_DOVE AS INTEGER)) AS INTEGER), max(CAST(d.OPEN_DOVE AS INTEGER))
       FROM ASS_OBJ_DOVE a JOIN ANA_DOVE d ON d.ID_DOVE = a.ID_DOVE WHERE a.ID_OBJ = 49 AND a.ID_AREA = 5
     UNION ALL SELECT i + 1, hi FROM r WHERE i < hi)
   SELECT i || ' (' || (SELECT count(*) FROM ANA_DOVE WHERE OPEN_DOVE = CAST(i AS TEXT)) || ' rows)'
   FROM r WHERE (SELECT count(*) FROM ANA_DOVE WHERE OPEN_DOVE = CAST(i AS TEXT)) <> 1;"

# --------------------------------------------------------------------------
# Shape of the palette, the levels and the time pictures
# --------------------------------------------------------------------------
n=$(q "$db" "SELECT count(*) FROM ANA_FAMIGLIA WHERE ATTIVA <> 0;")
[ "$n" -ge 11 ] || fail "only $n active families (the ten family slots must scroll)"
n=$(q "$db" "SELECT count(*) FROM ANA_FAMIGLIA WHERE ATTIVA = 0;")
[ "$n" -ge 1 ] || fail "no inactive family"
n=$(q "$db" "SELECT max(c) FROM (SELECT count(*) c FROM ANA_OGGETTI GROUP BY ID_FAMIGLIA);")
[ "$n" -ge 9 ] || fail "no family holds nine objects (the eight object slots must scroll)"
n=$(q "$db" "SELECT count(*) FROM ASS_OBJ_AREE WHERE TRIGGER = 0 AND TRIGGERSTOP = 0 AND COND_OK = 0
             AND COND_KO = 0 AND ACT = 0 AND ACT_ELSE = 0;")
[ "$n" -ge 1 ] || fail "no object is refused by every slot group"
n=$(q "$db" "SELECT count(*) FROM ANA_OPERATORE WHERE ID_OPE IN (1, 2);")
[ "$n" = 2 ] || fail "operators 1 and 2 are missing"
for lvl in "IS NULL" "= '3'" "= '4'"; do
  n=$(q "$db" "SELECT count(*) FROM ANA_RULE_OPEN_EXT WHERE LEVEL_OPEN $lvl;")
  [ "$n" -ge 1 ] || fail "no level with LEVEL_OPEN $lvl"
done
for d in 1 2 3 4; do
  n=$(q "$db" "SELECT count(*) FROM ANA_RULE_OPEN_EXT WHERE NUM_DIGIT_ADD = $d;")
  [ "$n" -ge 1 ] || fail "no level with a $d-digit extension"
done
expect_none "$db" "level whose extension bounds are inverted or not digits" \
  "SELECT ID_OPEN_EXT FROM ANA_RULE_OPEN_EXT WHERE
     MIN_ADD_I1 > MAX_ADD_I1 OR MIN_ADD_I2 > MAX_ADD_I2 OR MIN_ADD_I3 > MAX_ADD_I3 OR MIN_ADD_I4 > MAX_ADD_I4
     OR min(MIN_ADD_I1, MIN_ADD_I2, MIN_ADD_I3, MIN_ADD_I4) < 0
     OR max(MAX_ADD_I1, MAX_ADD_I2, MAX_ADD_I3, MAX_ADD_I4) > 9;"
n=$(q "$db" "SELECT count(*) FROM (SELECT DISTINCT ORA_SINGOLA, FASCIA_ORA, TUTTA_SETT, PIANO_SETT, SEMPRE, DADATA_ADATA
             FROM ASS_RES_TIME WHERE NOT (ORA_SINGOLA <> 0 AND FASCIA_ORA <> 0)
               AND (TUTTA_SETT <> 0) <> (PIANO_SETT <> 0) AND (SEMPRE <> 0) <> (DADATA_ADATA <> 0));")
[ "$n" = 12 ] || fail "the time pictures cover $n of the 12 option combinations"

# --------------------------------------------------------------------------
# Configurator key objects
# --------------------------------------------------------------------------
for f in 'X' '2[X]' '1[X]' '4000+[X]' 'IIF(X<10;0[X];X)' 'VAL(X)' '2[VAL(X)]' '3[X]' '3#X#Y' '3[F[HEX(X)-HEX(Y)]]'; do
  n=$(q "$db" "SELECT count(*) FROM ANA_PARAMETER p JOIN ANA_CONVERSION_TYPE c ON c.ID_CONV_TYPE = p.ID_CONV_TYPE
               WHERE upper(c.CONVERSION) = '$f';")
  [ "$n" -ge 1 ] || fail "no parameter rule uses the conversion $f"
done
for f in 'A+PL' 'A-PF' 'Z-N_AI'; do
  n=$(q "$db" "SELECT count(*) FROM ANA_PARAMETER WHERE CUSTOM <> 0 AND upper(PARAMETER) = '$f';")
  [ "$n" -ge 1 ] || fail "no parameter rule uses the custom where format $f"
done
n=$(q "$db" "SELECT count(*) FROM (SELECT a.ID_KO FROM ASS_KEYOBJ_OBJ a LEFT JOIN ANA_KEYCONF k ON k.ID_ASS = a.ID_ASS
             WHERE k.ID_ASS IS NULL GROUP BY a.ID_KO, a.ID_AREA, a.KEY_SYSTEM HAVING count(DISTINCT a.ID_OBJ) > 1);")
[ "$n" -ge 1 ] || fail "no key object resolves to two objects"
n=$(q "$db" "SELECT count(*) FROM ANA_KEYCONF;")
[ "$n" -ge 1 ] || fail "no key-object association carries a configuration condition"
expect_none "$db" "key-object association whose object cannot be placed in its area" \
  "$area_sql SELECT ID_ASS FROM ASS_KEYOBJ_OBJ WHERE (ID_OBJ, ID_AREA) NOT IN (SELECT ID_OBJ, ID_AREA FROM placed);"
expect_none "$db" "multi-rule property without distinct ranks" \
  "SELECT ID_ASS || ' ' || PROPERTY FROM ANA_PARAMETER GROUP BY ID_ASS, PROPERTY
   HAVING count(*) > 1 AND count(DISTINCT \"ORDER\") <> count(*);"

if [ "$failures" -eq 0 ]; then
  echo "catalogue check passed (${languages[*]})"
  exit 0
fi
echo "$failures failure(s)"
exit 1
