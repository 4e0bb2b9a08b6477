#!/usr/bin/env bash
# tests/fuzz/corpus_dirs.sh BUILD_DIR NAME: prints the folders that hold target NAME's committed
# corpus, one a line: its seeds and regression inputs (corpus/NAME/, kept as files to be read
# and named), and the inputs of the long campaigns, kept minimised in one archive
# (corpus/NAME.tar.gz, written by merge_corpus.sh) and unpacked afresh into
# BUILD_DIR/fuzz-campaign/NAME/. Both are read-only inputs of a run: new finds go to the
# working corpus.
set -euo pipefail
build=${1:?build directory} name=${2:?target name}
here=$(cd "$(dirname "$0")" && pwd)
echo "$here/corpus/$name"
archive=$here/corpus/$name.tar.gz
[ -f "$archive" ] || exit 0
unpacked=$build/fuzz-campaign/$name
rm -rf "$unpacked" && mkdir -p "$unpacked"
tar -xzf "$archive" -C "$unpacked"
echo "$unpacked"
