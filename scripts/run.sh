#!/usr/bin/env bash
# Installs what is missing, builds, and indexes the directory given as the argument.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
pictavo_install_missing
pictavo_build "$PICTAVO_SOURCE/build"
exec "$PICTAVO_SOURCE/build/cli/pictavo-index" "$@"
