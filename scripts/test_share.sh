#!/bin/sh
# Prints the share of non-blank C++ lines (.cpp and .h) that are tests:
# the lines under tests/ among those under src/, bench/, fuzz/ and tests/,
# then, for each folder of tests/, its lines against those of the src/
# folder of the same name.
set -eu
cd "$(dirname "$0")/.."

# Non-blank .cpp/.h lines under the given folders (0 when none exist).
lines() {
  found=$(find "$@" -type f \( -name '*.cpp' -o -name '*.h' \) 2>/dev/null || true)
  if [ -z "$found" ]; then echo 0; return; fi
  echo "$found" | tr '\n' '\0' | xargs -0 grep -vch '^[[:space:]]*$' | awk '{ s += $1 } END { print s + 0 }'
}

percent() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.1f %%", 100 * a / b; else printf "-" }'; }

tests=$(lines tests)
all=$(lines src bench fuzz tests)
printf 'tests: %s of %s lines, %s\n' "$tests" "$all" "$(percent "$tests" "$all")"
printf '%-12s %8s %8s %8s\n' folder tests code share
for dir in tests/*/; do
  name=$(basename "$dir")
  t=$(lines "tests/$name")
  c=$(lines "src/$name")
  printf '%-12s %8s %8s %8s\n' "$name" "$t" "$c" "$(percent "$t" "$((t + c))")"
done
