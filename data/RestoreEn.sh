#!/bin/sh
# Restores the example folders of the example profiles under $TMPDIR/Tandor (or /tmp/Tandor).
# Called from the program's options menu with the program's folder as its argument; also run
# by hand: sh RestoreEn.sh
set -e
base="${TMPDIR:-/tmp}/Tandor"
rm -rf "$base/Example1" "$base/Example2"

# Example 1: documents and their backup. Some files changed on either side, some exist on one
# side only, and temporary files that the profile deletes.
l="$base/Example1/Documents"
r="$base/Example1/Backup"
mkdir -p "$l/Letters" "$l/Photos/2026" "$r/Letters" "$r/Old"
printf 'Dear Anna,\nthank you for the lovely evening.\n' > "$l/Letters/Anna.txt"
printf 'Dear Anna,\nthank you.\n' > "$r/Letters/Anna.txt"
printf 'Shopping: bread, milk, apples\n' > "$l/Shopping list.txt"
printf 'Shopping: bread, milk\n' > "$r/Shopping list.txt"
printf 'Budget 2026\nrent 900\nfood 400\n' > "$l/Budget.txt"
cp "$l/Budget.txt" "$r/Budget.txt"
printf 'holiday photo\n' > "$l/Photos/2026/Beach.jpg"
printf 'an old note kept only in the backup\n' > "$r/Old/Note.txt"
printf 'scratch\n' > "$l/~scratch.tmp"
touch -d '2026-11-20 10:00:00' "$l/Letters/Anna.txt" "$l/Shopping list.txt" "$l/Photos/2026/Beach.jpg"
touch -d '2026-11-01 09:00:00' "$r/Letters/Anna.txt" "$l/Budget.txt" "$r/Budget.txt"
touch -d '2026-11-25 18:30:00' "$r/Shopping list.txt"
touch -d '2026-10-02 12:00:00' "$r/Old/Note.txt"

# Example 2: a one-way mirror of a project folder; what the mirror has alone is deleted there.
l="$base/Example2/Project"
r="$base/Example2/Mirror"
mkdir -p "$l/src" "$r/src"
printf 'int main() { return 0; }\n' > "$l/src/main.c"
printf 'int main() { return 1; }\n' > "$r/src/main.c"
printf 'all:\n\tcc -o demo src/main.c\n' > "$l/Makefile"
printf 'stale build output\n' > "$r/src/main.o"
touch -d '2026-11-30 08:00:00' "$l/src/main.c" "$l/Makefile"
touch -d '2026-11-29 08:00:00' "$r/src/main.c" "$r/src/main.o"
echo "Example folders restored in $base"
