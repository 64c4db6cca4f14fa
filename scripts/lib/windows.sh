# The Windows cross build with mingw-w64 and its tests under wine. Sourced by
# scripts/build-windows, scripts/test and scripts/package.

WINDOWS_PACKAGES=(g++-mingw-w64-x86-64-posix googletest wine wine64)
WINDOWS_PACKAGES_I686=(g++-mingw-w64-i686-posix googletest)

# windows_tree ARCH: the build folder of that architecture.
windows_tree() {
    if [ "$1" = i686 ]; then echo "$ROOT/build-windows-i686"; else echo "$ROOT/build-windows"; fi
}

# build_windows ARCH: configures (once) and builds everything that needs no Qt for Windows;
# the tree's bin/ is then a complete program folder.
build_windows() {
    local arch=$1 dir
    dir=$(windows_tree "$arch")
    if [ "$arch" = i686 ]; then
        ensure_packages "${WINDOWS_PACKAGES_I686[@]}"
    else
        ensure_packages "${WINDOWS_PACKAGES[@]}"
    fi
    configure_tree "$dir" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64.cmake" \
        -DPELMORA_WINDOWS_ARCH="$arch" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPELMORA_WERROR=ON \
        -DPELMORA_QT=OFF -DPELMORA_WORKBOOKS=OFF -DPELMORA_BENCH=OFF -DPELMORA_GTEST_SOURCE_DIR=/usr/src/googletest
    cmake --build "$dir" --parallel "$(nproc)"
}

# prepare_wine DIR: a wine prefix of the build tree's own, started once up front (its first
# start takes a while), quiet and without the Mono and Gecko installers.
prepare_wine() {
    export WINEPREFIX="$1/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        echo "Preparing the wine prefix $WINEPREFIX"
        wineboot --init >/dev/null 2>&1
        wineserver --wait
    fi
}

