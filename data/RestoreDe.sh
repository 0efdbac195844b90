#!/bin/sh
# Stellt die Beispielordner wieder her (dieselben Ordner wie RestoreEn.sh).
exec sh "$(dirname "$0")/RestoreEn.sh" "$@"
