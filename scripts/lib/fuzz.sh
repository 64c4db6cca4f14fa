# Shared steps of the fuzzing scripts: the clang build of the fuzz targets and one libFuzzer run.
# Sourced by scripts/test (--with-fuzz) and scripts/fuzz, after scripts/lib/build.sh.

FUZZ_BUILD="$ROOT/build-fuzz"
FUZZ_MAX_LEN=4096

# build_fuzz_targets JOBS: configures build-fuzz/ once and builds every fuzz target.
build_fuzz_targets() {
    configure_tree "$FUZZ_BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPELMORA_FUZZ=ON \
        -DPELMORA_TESTS=OFF -DPELMORA_BENCH=OFF -DPELMORA_WERROR=ON \
        -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
    cmake --build "$FUZZ_BUILD" --parallel "$1" --target pelmora_fuzzers
}

# fuzz_targets: the names of the built targets, one a line.
fuzz_targets() {
    local target
    for target in "$FUZZ_BUILD"/fuzz/*; do
        [ -f "$target" ] && [ -x "$target" ] && basename "$target"
    done
}

# seed_corpus TARGET: the checked-in seed folder of a target (fuzz/<area>/corpus/<target>), if any.
seed_corpus() {
    local dir
    for dir in "$ROOT"/fuzz/*/corpus/"$1"; do
        [ -d "$dir" ] && echo "$dir"
    done
}

# run_fuzz_target TARGET LOG LIBFUZZER-OPTIONS...: runs one target on its seeds. New inputs go to
# build-fuzz/corpus/<target> and crash files to build-fuzz/crashes/, never into the sources.
run_fuzz_target() {
    local target=$1 log=$2
    shift 2
    local work="$FUZZ_BUILD/corpus/$target" crashes="$FUZZ_BUILD/crashes"
    mkdir -p "$work" "$crashes"
    local seeds
    seeds=$(seed_corpus "$target")
    # shellcheck disable=SC2086 # the seed folder is one path without blanks, or none
    "$FUZZ_BUILD/fuzz/$target" -max_len=$FUZZ_MAX_LEN -rss_limit_mb=2048 \
        -artifact_prefix="$crashes/$target-" "$@" "$work" $seeds >/dev/null 2>"$log"
}
