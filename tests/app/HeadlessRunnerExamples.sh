#!/usr/bin/env bash
# The headless runner as a person and a script meet it.
#   readme    every example command of README.md, pasted as written, twice in a row: each must
#             end with exit status 0 both times (the second run finds the settings the first
#             one left behind, and the files it saved).
#   failures  a cancelled password, a refused table, a save that cannot happen and a wrong
#             command line each end with a non-zero status; with --dutch every text the person
#             reads comes from the add-in in Dutch.
# usage: HeadlessRunnerExamples.sh readme|failures SOURCE_DIR BUILD_DIR
# Exit status 77 means a fixture is missing (the test is skipped).
mode=$1
source "$(dirname "${BASH_SOURCE[0]}")/../support/runner-setup.sh" "$2" "$3"

run_readme() {
    need ../shared/fixtures/sqlite/Chinook_Sqlite.sqlite
    need "$build/samples/demo-secret.db"
    local lines
    mapfile -t lines < <(grep -E '^    (bash scripts/run |build/app/quorvel-headless |printf |QUORVEL_REGISTRY=)' README.md)
    [ ${#lines[@]} -ge 3 ] || fail "README.md has fewer example lines than expected: ${#lines[@]}"
    for round in 1 2; do
        for line in "${lines[@]}"; do
            local cmd=${line#    }
            cmd=${cmd//\/tmp\//$work/}
            cmd=$(printf '%s' "$cmd" | sed -E "s#(^| |=)build/#\\1$build/#g")
            cmd=${cmd//bash scripts\/run/$runner}
            echo "== round $round: $cmd"
            bash -c "$cmd"
            local rc=$?
            [ $rc -eq 0 ] || fail "exit status $rc in round $round of: $line"
        done
    done
    echo "README examples passed twice"
}

# Runs the runner on settings of its own (a first start each time), keeps its output in $out
# and its status in $rc.
runs=0
runner_says() {
    runs=$((runs + 1))
    out=$(QUORVEL_REGISTRY=$work/registry-$runs.db "$runner" "$@" 2>&1)
    rc=$?
    printf '%s\n' "$out"
}

run_failures() {
    need "$build/samples/demo-secret.db"
    local secret=$build/samples/demo-secret.db
    printf 'dialog frmMessage\n click cmdOK\ndialog frmPassword\n set txtPassword "wrong"\n click cmdOK\nmessage "" OK\ndialog frmPassword\n click cmdCancel\n' >"$work/cancel"
    runner_says --dutch --script "$work/cancel" --database "$secret" --table Products
    [ $rc -eq 1 ] || fail "a cancelled password ended with status $rc"
    for dutch in "Wachtwoord is vereist" "Geen geldig wachtwoord." "Geef het databasewachtwoord op"; do
        grep -qF "$dutch" <<<"$out" || fail "missing the Dutch text '$dutch'"
    done
    for english in "Password Required" "Not a valid password" "Error Number" "Enter database password"; do
        ! grep -qiF "$english" <<<"$out" || fail "an English text reached a Dutch person: '$english'"
    done
    # A bare carriage return would overwrite the line on a terminal.
    ! grep -q $'\r' <<<"$out" || fail "a carriage return was printed"

    # A table is picked from the drop-down, which cannot offer one the database lacks.
    printf 'dialog frmMessage\n click cmdOK\ndialog frmPassword\n set txtPassword "Demo-Secret-2026"\n click cmdOK\ndialog frmMessage\n click cmdOK\n' >"$work/notable"
    runner_says --dutch --script "$work/notable" --database "$secret" --table "No such table"
    [ $rc -eq 1 ] || fail "a table that does not exist ended with status $rc"
    grep -qF 'is not in the "Tables" drop-down' <<<"$out" || fail "the missing table was not reported"

    # An action script: a line it cannot read stops the run before anything happens.
    printf 'pick cmdOpenDB\nkey F5\n' >"$work/badaction"
    runner_says --script "$work/badaction"
    [ $rc -eq 2 ] || fail "an unreadable action script ended with status $rc"
    grep -qF "line 2: key takes F6, F7, F8 or F9" <<<"$out" || fail "the unreadable line was not named"

    printf 'dialog frmMessage\n click cmdOK\ndialog frmPassword\n set txtPassword "Demo-Secret-2026"\n click cmdOK\n' >"$work/save"
    runner_says --script "$work/save" --database "$secret" --table Products --save "$work/no/such/folder/p.xlsx"
    [ $rc -eq 1 ] || fail "a save that did not happen ended with status $rc"
    grep -qF "Not saved" <<<"$out" || fail "the failed save was not reported"

    # A script step after which the add-in reports a database error fails the run, with the reason;
    # the steps after it are not played.
    cp "$build/samples/demo.db" "$work/badsql.db"
    printf 'dialog frmMessage\n click cmdOK\npick cmdOpenDB\nopen "%s"\ndialog frmMessage\n click cmdOK\npick cmdExecSql\ninput "" "SELECT * FROM NoSuchTable"\nmessage "NoSuchTable" OK\nshow status\n' "$work/badsql.db" >"$work/badsql"
    runner_says --script "$work/badsql"
    [ $rc -eq 1 ] || fail "a statement the database refused ended with status $rc"
    grep -qF "line 7 failed: the add-in reported an error:" <<<"$out" || fail "the failed step was not named"
    ! grep -qF "= status" <<<"$out" || fail "the script went on after the failed step"

    # A script step no prompt asked for means the run went differently than written.
    printf 'dialog frmMessage\n click cmdOK\ndialog frmPassword\n click cmdOK\n' >"$work/extra"
    runner_says --script "$work/extra"
    [ $rc -eq 1 ] || fail "a script out of step ended with status $rc"

    runner_says --revision twelve
    [ $rc -eq 2 ] || fail "a wrong command line ended with status $rc"
    runner_says --save "$work/x.xlsx"
    [ $rc -eq 2 ] || fail "--save without a table ended with status $rc"
    echo "failures reported as failures"
}

case $mode in
readme) run_readme ;;
failures) run_failures ;;
*) fail "unknown mode $mode" ;;
esac
