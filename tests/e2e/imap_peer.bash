# An IMAP server for the end-to-end tests: Debian's dovecot as the test's own instance on
# 127.0.0.9 (IMAP on 143; with IMAP_TLS_CERT and IMAP_TLS_KEY also STARTTLS and IMAP over
# TLS on 993), from a private configuration with passwd-file users and maildirs.
#   imap_start DIR USER:PASSWORD[:MESSAGES] ...   MESSAGES: "From|Subject[|S];..." where S
#                                                 marks a message already seen
#   imap_stop                                     stops this instance by its own pid file
#   imap_cert DIR NAME   makes DIR/NAME.crt and .key for 127.0.0.9; prints the fingerprint
IMAP_HOST=127.0.0.9
IMAP_DIR=""
IMAP_TLS_CERT=${IMAP_TLS_CERT:-}
IMAP_TLS_KEY=${IMAP_TLS_KEY:-}

imap_cert() {
  local dir=$1 name=$2
  mkdir -p "$dir"
  openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=$name" -addext "subjectAltName=IP:$IMAP_HOST" \
    -keyout "$dir/$name.key" -out "$dir/$name.crt" >/dev/null 2>&1 || return 1
  openssl x509 -in "$dir/$name.crt" -noout -fingerprint -sha256 | sed 's/.*=//'
}

# Waits (bounded) until IMAP_HOST:PORT accepts connections (or, with "closed", refuses them).
imap_wait_port() {
  local port=$1 want=${2:-open} n
  for n in $(seq 1 50); do
    if (exec 3<>"/dev/tcp/$IMAP_HOST/$port") 2>/dev/null; then
      [ "$want" = open ] && return 0
    else
      [ "$want" = closed ] && return 0
    fi
    sleep 0.1
  done
  return 1
}

imap_write_config() {
  local dir=$1 ssl="ssl = no" imaps=""
  if [ -n "$IMAP_TLS_CERT" ]; then
    ssl="ssl = yes
ssl_cert = <$IMAP_TLS_CERT
ssl_key = <$IMAP_TLS_KEY"
    imaps="  inet_listener imaps {
    address = $IMAP_HOST
    port = 993
    ssl = yes
  }"
  fi
  cat >"$dir/dovecot.conf" <<CONF
base_dir = $dir/run
state_dir = $dir/state
log_path = $dir/dovecot.log
protocols = imap
listen = $IMAP_HOST
$ssl
disable_plaintext_auth = no
auth_mechanisms = plain
auth_verbose = yes
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
service imap-login {
  chroot =
  inet_listener imap {
    address = $IMAP_HOST
    port = 143
  }
$imaps
}
service anvil {
  chroot =
}
CONF
}

imap_start() {
  IMAP_DIR=$1
  shift
  local uid gid entry user pass msgs home i=0 m from subject rest flag
  uid=$(id -u nobody) gid=$(id -g nobody)
  mkdir -p "$IMAP_DIR/run" "$IMAP_DIR/state" "$IMAP_DIR/home"
  : >"$IMAP_DIR/passwd"
  for entry in "$@"; do
    user=${entry%%:*} pass=${entry#*:} msgs=""
    case "$pass" in *:*) msgs=${pass#*:}; pass=${pass%%:*} ;; esac
    home="$IMAP_DIR/home/$user"
    mkdir -p "$home/Maildir/new" "$home/Maildir/cur" "$home/Maildir/tmp"
    IFS=';' read -ra list <<<"$msgs"
    for m in "${list[@]}"; do
      [ -n "$m" ] || continue
      from=${m%%|*} rest=${m#*|} subject=${rest%%|*} flag=""
      [ "$rest" != "$subject" ] && flag=${rest#*|}
      i=$((i + 1))
      printf 'From: %s\r\nTo: %s@localhost\r\nSubject: %s\r\nDate: Mon, 7 Dec 2026 08:00:00 +0000\r\n\r\nHello.\r\n' \
        "$from" "$user" "$subject" >"$home/Maildir/cur/$i.velmora:2,$flag"
    done
    printf '%s:{PLAIN}%s:%s:%s::%s\n' "$user" "$pass" "$uid" "$gid" "$home" >>"$IMAP_DIR/passwd"
  done
  chown -R "$uid:$gid" "$IMAP_DIR/home"
  local d=$IMAP_DIR
  while [ "$d" != / ]; do chmod o+x "$d" 2>/dev/null; d=$(dirname "$d"); done
  imap_write_config "$IMAP_DIR"
  dovecot -c "$IMAP_DIR/dovecot.conf" </dev/null >/dev/null 2>&1 || { cat "$IMAP_DIR/dovecot.log" >&2; return 1; }
  if imap_wait_port 143 && { [ -z "$IMAP_TLS_CERT" ] || imap_wait_port 993; }; then return 0; fi
  echo "dovecot did not listen on $IMAP_HOST:143${IMAP_TLS_CERT:+ and 993}" >&2
  cat "$IMAP_DIR/dovecot.log" >&2
  return 1
}

imap_stop() {
  [ -n "$IMAP_DIR" ] && [ -f "$IMAP_DIR/run/master.pid" ] || return 0
  kill "$(cat "$IMAP_DIR/run/master.pid")" 2>/dev/null || true
  imap_wait_port 143 closed
  IMAP_DIR=""
}

# The unseen messages of USER's inbox as the server reports them, asked read-only.
imap_unseen() {
  python3 - "$IMAP_HOST" "$1" "$2" <<'PY'
import imaplib, sys
c = imaplib.IMAP4(sys.argv[1], 143, timeout=10)
c.login(sys.argv[2], sys.argv[3])
c.select("INBOX", readonly=True)
print(len(c.search(None, "UNSEEN")[1][0].split()))
c.logout()
PY
}
