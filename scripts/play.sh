#!/usr/bin/env bash
# Sets up, builds, compiles the content and starts the game in its data folder.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cd build/data
exec ../redsiege
