#!/bin/sh
# The module's dynamic symbol table defines exactly one symbol: _mod_descrip.
set -eu
defined=$(nm -D --defined-only "$1" | awk '{print $3}' | sort)
echo "defined: $defined"
[ "$defined" = "_mod_descrip" ]
