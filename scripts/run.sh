#!/usr/bin/env bash
exec "$(dirname "$0")/../build/corkwallery" "$@"
