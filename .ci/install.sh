# Sourced by the CI scripts: installs from Debian's packages what a fresh
# machine lacks, each package named once beside the test that finds it.
#
#   want PACKAGE... -- COMMAND...   PACKAGEs are installed unless COMMAND succeeds
#   install_wanted [APT-OPTION...]  installs every wanted package, if any

wanted=()

want() {
  local packages=()
  while [ "$1" != -- ]; do packages+=("$1"); shift; done
  shift
  "$@" >/dev/null 2>&1 || wanted+=("${packages[@]}")
}

install_wanted() {
  [ "${#wanted[@]}" -gt 0 ] || return 0
  echo "installing: ${wanted[*]}"
  apt-get update -q
  DEBIAN_FRONTEND=noninteractive apt-get install -y -q "$@" "${wanted[@]}"
  wanted=()
}
