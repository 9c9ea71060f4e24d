#!/usr/bin/env bash
# gmpbill's command line against files it did not make, deep or malformed
# scenarios, and a tampered user log.
#   gmpbill_cli.sh GMPBILL SCENARIO
set -u
gmpbill="$1"
scenario="$2"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
failures=0
passes=0
check() {  # check NAME EXPECTED-CODE ACTUAL-CODE
  if [ "$2" = "$3" ]; then passes=$((passes + 1)); else
    echo "FAIL $1: exit $3, expected $2"; failures=$((failures + 1)); fi
}

# Something the program did not make is never replaced.
echo "keep me" > "$work/notes.txt"
"$gmpbill" run --database "$work/notes.txt" "$scenario" >/dev/null 2>"$work/err"
check "text file refused" 2 $?
grep -q "keep me" "$work/notes.txt" || { echo "FAIL text file changed"; failures=$((failures + 1)); }
mkdir "$work/folder"
"$gmpbill" run --database "$work/folder" "$scenario" >/dev/null 2>&1
check "folder refused" 2 $?
[ -d "$work/folder" ] || { echo "FAIL folder removed"; failures=$((failures + 1)); }
cp "$scenario" "$work/scenario.json"
"$gmpbill" run --database "$work/scenario.json" "$work/scenario.json" >/dev/null 2>&1
check "scenario file refused" 2 $?
cmp -s "$scenario" "$work/scenario.json" || { echo "FAIL scenario file changed"; failures=$((failures + 1)); }

# Its own database is replaced run after run.
"$gmpbill" run --database "$work/run.db" "$scenario" >/dev/null 2>&1
check "first run" 0 $?
"$gmpbill" run --database "$work/run.db" "$scenario" >/dev/null 2>&1
check "second run on its own database" 0 $?

# Two runs on one path at the same moment: one is refused, neither corrupts.
"$gmpbill" run --database "$work/shared.db" "$scenario" "$scenario" "$scenario" >/dev/null 2>&1 &
first=$!
"$gmpbill" run --database "$work/shared.db" "$scenario" "$scenario" "$scenario" >/dev/null 2>&1
second=$?
wait "$first"
first=$?
if [ "$first" -ne 0 ] && [ "$second" -ne 0 ]; then
  echo "FAIL both runs on one path failed ($first, $second)"; failures=$((failures + 1))
elif [ "$first" -ne 0 ] && [ "$first" -ne 2 ] || [ "$second" -ne 0 ] && [ "$second" -ne 2 ]; then
  echo "FAIL a run on a shared path broke ($first, $second)"; failures=$((failures + 1))
else passes=$((passes + 1)); fi

# A scenario nested 100000 levels deep is refused, not a crash.
{ head -c 100000 /dev/zero | tr '\0' '['; head -c 100000 /dev/zero | tr '\0' ']'; } > "$work/deep.json"
"$gmpbill" run "$work/deep.json" > "$work/out" 2>&1
check "deep scenario" 1 $?
grep -q "nested deeper" "$work/out" || { echo "FAIL deep scenario not explained"; failures=$((failures + 1)); }

# Text read from the database that is not UTF-8 fails only its own step; the
# transcript and the steps after it are kept.
cat > "$work/utf.json" <<'JSON'
{"name": "not utf-8", "plugin": "OrbGMPBillEvent.OperateProj", "template": "operate_proj",
 "database": {"schema": ["schema/operate_proj.sql"]},
 "steps": [{"do": "new"},
  {"do": "sql", "sql": "INSERT INTO GMPOperationProj (FID, FBillNO) VALUES (5, CAST(x'ff41' AS TEXT))"},
  {"do": "load", "bill": 5, "expect": {"fields": {"FBillNO": "A"}}},
  {"do": "new", "expect": {"billStatus": 99}}]}
JSON
"$gmpbill" run --transcript "$work/utf.json" > "$work/out" 2>&1
check "invalid utf-8 scenario" 1 $?
grep -q "step 3 (load" "$work/out" && grep -q "step 4 (new" "$work/out" &&
  grep -q '"kind":"snapshot"' "$work/out" ||
  { echo "FAIL invalid utf-8 lost the transcript or steps"; failures=$((failures + 1)); }

# The user log: intact, then one line changed.
"$gmpbill" demo --database "$work/demo.db" >/dev/null 2>&1
"$gmpbill" verify-log --database "$work/demo-operate_proj.db" >/dev/null
check "log intact" 0 $?
# The bill number of the scheme's audit log line, altered in the file.
LC_ALL=C perl -pi -e 's/OP-2024-001/OP-2024-009/' "$work/demo-operate_proj.db"
"$gmpbill" verify-log --database "$work/demo-operate_proj.db" > "$work/out"
check "log changed" 1 $?
grep -q "broken at row" "$work/out" || { echo "FAIL changed row not named"; failures=$((failures + 1)); }
"$gmpbill" verify-log --database "$work/notes.txt" >/dev/null 2>&1
check "verify-log of no database" 2 $?

echo "gmpbill cli: $passes passed, $failures failed"
[ "$failures" -eq 0 ]
