#!/usr/bin/env bash
# Sourced by the shell tests of the headless runner with SOURCE_DIR BUILD_DIR: a work folder that
# goes with the test, settings of the test's own (never the person's), the source folder as the
# current one (fixtures are ../shared/fixtures from there), and the two helpers every test uses.
# need ends the test with status 77, which CTest reports as skipped.
set -u
src=$1 build=$2
runner=$build/app/quorvel-headless
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export QUORVEL_REGISTRY=$work/registry.db
cd "$src" || exit 1
fail() { echo "FAILED: $*"; exit 1; }
need() { [ -e "$1" ] || { echo "SKIP: $1 is missing"; exit 77; }; }
