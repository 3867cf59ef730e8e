# A POP3 server for the end-to-end tests: Debian's dovecot from a private configuration,
# listening on 127.0.0.1:110, with passwd-file users and maildirs under the test's folder.
#   pop3_start DIR USER:PASSWORD[:MESSAGES] ...   MESSAGES: "From|Subject;From|Subject"
#   pop3_stop
# The mail belongs to an unprivileged user (dovecot refuses uid 0) and every folder above
# the maildirs is made traversable for it.

POP3_DIR=""

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
  cat >"$POP3_DIR/dovecot.conf" <<CONF
base_dir = $POP3_DIR/run
state_dir = $POP3_DIR/state
log_path = $POP3_DIR/dovecot.log
protocols = pop3
listen = 127.0.0.1
ssl = no
disable_plaintext_auth = no
auth_mechanisms = plain
first_valid_uid = 1
mail_location = maildir:~/Maildir
passdb {
  driver = passwd-file
  args = scheme=PLAIN username_format=%u $POP3_DIR/passwd
}
userdb {
  driver = passwd-file
  args = username_format=%u $POP3_DIR/passwd
}
service pop3-login {
  inet_listener pop3 {
    address = 127.0.0.1
    port = 110
  }
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
  # A system-wide server (started by a package install) would hold the port.
  if (exec 3<>/dev/tcp/127.0.0.1/110) 2>/dev/null; then doveadm stop >/dev/null 2>&1 || true; sleep 1; fi
  dovecot -c "$POP3_DIR/dovecot.conf" || { cat "$POP3_DIR/dovecot.log" >&2; return 1; }
  local n
  for n in $(seq 1 50); do
    (exec 3<>/dev/tcp/127.0.0.1/110) 2>/dev/null && return 0
    sleep 0.1
  done
  echo "dovecot did not listen on 127.0.0.1:110" >&2
  cat "$POP3_DIR/dovecot.log" >&2
  return 1
}

pop3_stop() {
  [ -n "$POP3_DIR" ] && [ -f "$POP3_DIR/dovecot.conf" ] || return 0
  doveadm -c "$POP3_DIR/dovecot.conf" stop 2>/dev/null || true
  local n
  for n in $(seq 1 30); do
    (exec 3<>/dev/tcp/127.0.0.1/110) 2>/dev/null || break
    sleep 0.1
  done
  POP3_DIR=""
}