# Test cases that wine cannot run, by name (a new case of the same suite runs until it is listed
# here). Wine binds a socket given 127.x.y.z (other than 127.0.0.1) to the wildcard address;
# Windows itself keeps every 127/8 address apart. These run in the Linux build; the Windows
# library and command line meet the Linux simulator in windows_end_to_end instead.
#
# Simulated terminals or update agents on several loopback addresses at one port in the test's
# own process: the second one cannot bind.
WINE_LOOPBACK_CASES=FleetTest.ExtraAgentAnswersFromTheTerminalAddress
WINE_LOOPBACK_CASES+=:FleetTest.MoveTakesEveryAgentAlongAndStaysInLoopback
WINE_LOOPBACK_CASES+=:FleetTest.DelayedAndMutedTerminals:FleetTest.StopClosesEverySocket
WINE_LOOPBACK_CASES+=:TermsimOptions.SeedRepeatsOrVariesThePatterns
WINE_LOOPBACK_CASES+=:KvFleet.SearchFindsExactlyTheFleet
WINE_LOOPBACK_CASES+=:KvFleet.SearchFillsAtMostTheCapacityAndNothingElse
WINE_LOOPBACK_CASES+=:KvFleet.ReadModifyWriteReadBack:KvFleet.AddressChangeMovesTheTerminal
WINE_LOOPBACK_CASES+=:KvFleet.MacAddressingReachesOnlyThatTerminal:KvFleet.LoginWithCredentials
WINE_LOOPBACK_CASES+=:KvFleet.SilentTerminalGivesNoAnswerWithinTheBound
WINE_LOOPBACK_CASES+=:KvFleet.LossAndDelayAreRiddenOut:KvFleet.ConcurrentCallsEachGetTheirOwnAnswer
WINE_LOOPBACK_CASES+=:KvReplies.AnswersFromAnotherAddressAreRefused
WINE_LOOPBACK_CASES+=:HostDownloadTermsim.JobsAgainstASimulatedTerminal
WINE_LOOPBACK_CASES+=:HostDownloadTermsim.TerminalChecksEveryRequest
WINE_LOOPBACK_CASES+=:AgentRunner.SilentWhileRestartingAndLossyOnRequest
WINE_LOOPBACK_CASES+=:FleetAgent.UpdatesAFleetTerminal:UdpConversation.FailuresAndTheirResults
WINE_LOOPBACK_CASES+=:Engine.ConversationsEndAsOnABlockingLink
WINE_LOOPBACK_CASES+=:ParamsCliTest.SetWritesThroughTheFieldTableAndGetShowsIt
WINE_LOOPBACK_CASES+=:ParamsCliTest.BackupWritesEachBlockAndRestoreIsTheEditorsImportThenSave
WINE_LOOPBACK_CASES+=:ParamsCliTest.SiteBackupIndexAndDiffAgainstIt
WINE_LOOPBACK_CASES+=:ParamsCliTest.PageValuesGoByTheirPagesFormsAndChecks
WINE_LOOPBACK_CASES+=:ParamsCliTest.DefaultsComeFromTheFamilyFileElseTheBuiltInGroups
WINE_LOOPBACK_CASES+=:ParamsCliTest.WritesTheEditorWouldRefuseLeaveTheTerminalUntouched
WINE_LOOPBACK_CASES+=:PlanCliTest.ExportDryRunApplyAndReport
WINE_LOOPBACK_CASES+=:BooksDownloadCliTest.SendsTheSelectionToEachTargetInTurn
WINE_LOOPBACK_CASES+=:BooksDownloadCliTest.ServesTerminalsAtOnceAndReportsEachOne
WINE_LOOPBACK_CASES+=:BooksDownloadCliTest.StopEndsTheRunningJobsAndStartsNoOther
WINE_LOOPBACK_CASES+=:BooksDownloadCliTest.CtrlCStopsEveryJobAndReportsTheUnfinished
WINE_LOOPBACK_CASES+=:PlanRunTest.FleetByMacDryRunThenApply
WINE_LOOPBACK_CASES+=:PlanRunTest.FleetByAddressIsLoggedOutWhereItAnswersAndStopsBetweenTerminals
WINE_LOOPBACK_CASES+=:PlanRunTest.TerminalsBelowV25AreRefusedUntouched
WINE_LOOPBACK_CASES+=:PlanRunTest.PlanFromAWorkbookReachesTheTerminals
# One terminal or agent at 127.N.b.c whose client takes only datagrams from that address (the
# library's reply check, the update link): under wine the replies leave from 127.0.0.1.
WINE_LOOPBACK_CASES+=:KvReplies.BrokenRepliesAreIgnored:KvReplies.SearchKeepsOneRecordPerMac
WINE_LOOPBACK_CASES+=:KvReplies.RequestIdsAreUnpredictable:KvFleet.BusyThenSuccess
WINE_LOOPBACK_CASES+=:KvFleet.ResetNeedsLoginAndRestartsTheTerminal:KvFleet.BadArgumentsAreRefused
WINE_LOOPBACK_CASES+=:UdpConversation.UpdatesWithAndWithoutPak:UdpConversation.AgentOnAnotherPort
WINE_LOOPBACK_CASES+=:UdpLink.OnlyTheTerminalsOwnDatagramsCount

# Test cases of GB18030, the superset in which GBK tables are read: Windows has it as code page
# 54936, wine 8 does not know that code page.
WINE_CODEPAGE_CASES=PlatformCodePage.Gb18030HasFourByteCharacters:TableFile.GbkFilesAreReadInGb18030

# run_windows_tests ARCH: every test executable of the tree, each under wine, one after another:
# wine binds the terminals' 127.N.b.c as the wildcard address, so two test programs at once would
# meet at the protocols' ports. The wine server and its services stay up for the run instead of
# starting again for every program (they start before the tests, whose output they would
# otherwise hold open).
run_windows_tests() {
    local dir status=0
    dir=$(windows_tree "$1")
    prepare_wine "$dir"
    wineserver --persistent
    wineboot >/dev/null 2>&1
    GTEST_FILTER="-$WINE_LOOPBACK_CASES:$WINE_CODEPAGE_CASES" \
        ctest --test-dir "$dir" --output-on-failure --timeout 600 || status=$?
    wineserver --kill
    return $status
}

# windows_end_to_end ARCH: the Windows programs meet the Linux ones on loopback, each time a
# search, then a parameter write and read-back. The Windows pelmora-cli.exe with the Windows
# kvsetup.dll beside it against three terminals of the Linux termsim; then the Windows
# termsim.exe against the Linux pelmora-cli, on 127.0.0.1, the one loopback address wine binds
# as itself. Needs build/bin/termsim and build/bin/pelmora-cli.
windows_end_to_end() {
    local dir
    dir=$(windows_tree "$1")
    prepare_wine "$dir"
    end_to_end_check "pelmora-cli.exe against the Linux termsim" 127.0.77.1 3 127.0.77.2 \
        "$ROOT/build/bin/termsim" "wine $dir/bin/pelmora-cli.exe"
    end_to_end_check "termsim.exe against the Linux pelmora-cli" 127.0.0.1 1 127.0.0.1 \
        "wine $dir/bin/termsim.exe" "$ROOT/build/bin/pelmora-cli"
}

