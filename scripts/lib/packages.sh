# shellcheck shell=bash
# Sourced by scripts/test and scripts/run.
#
# kj_ensure_packages <package>...
# Installs the Debian packages that are missing. As root it runs apt-get
# (one "apt-get update", only when something is missing); otherwise it names
# the missing packages and carries on, so that a developer machine with the
# tools installed some other way still works.

kj_missing_packages() {
  local package status
  for package in "$@"; do
    status=$(dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null || true)
    [[ $status == installed ]] || printf '%s\n' "$package"
  done
}

kj_ensure_packages() {
  if ! command -v dpkg-query >/dev/null 2>&1; then
    echo "note: not a Debian system, not checking packages" >&2
    return 0
  fi
  local missing
  mapfile -t missing < <(kj_missing_packages "$@")
  [[ ${#missing[@]} -eq 0 ]] && return 0
  if [[ $(id -u) -ne 0 ]]; then
    echo "warning: missing packages (run as root to install them): ${missing[*]}" >&2
    return 0
  fi
  echo "installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update
  apt-get install -y "${missing[@]}"
}
