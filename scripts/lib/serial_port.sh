# A serial port for the Windows program under Wine, backed by a pseudo-terminal
# pair: what the simulated receiver writes to $DIR/gps_host, the program reads
# from COMn, and the other way round. Source after common.sh; it defines
# functions and runs nothing.

# The class of serial ports, as SetupAPI files them.
SERIAL_PORTS_CLASS_GUID='{4D36E978-E325-11CE-BFC1-08002BE10318}'
SERIAL_SOCAT_PID=""

# serial_pty_start DIR: starts socat with the links DIR/gps_dev (for Wine's
# COM port) and DIR/gps_host (for the simulator), and waits until both exist.
serial_pty_start() {
  local dir=$1 i
  mkdir -p "$dir"
  rm -f "$dir/gps_dev" "$dir/gps_host"
  socat "pty,raw,echo=0,link=$dir/gps_dev" "pty,raw,echo=0,link=$dir/gps_host" \
    >"$dir/socat.log" 2>&1 &
  SERIAL_SOCAT_PID=$!
  for i in $(seq 1 100); do
    [ -e "$dir/gps_dev" ] && [ -e "$dir/gps_host" ] && return 0
    kill -0 "$SERIAL_SOCAT_PID" 2>/dev/null || break
    sleep 0.05
  done
  serial_pty_stop
  die "socat did not create the pseudo-terminal pair in $dir"
}

# serial_pty_stop: ends the socat this shell started (the cable pulled).
serial_pty_stop() {
  if [ -n "$SERIAL_SOCAT_PID" ]; then
    kill "$SERIAL_SOCAT_PID" 2>/dev/null || true
    wait "$SERIAL_SOCAT_PID" 2>/dev/null || true
  fi
  SERIAL_SOCAT_PID=""
}

# The registry text that maps COMn to a device path and lists a device named
# "NAME (COMn)" among the present ports, so that device discovery finds it.
_serial_reg_text() {
  local n=$1 device=$2 name=$3
  printf 'REGEDIT4\r\n\r\n'
  printf '[HKEY_LOCAL_MACHINE\\Software\\Wine\\Ports]\r\n"COM%s"="%s"\r\n\r\n' "$n" "$device"
  printf '[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Enum\\ROOT\\PORTS\\%04d]\r\n' "$n"
  printf '"FriendlyName"="%s (COM%s)"\r\n' "$name" "$n"
  printf '"ClassGUID"="%s"\r\n"Class"="Ports"\r\n' "$SERIAL_PORTS_CLASS_GUID"
}

# wine_com_port_register N DEVICE [NAME]: maps COMn of $WINEPREFIX to DEVICE and
# registers the device for discovery, then restarts the prefix's server so
# that the mapping takes effect.
wine_com_port_register() {
  local n=$1 device=$2 name=${3:-Skyloom Simulated GPS}
  [ -n "${WINEPREFIX:-}" ] || die "wine_com_port_register: WINEPREFIX is not set"
  local reg="$WINEPREFIX/skyloom-com$n.reg"
  _serial_reg_text "$n" "$device" "$name" >"$reg"
  wine regedit /S "$reg" >/dev/null 2>&1 || die "regedit failed for COM$n"
  # The registry mapping is read when the server starts; a link of its own in
  # dosdevices makes it work even before that.
  ln -sfn "$device" "$WINEPREFIX/dosdevices/com$n"
  wine_server_restart
}

# wine_com_port_unregister N: takes COMn and its device out of $WINEPREFIX.
wine_com_port_unregister() {
  local n=$1
  [ -n "${WINEPREFIX:-}" ] || die "wine_com_port_unregister: WINEPREFIX is not set"
  local reg="$WINEPREFIX/skyloom-com$n-remove.reg"
  {
    printf 'REGEDIT4\r\n\r\n'
    printf '[HKEY_LOCAL_MACHINE\\Software\\Wine\\Ports]\r\n"COM%s"=-\r\n\r\n' "$n"
    printf '[-HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Enum\\ROOT\\PORTS\\%04d]\r\n' "$n"
  } >"$reg"
  wine regedit /S "$reg" >/dev/null 2>&1 || true
  rm -f "$WINEPREFIX/dosdevices/com$n"
  wine_server_restart
}

# Stops the server of $WINEPREFIX (and with it every program of that prefix)
# and waits, at most 15 s, until it is gone.
wine_server_restart() {
  wineserver -k 2>/dev/null || true
  timeout 15 wineserver -w 2>/dev/null || true
}