# end_to_end_check LABEL FIRST-IP COUNT TARGET SIMULATOR CLI: starts COUNT simulated terminals
# from FIRST-IP with the SIMULATOR command, has the CLI command find them all and write and read
# back TARGET's display name, and stops the simulator.
end_to_end_check() {
    local label=$1 first=$2 count=$3 target=$4 sim cli work fleet status=0
    read -r -a sim <<<"$5"
    read -r -a cli <<<"$6"
    work=$(mktemp -d)
    "${sim[@]}" --count "$count" --first-ip "$first" >"$work/termsim.out" 2>&1 &
    fleet=$!
    end_to_end_steps "$label" "$first" "$count" "$target" "$work" "${cli[@]}" || status=$?
    kill "$fleet"
    wait "$fleet" 2>/dev/null || true
    rm -rf "$work"
    return $status
}

end_to_end_steps() {
    local label=$1 first=$2 count=$3 target=$4 work=$5 i
    shift 5
    for i in $(seq 300); do
        grep -q '^ready' "$work/termsim.out" && break
        sleep 0.1
    done
    grep -q "^ready $count" "$work/termsim.out" || { cat "$work/termsim.out" >&2; return 1; }
    mkdir "$work/home"
    # Only the fleet's loopback addresses: nothing leaves 127.0.0.0/8.
    local -x KVSETUP_TARGETS="$first-${first%.*}.$((${first##*.} + count - 1))"
    "$@" --home "$work/home" search --csv >"$work/search.csv"
    echo "$label, search:"
    cat "$work/search.csv"
    [ "$(grep -c '^Online,.*,LocalNetwork' "$work/search.csv")" -eq "$count" ] &&
        grep -q ",$target," "$work/search.csv" ||
        { echo "$label: the search did not list the $count terminals" >&2; return 1; }
    "$@" --home "$work/home" params set "$target" display_name=WineCheck >/dev/null
    "$@" --home "$work/home" params get "$target" --csv >"$work/params.csv"
    grep -q 'WineCheck' "$work/params.csv" ||
        { echo "$label: the written display name was not read back" >&2; cat "$work/params.csv" >&2; return 1; }
    echo "$label, params set/get: the block was written and read back"
}

# package_windows ARCH: builds the tree and zips its program folder with a short README.
package_windows() {
    local arch=$1 dir version zip stage
    build_windows "$arch"
    ensure_packages zip
    dir=$(windows_tree "$arch")
    version=$(sed -n 's/^project(Pelmora VERSION \([0-9.]*\).*/\1/p' "$ROOT/CMakeLists.txt")
    zip="$dir/pelmora-cli_${version}_windows-$arch.zip"
    stage=$(mktemp -d)
    mkdir "$stage/pelmora"
    cp -r "$dir/bin/." "$stage/pelmora/"
    # The build keeps its debugging information; the shipped files go without it.
    "$arch-w64-mingw32-strip" "$stage/pelmora/pelmora-cli.exe" "$stage/pelmora/kvsetup.dll" \
        "$stage/pelmora/termsim.exe"
    cat >"$stage/pelmora/README.txt" <<TEXT
Pelmora command line $version for Windows ($arch)

pelmora-cli.exe is the command-line companion of the Pelmora device manager: it searches the
terminals of the local network, prints device lists, reads and writes their parameters, applies
settings plans and keeps and downloads their address books. Run "pelmora-cli.exe --help".

kvsetup.dll is the device-access library. To use the terminals' vendor's library instead,
copy its kvsetup.dll over this one. A 32-bit vendor DLL needs the 32-bit build of this folder.

termsim.exe simulates terminals on loopback addresses for trying the command line without
real terminals ("termsim.exe --help"); Ctrl+C stops it.

KVSETUP_TARGETS names the addresses our kvsetup.dll may reach, for example
    set KVSETUP_TARGETS=192.168.1.20-192.168.1.80
TEXT
    rm -f "$zip"
    (cd "$stage" && zip -qr "$zip" pelmora)
    rm -rf "$stage"
    echo "$zip"
}
