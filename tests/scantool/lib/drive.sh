# Sourced by the end-to-end scripts.
# map_drive TREE LETTER...: makes TREE the first free drive of the letters in
# the Wine prefix and sets `drive` to its letter; fails when none is free.
# -T: a letter another test holds (a link to its folder) must fail, not gain a
# link inside that folder.
map_drive() {
  local tree=$1 letter
  shift
  for letter in "$@"; do
    if ln -sT "$tree" "$WINEPREFIX/dosdevices/$letter:" 2>/dev/null; then
      drive=$letter
      return 0
    fi
  done
  return 1
}
