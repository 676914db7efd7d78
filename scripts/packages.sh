# Sourced by the scripts that install Debian packages (POSIX sh).
# missing_packages P...: the names among P that dpkg does not have installed,
# each with a leading space.
missing_packages() {
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || printf ' %s' "$p"
  done
}
