#!/usr/bin/env bash
# Sets up, builds, compiles the content and starts the game; it reads the build's data folder
# beside the program and keeps the player's options and scores in their home folder. Arguments
# go to the game (redsiege --help lists them).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
exec build/redsiege "$@"
