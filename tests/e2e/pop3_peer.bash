# A POP3 server for the end-to-end tests: Debian's dovecot from a private configuration,
# listening on 127.0.0.1:110, with passwd-file users and maildirs under the test's folder.
#   pop3_start DIR USER:PASSWORD[:MESSAGES] ...   MESSAGES: "From|Subject;From|Subject"
#   pop3_stop
# With POP3_TLS_CERT and POP3_TLS_KEY set (files from pop3_tls_cert), it also offers STLS on
# 110 and POP3 over TLS on 127.0.0.1:995.
#   pop3_tls_cert DIR NAME   makes DIR/NAME.crt and DIR/NAME.key (self-signed, for
#                            127.0.0.1 and localhost) and prints its SHA-256 fingerprint
# The mail belongs to an unprivileged user (dovecot refuses uid 0) and every folder above
# the maildirs is made traversable for it.

POP3_DIR=""
POP3_TLS_CERT=${POP3_TLS_CERT:-}
POP3_TLS_KEY=${POP3_TLS_KEY:-}

pop3_tls_cert() {
  local dir=$1 name=$2
  mkdir -p "$dir"
  openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=$name" \
    -addext "subjectAltName=IP:127.0.0.1,DNS:localhost" \
    -keyout "$dir/$name.key" -out "$dir/$name.crt" >/dev/null 2>&1 || return 1
  openssl x509 -in "$dir/$name.crt" -noout -fingerprint -sha256 | sed 's/.*=//'
}

# Waits (bounded) until 127.0.0.1:PORT accepts connections (or, with "closed", refuses them).
pop3_wait_port() {
  local port=$1 want=${2:-open} n
  for n in $(seq 1 50); do
    if (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; then
      [ "$want" = open ] && return 0
    else
      [ "$want" = closed ] && return 0
    fi
    sleep 0.1
  done
  return 1
}

# Writes DIR/dovecot.conf: POP3 on HOST:110 (and 995 with POP3_TLS_CERT), users from
# DIR/passwd, run and state folders under DIR.
pop3_write_config() {
  local dir=$1 host=$2
  local ssl="ssl = no" pop3s=""
  if [ -n "$POP3_TLS_CERT" ]; then
    ssl="ssl = yes
ssl_cert = <$POP3_TLS_CERT
ssl_key = <$POP3_TLS_KEY"
    pop3s="  inet_listener pop3s {
    address = $host
    port = 995
    ssl = yes
  }"
  fi
  cat >"$dir/dovecot.conf" <<CONF
base_dir = $dir/run
state_dir = $dir/state
log_path = $dir/dovecot.log
protocols = pop3
listen = $host
$ssl
disable_plaintext_auth = no
auth_mechanisms = plain
first_valid_uid = 1
mail_location = maildir:~/Maildir
passdb {
  driver = passwd-file
  args = scheme=PLAIN username_format=%u $dir/passwd
}
userdb {
  driver = passwd-file
  args = username_format=%u $dir/passwd
}
service pop3-login {
  inet_listener pop3 {
    address = $host
    port = 110
  }
$pop3s
}
service anvil {
  chroot =
}
service imap-login {
  chroot =
}
service pop3-login {
  chroot =
}
CONF
}

pop3_start() {
  POP3_DIR=$1
  shift
  local uid gid
  uid=$(id -u nobody) gid=$(id -g nobody)
  mkdir -p "$POP3_DIR/run" "$POP3_DIR/state" "$POP3_DIR/home"
  : >"$POP3_DIR/passwd"
  local entry user pass msgs home i=0 m from subject
  for entry in "$@"; do
    user=${entry%%:*}
    pass=${entry#*:}
    msgs=""
    case "$pass" in *:*) msgs=${pass#*:}; pass=${pass%%:*} ;; esac
    home="$POP3_DIR/home/$user"
    mkdir -p "$home/Maildir/new" "$home/Maildir/cur" "$home/Maildir/tmp"
    IFS=';' read -ra list <<<"$msgs"
    for m in "${list[@]}"; do
      [ -n "$m" ] || continue
      from=${m%%|*} subject=${m#*|}
      i=$((i + 1))
      printf 'From: %s\r\nTo: %s@localhost\r\nSubject: %s\r\nDate: Mon, 7 Dec 2026 08:00:00 +0000\r\n\r\nHello.\r\n' \
        "$from" "$user" "$subject" >"$home/Maildir/new/$i.velmora:2,"
    done
    printf '%s:{PLAIN}%s:%s:%s::%s\n' "$user" "$pass" "$uid" "$gid" "$home" >>"$POP3_DIR/passwd"
  done
  chown -R "$uid:$gid" "$POP3_DIR/home"
  local d=$POP3_DIR
  while [ "$d" != / ]; do chmod o+x "$d" 2>/dev/null; d=$(dirname "$d"); done
  pop3_write_config "$POP3_DIR" 127.0.0.1
  # Another server on the port (a system-wide one, or one this test did not start) is not
  # ours to stop: say so and give up.
  if (exec 3<>/dev/tcp/127.0.0.1/110) 2>/dev/null; then
    echo "127.0.0.1:110 is taken by a server this test did not start; the POP3 peer needs it" >&2
    return 1
  fi
  # Its own output goes to its log: the server must not hold the caller's output open.
  dovecot -c "$POP3_DIR/dovecot.conf" </dev/null >/dev/null 2>&1 || { cat "$POP3_DIR/dovecot.log" >&2; return 1; }
  if pop3_wait_port 110 && { [ -z "$POP3_TLS_CERT" ] || pop3_wait_port 995; }; then return 0; fi
  echo "dovecot did not listen on 127.0.0.1:110${POP3_TLS_CERT:+ and 995}" >&2
  cat "$POP3_DIR/dovecot.log" >&2
  return 1
}

pop3_stop() {
  [ -n "$POP3_DIR" ] && [ -f "$POP3_DIR/dovecot.conf" ] || return 0
  # Only our own instance: its master's pid is in the private base_dir.
  local pid i
  pid=$(cat "$POP3_DIR/run/master.pid" 2>/dev/null)
  if [ -n "$pid" ]; then
    kill "$pid" 2>/dev/null
    # Ended (a process nobody reaps stays as a zombie, state Z), within 5 s.
    for i in $(seq 1 50); do
      kill -0 "$pid" 2>/dev/null && [ "$(cut -d' ' -f3 "/proc/$pid/stat" 2>/dev/null)" != Z ] || break
      sleep 0.1
    done
  fi
  pop3_wait_port 110 closed
  [ -z "$POP3_TLS_CERT" ] || pop3_wait_port 995 closed
  POP3_DIR=""
}
