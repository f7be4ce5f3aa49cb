#!/usr/bin/env bash
# Runs a program on a private Xvfb display that ends with it.
# Usage: on_xvfb.sh PROGRAM [ARGS...]
set -euo pipefail
source "$(cd "$(dirname "$0")" && pwd)/xvfb_lib.sh"
start_xvfb
"$@"
