# Installs the Debian packages the build needs when they are missing. Sourced by the scripts.
# Usage: install_packages pkg...
install_packages() {
  local missing=()
  local pkg
  for pkg in "$@"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' ||
      missing+=("$pkg")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=()
  [ "$(id -u)" -eq 0 ] || sudo=(sudo)
  "${sudo[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends \
    "${missing[@]}"
}

# fonts-wine brings a Tahoma with the original metrics; DejaVu is the fallback family.
BUILD_PACKAGES=(g++ cmake make libgtest-dev libgmock-dev qt6-base-dev fonts-wine fonts-dejavu-core)
