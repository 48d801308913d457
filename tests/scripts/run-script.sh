#!/usr/bin/env bash
# Runs a headless script against a fresh copy of a database and checks the file afterwards with
# the sqlite3 shell, outside the product.
#   demo     tests/scripts/demo-road.qvs on the demo database (samples target)
#   chinook  tests/scripts/chinook-road.qvs on Chinook from ../shared/fixtures
#   queries  tests/scripts/demo-queries.qvs: every saved query of the demo database
#   commands tests/scripts/demo-commands.qvs: one line of each command the README documents
#   edge     tests/scripts/edge-road.qvs on tests/scripts/edge.sql, made with the sqlite3 shell
# usage: run-script.sh demo|chinook|queries|commands|edge SOURCE_DIR BUILD_DIR
# Exit status 77 means a fixture is missing (the test is skipped).
mode=$1
source "$(dirname "${BASH_SOURCE[0]}")/../support/runner-setup.sh" "$2" "$3"
export TMPDIR=$work
command -v sqlite3 >/dev/null || { echo "SKIP: the sqlite3 shell is missing (Debian package sqlite3)"; exit 77; }

# The one value of a query on the copy.
value() { sqlite3 "$db" "$1"; }
expect() { # SQL expected
    local got
    got=$(value "$1")
    [ "$got" = "$2" ] || fail "$1: got '$got', expected '$2'"
}

run() { # script
    sed "s#@DATABASE@#$db#" "tests/scripts/$1" >"$work/script"
    out=$("$runner" --script "$work/script" 2>&1)
    local rc=$?
    printf '%s\n' "$out"
    [ $rc -eq 0 ] || fail "the runner ended with status $rc"
    ! grep -q 'did not answer' <<<"$out" || fail "the prompts went differently than the script"
    expect "PRAGMA integrity_check" ok
}

case $mode in
demo)
    need "$build/samples/demo.db"
    db=$work/demo.db
    cp "$build/samples/demo.db" "$db"
    run demo-road.qvs
    [ "$(grep -c '^= values A1:C2 of sheet' <<<"$out")" -eq 8 ] || fail "not every table was shown"
    expect "SELECT RegionName FROM Regions WHERE Country = 'BE' AND Code = 7" "Vlaams-Brabant"
    expect "SELECT Phone || '|' || typeof(Phone) FROM Customers WHERE CustomerID = 'ALFR1'" "0201234567|text"
    expect "SELECT ContactName FROM Customers WHERE CustomerID = 'ANAT2'" "Zoë's ‘naam’"
    expect "SELECT Description || '|' || typeof(Description) FROM Categories WHERE CategoryID = 1" "0099|text"
    expect "SELECT count(*) FROM [Order Details] WHERE OrderID = 1 AND ProductID = 12" 0
    expect "SELECT count(*) FROM [Order Details]" 199
    # Nothing else changed: the other customers are as the build left them.
    expect "SELECT count(*) FROM Customers" "$(sqlite3 "$build/samples/demo.db" 'SELECT count(*) FROM Customers')"
    ;;
chinook)
    need ../shared/fixtures/sqlite/Chinook_Sqlite.sqlite
    db=$work/Chinook.sqlite
    cp ../shared/fixtures/sqlite/Chinook_Sqlite.sqlite "$db"
    run chinook-road.qvs
    [ "$(grep -c '^= values A1:B2 of sheet' <<<"$out")" -eq 12 ] || fail "not every table was shown"
    expect "SELECT Name FROM Artist WHERE ArtistId = 1" "AC/DC ⚡"
    expect "SELECT Name || '|' || typeof(Name) FROM Artist WHERE ArtistId = 2" "0042|text"
    expect "SELECT count(*) FROM PlaylistTrack WHERE PlaylistId = 1 AND TrackId = 2819" 1
    expect "SELECT count(*) FROM PlaylistTrack WHERE PlaylistId = 1 AND TrackId = 3402" 0
    expect "SELECT count(*) FROM PlaylistTrack" 8715
    ;;
