#!/usr/bin/env bash
# Builds the native benchmarks if needed and runs them.
#   scripts/bench.sh                 both: IdentifyFile, then the whole tree
#   scripts/bench.sh identify [...]  IdentifyFile against libmagic and bare reads
#                                    (Google Benchmark flags, --files=N, --large_mib=N)
#   scripts/bench.sh tree [...]      miwake over a 50,000-file tree against libmagic
#                                    and a bare walk (--help for its flags)
#   scripts/bench.sh mismatches [...]
#                                    what miwake -r --mismatches flags in system
#                                    folders against libmagic, and lies planted in
#                                    copies of samples and of real files of other
#                                    formats (--help for its flags); not in the
#                                    default run
#   scripts/bench.sh --flag...       as before: the flags go to the IdentifyFile one
set -euo pipefail
repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$repo"

which=all
case "${1:-}" in
  identify | tree | mismatches) which="$1"; shift ;;
  "") ;;
  *) which=identify ;;
esac

scripts/setup.sh >&2

# Only the benchmarks' targets (and the miwake they measure): the rest of the
# tree need not build for them.
[[ -f build/native/build.ninja ]] || cmake --preset native >&2
if [[ $which == mismatches ]]; then
  cmake --build --preset native --target miwake_mismatch_bench >&2
else
  cmake --build --preset native --target miwake_bench miwake_tree_bench >&2
fi

echo "commit: $(git log -1 --format='%h %s' 2>/dev/null || echo unknown)"
if [[ $which == mismatches ]]; then
  # It leaves its lists of flagged files and the planted copies in build/bench-mismatches.
  exec build/native/bench/miwake_mismatch_bench "$@"
fi
if [[ $which != tree ]]; then
  build/native/bench/miwake_bench "$@"
fi
if [[ $which != identify ]]; then
  # The tree is kept here between runs and made again when the generator changes.
  build/native/bench/miwake_tree_bench --cache=build/bench-tree "$@"
fi
