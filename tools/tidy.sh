#!/usr/bin/env bash
# Runs clang-tidy (the checks of .clang-tidy) over every source file, with
# the MinGW-w64 headers the program is built with. Extra arguments go to
# run-clang-tidy, e.g. tools/tidy.sh -fix.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh tidy
cmake -S . -B build/tidy -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-x86_64.cmake \
  -DQUILLON_TESTS=ON -DCMAKE_EXPORT_COMPILE_COMMANDS=ON >/dev/null
# The generated version header must exist before anything is parsed.
cmake --build build/tidy --target quillon_data >/dev/null
cxx=/usr/lib/gcc/x86_64-w64-mingw32/12-posix/include/c++
args=(--target=x86_64-w64-mingw32 -Wno-unknown-warning-option -D_GLIBCXX_HAS_GTHREADS
      "-isystem$cxx" "-isystem$cxx/x86_64-w64-mingw32" "-isystem$cxx/backward"
      -isystem/usr/x86_64-w64-mingw32/include)
extra=()
for a in "${args[@]}"; do extra+=("-extra-arg=$a"); done
run-clang-tidy -quiet -p build/tidy "${extra[@]}" -header-filter="^$PWD/(app|autorun|crash|i18n|platform|service|theme|view|tests|tools)/" "$@" \
  "^$PWD/(app|autorun|crash|i18n|platform|service|theme|view|tests|tools)/.*\.cpp$"