queries)
    need "$build/samples/demo.db"
    db=$work/demo.db
    cp "$build/samples/demo.db" "$db"
    run demo-queries.qvs
    for sheet in "All Contacts" "Customers by Country" "Customers in Country" "Dutch Customers" \
        "Order Totals" "Orders by Year" "Orders Since" "Product List" "Products in Price Range"; do
        grep -qF "of sheet \"Query $sheet\"" <<<"$out" || fail "no result sheet of $sheet"
    done
    # The crosstab's first column heading is the first year of the orders.
    grep -A1 -F 'of sheet "Query Orders by Year"' <<<"$out" | grep -qP "^  CustomerID\t$(value "SELECT min(strftime('%Y', OrderDate)) FROM Orders")(\t|$)" ||
        fail "the crosstab has no column of the first year"
    expect "SELECT count(*) FROM sqlite_master WHERE name = 'OrdersArchive2024'" 0
    expect "SELECT count(*) FROM sqlite_master WHERE name = 'PriceHistory'" 1
    expect "SELECT group_concat(Action) FROM AuditLog" "Maintenance run"
    expect "SELECT count(*) FROM Products WHERE UnitsInStock = 0 AND (Status <> 'Retired' OR NOT Discontinued)" 0
    expect "SELECT count(*) > 0 FROM Products WHERE Status = 'Retired'" 1
    ;;
commands)
    need "$build/samples/demo.db"
    db=$work/demo.db
    cp "$build/samples/demo.db" "$db"
    run demo-commands.qvs
    # What each line printed, in the order of the script.
    expected=$'> pick cboTables 8\n> select C2:C3\n= status "Ready"\n> enter C2 "Noord-Holland 2"\n> paste C3 (1 rows)'
    expected+=$'\n= values C2:C3 of sheet "Regions Table"\n  Noord-Holland 2\n  Zuid-Holland 2'
    expected+=$'\n= texts A2:B2 of sheet "Regions Table"\n  NL\t1'
    expected+=$'\n= colors C2 of sheet "Regions Table"\n  65535' # the edited colour
    expected+=$'\n= locks A1:A2 of sheet "Regions Table"\n  True\n  False\n> key F7'
    expected+=$'\n  [dialog frmMessage] "Quorvel LT"\n    lblText="The changes are stored in the database." -> 1'
    expected+=$'\n= message "The changes are stored in the database."\n= status "Ready"\n> pick cmdRowAdd\n> key F9'
    expected+=$'\n= values A1 of sheet "Regions Table"\n  Country code'
    got=$(sed -n '/^> pick cboTables 8$/,$p' <<<"$out" | grep -v '^Prompts\|^Steps')
    [ "$got" = "$expected" ] || fail "the transcript differs:"$'\n'"$(diff <(printf '%s\n' "$expected") <(printf '%s\n' "$got"))"
    expect "SELECT group_concat(RegionName, '|') FROM Regions WHERE Country = 'NL' AND Code IN (1, 2)" \
        "Noord-Holland 2|Zuid-Holland 2"
    ;;
edge)
    db=$work/edge.sqlite
    sqlite3 "$db" <tests/scripts/edge.sql || fail "the edge database could not be made"
    run edge-road.qvs
    expect "SELECT group_concat(t, '|') FROM \"=formula\"" "=1+1|plain"
    expect "SELECT group_concat(taken || '=' || reading, '|') FROM (SELECT * FROM readings ORDER BY reading)" \
        "2024-02-02=e1|2024-01-31T13:45:00=e2|2024-02-03 10:00:00=e3"
    expect "SELECT name FROM \"shop.items\" WHERE code = 'TRUE'" "washer"
    expect "SELECT group_concat(word || n, '|') FROM words" "a10|c4|ä3"
    grep -qP '^  c\t6$' <<<"$out" || fail "the query's number after an empty row is not shown as a number"
    ;;
*)
    fail "unknown mode $mode"
    ;;
esac
echo "passed: $mode"
