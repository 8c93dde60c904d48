# packages.sh - installs the Debian packages a script needs when any is missing; sourced by the scripts.
#
#   qorin_require_packages <script name> <package>...
# Installing needs root; as another user a missing package is reported and the call fails.
qorin_require_packages() {
  local who=$1 package
  shift
  local missing=()
  for package in "$@"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
  done
  ((${#missing[@]})) || return 0
  if [[ $(id -u) -ne 0 ]]; then
    echo "$who: missing ${missing[*]}; run as root (sudo) to install them" >&2
    return 1
  fi
  echo "$who: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq && apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null || {
    echo "$who: installing ${missing[*]} failed" >&2
    return 1
  }
}
