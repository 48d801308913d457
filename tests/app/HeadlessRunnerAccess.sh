#!/usr/bin/env bash
# The headless runner on an Access file: a table of the Northwind database into a sheet and a
# workbook, then the whole database saved as a copy in SQLite, which opens with the same table;
# the copy is never written over an existing file, the Access file is never changed, and a
# damaged copy ends the run as failed.
# usage: HeadlessRunnerAccess.sh SOURCE_DIR BUILD_DIR
# Exit status 77 means the fixture is missing (the test is skipped).
set -u
src=$1 build=$2
runner=$build/app/quorvel-headless
fixture=$src/../shared/fixtures/access/nwind.mdb
[ -e "$fixture" ] || { echo "SKIP: $fixture is missing"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export QUORVEL_REGISTRY=$work/registry.db
fail() { echo "FAILED: $*"; exit 1; }
cp "$fixture" "$work/nwind.mdb"
before=$(sha256sum < "$work/nwind.mdb")

out=$("$runner" --database "$work/nwind.mdb" --table "Order Details" --save "$work/od.xlsx" 2>&1) ||
    fail "reading the table: $out"
grep -q 'The form shows \[Order Details\]' <<< "$out" || fail "the table is not shown: $out"
# Every row reached the saved workbook: 2155 records below the header.
python3 -c 'import sys, zipfile; sys.exit(b"<row r=\"2156\"" not in zipfile.ZipFile(sys.argv[1]).read("xl/worksheets/sheet1.xml"))' "$work/od.xlsx" ||
    fail "the saved sheet lacks rows"
[ -s "$work/od.xlsx" ] || fail "the workbook was not saved"

out=$("$runner" --database "$work/nwind.mdb" --save-copy-as-sqlite "$work/nwind.sqlite" 2>&1) ||
    fail "saving the copy: $out"
grep -q '9 tables, 4032 rows' <<< "$out" || fail "unexpected copy report: $out"
out=$("$runner" --database "$work/nwind.sqlite" --table Products 2>&1) || fail "opening the copy: $out"
grep -q 'The form shows \[Products\]' <<< "$out" || fail "the copy's table is not shown: $out"
grep -q 'Employee Sales by Country' <<< "$out" || fail "the copy's queries are not listed: $out"

out=$("$runner" --database "$work/nwind.mdb" --save-copy-as-sqlite "$work/nwind.sqlite" 2>&1) &&
    fail "a second copy over the first ended with status 0"
grep -q 'already exists' <<< "$out" || fail "no clear message for an existing copy: $out"
"$runner" --save-copy-as-sqlite "$work/x.sqlite" > /dev/null 2>&1
[ $? -eq 2 ] || fail "--save-copy-as-sqlite without --database is not a usage error"

# A damaged copy opens, but listing its tables fails: the add-in's error makes the run fail.
cp "$work/nwind.mdb" "$work/damaged.mdb"
chmod u+w "$work/damaged.mdb"
dd if=/dev/zero of="$work/damaged.mdb" bs=2048 seek=3 count=1 conv=notrunc 2>/dev/null
out=$("$runner" --database "$work/damaged.mdb" --table Products 2>&1) &&
    fail "a damaged file whose tables cannot be listed ended with status 0: $out"
grep -q 'failed: the add-in reported an error: .*damaged' <<< "$out" || fail "no reason for the failure: $out"
! grep -q 'Picking entry' <<< "$out" || fail "the run went on after the failed step: $out"
# A copy of a file with a damaged saved query fails with the reason and leaves no file behind.
cp "$work/nwind.mdb" "$work/badquery.mdb"
chmod u+w "$work/badquery.mdb"
dd if=/dev/zero of="$work/badquery.mdb" bs=2048 seek=20 count=1 conv=notrunc 2>/dev/null
out=$("$runner" --database "$work/badquery.mdb" 2>&1) && fail "a damaged saved query did not fail the opening: $out"
grep -q "failed: the add-in reported an error: The saved query" <<< "$out" || fail "no reason for the failure: $out"
out=$("$runner" --database "$work/badquery.mdb" --save-copy-as-sqlite "$work/badquery.sqlite" 2>&1) &&
    fail "copying a damaged file ended with status 0: $out"
grep -q "Error 3343: The saved query" <<< "$out" || fail "no reason for the failed copy: $out"
[ ! -e "$work/badquery.sqlite" ] || fail "a failed copy left a file behind"

[ "$(sha256sum < "$work/nwind.mdb")" = "$before" ] || fail "the Access file changed"
echo "Access runner checks passed"
