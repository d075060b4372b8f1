# Sourced by the Wine scripts: the environment every Wine call here runs with.
# Usage: source wine-env.sh PREFIX
vantrel_prefix=$(realpath -m "$1")
export WINEPREFIX="$vantrel_prefix"
export WINEARCH=win64
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="   # no Mono or Gecko install prompts
# A private Xvfb started by the fixture wins only when the caller has no display of its own.
if [ -z "${DISPLAY:-}" ] && [ -s "$vantrel_prefix.display" ]; then
  export DISPLAY=":$(cat "$vantrel_prefix.display")"
fi

# Prints the PE machine field of an executable in hex (8664 = x86-64, 14c = i386).
vantrel_pe_machine() {
  local off
  off=$(od -An -tu4 -j60 -N4 "$1" 2>/dev/null | tr -d ' ')
  [ -n "$off" ] || { echo none; return; }
  od -An -tx2 -j$((off + 4)) -N2 "$1" 2>/dev/null | tr -d ' '
}
