# shellcheck shell=bash
# Sourced by scripts/run and scripts/e2e: what running the program's windows
# under Wine needs besides the prefix itself.

# A Linux path as Wine sees it: drive Z: is the root folder.
kj_winpath() { local p=$1; printf 'Z:%s' "${p//\//\\}"; }

kj_have_ja_locale() { locale -a 2>/dev/null | grep -qix 'ja_JP\.utf-\{0,1\}8'; }

# Generates ja_JP.UTF-8 when it is missing and we are root; then selects it, so
# that Wine uses code page 932 as a Japanese Windows does. Returns 1 when the
# locale is not available (the caller decides how to go on).
kj_use_ja_locale() {
  if ! kj_have_ja_locale && [[ $(id -u) -eq 0 ]]; then
    echo "generating the ja_JP.UTF-8 locale"
    if grep -q '^[# ]*ja_JP\.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null; then
      sed -i 's/^[# ]*\(ja_JP\.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    else
      echo 'ja_JP.UTF-8 UTF-8' >>/etc/locale.gen
    fi
    locale-gen >/dev/null
  fi
  kj_have_ja_locale || return 1
  export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
}

# Copies Marlett, which draws the caption buttons, into the prefix's fonts.
kj_install_marlett() {
  local prefix=$1 marlett
  marlett=$(dpkg -L fonts-wine 2>/dev/null | grep -i '/marlett\.ttf$' | head -n 1 || true)
  [[ -n $marlett ]] || marlett=$(find /usr/share/wine /usr/share/fonts -iname marlett.ttf 2>/dev/null | head -n 1 || true)
  if [[ -z $marlett ]]; then
    echo "warning: marlett.ttf not found; caption buttons will lack their symbols" >&2
    return 0
  fi
  cp "$marlett" "$prefix/drive_c/windows/Fonts/"
}
