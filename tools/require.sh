# Sourced by the set-up commands: `require package...` installs the Debian packages that are
# missing, with apt-get, when it may (as root, or through sudo -n); otherwise it stops with the
# one apt-get line to run.
require() {
  local missing=() package
  for package in "$@"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'ok installed' ||
      missing+=("$package")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  local sudo=
  if [ "$(id -u)" != 0 ]; then
    if sudo -n true 2>/dev/null; then sudo="sudo -n"; else
      echo "Missing packages; install them with:" >&2
      echo "  sudo apt-get install ${missing[*]}" >&2
      exit 1
    fi
  fi
  echo "== Installing ${missing[*]}"
  $sudo apt-get update -qq
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
    "${missing[@]}" >/dev/null
}
