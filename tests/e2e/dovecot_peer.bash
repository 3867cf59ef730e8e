# Debian's dovecot as a test's own mail server, from a private configuration under the
# test's folder (run and state folders, log, passwd-file users, maildirs); the POP3 and IMAP
# peers (pop3_peer.bash, imap_peer.bash) and the mail check benchmark stand on it.
#   dovecot_users DIR USER:PASSWORD[:MESSAGES] ...   MESSAGES: "From|Subject[|S];..." where
#                      S marks a message already seen; writes DIR/passwd and the maildirs
#   dovecot_write_config DIR HOST LISTENER ...       LISTENER: PROTOCOL:PORT (pop3:110,
#                      imap:143) or PROTOCOL:PORT:ssl (TLS from the first byte); with
#                      DOVECOT_TLS_CERT and DOVECOT_TLS_KEY set the server also offers TLS
#                      (DOVECOT_SSL_OPTIONS: its ssl_options, e.g. no_ticket); with
#                      DOVECOT_OAUTH2_URL (an introspection endpoint) it also takes bearer
#                      tokens (XOAUTH2, OAUTHBEARER) that the endpoint calls active
#   dovecot_run DIR HOST PORT ...     starts it and waits (bounded) for every port
#   dovecot_end DIR HOST PORT ...     stops this instance by its own pid file, nothing else
#   dovecot_cert DIR NAME SUBJECT_ALT_NAME   makes DIR/NAME.crt and .key, prints the
#                      SHA-256 fingerprint
# The mail belongs to an unprivileged user (dovecot refuses uid 0) and every folder above
# the maildirs is made traversable for it.
DOVECOT_TLS_CERT=${DOVECOT_TLS_CERT:-}
DOVECOT_TLS_KEY=${DOVECOT_TLS_KEY:-}
DOVECOT_SSL_OPTIONS=${DOVECOT_SSL_OPTIONS:-}
DOVECOT_OAUTH2_URL=${DOVECOT_OAUTH2_URL:-}

dovecot_cert() {
  local dir=$1 name=$2 san=$3
  mkdir -p "$dir"
  openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=$name" -addext "subjectAltName=$san" \
    -keyout "$dir/$name.key" -out "$dir/$name.crt" >/dev/null 2>&1 || return 1
  openssl x509 -in "$dir/$name.crt" -noout -fingerprint -sha256 | sed 's/.*=//'
}

# Waits (bounded, 5 s) until HOST:PORT accepts connections (or, with "closed", refuses them).
dovecot_wait_port() {
  local host=$1 port=$2 want=${3:-open} n
  for n in $(seq 1 50); do
    if (exec 3<>"/dev/tcp/$host/$port") 2>/dev/null; then
      [ "$want" = open ] && return 0
    else
      [ "$want" = closed ] && return 0
    fi
    sleep 0.1
  done
  return 1
}

# Makes the folder traversable up to / and the mail the unprivileged user's.
dovecot_own() {
  local dir=$1 d
  chown -R "$(id -u nobody):$(id -g nobody)" "$dir/home"
  d=$dir
  while [ "$d" != / ]; do chmod o+x "$d" 2>/dev/null; d=$(dirname "$d"); done
}

# One passwd line for USER with PASSWORD and home DIR/home/USER (its maildir made, empty).
dovecot_user() {
  local dir=$1 user=$2 pass=$3 home="$1/home/$2"
  mkdir -p "$home/Maildir/new" "$home/Maildir/cur" "$home/Maildir/tmp"
  printf '%s:{PLAIN}%s:%s:%s::%s\n' "$user" "$pass" "$(id -u nobody)" "$(id -g nobody)" "$home" >>"$dir/passwd"
}

dovecot_users() {
  local dir=$1 entry user pass msgs i=0 m from subject rest flag
  shift
  mkdir -p "$dir/run" "$dir/state" "$dir/home"
  : >"$dir/passwd"
  for entry in "$@"; do
    user=${entry%%:*} pass=${entry#*:} msgs=""
    case "$pass" in *:*) msgs=${pass#*:}; pass=${pass%%:*} ;; esac
    dovecot_user "$dir" "$user" "$pass"
    IFS=';' read -ra list <<<"$msgs"
    for m in "${list[@]}"; do
      [ -n "$m" ] || continue
      from=${m%%|*} rest=${m#*|} subject=${rest%%|*} flag=""
      [ "$rest" != "$subject" ] && flag=${rest#*|}
      i=$((i + 1))
      printf 'From: %s\r\nTo: %s@localhost\r\nSubject: %s\r\nDate: Mon, 7 Dec 2026 08:00:00 +0000\r\n\r\nHello.\r\n' \
        "$from" "$user" "$subject" >"$dir/home/$user/Maildir/cur/$i.velmora:2,$flag"
    done
  done
  dovecot_own "$dir"
}

dovecot_write_config() {
  local dir=$1 host=$2 ssl="ssl = no" protocols="" services="" l proto port tls mechs=plain oauth2=""
  shift 2
  [ -n "$DOVECOT_TLS_CERT" ] && ssl="ssl = yes
ssl_cert = <$DOVECOT_TLS_CERT
ssl_key = <$DOVECOT_TLS_KEY${DOVECOT_SSL_OPTIONS:+
ssl_options = $DOVECOT_SSL_OPTIONS}"
  if [ -n "$DOVECOT_OAUTH2_URL" ]; then
    mechs="plain xoauth2 oauthbearer"
    printf 'introspection_mode = post\nintrospection_url = %s\nusername_attribute = username\nactive_attribute = active\nactive_value = true\n' \
      "$DOVECOT_OAUTH2_URL" >"$dir/oauth2.conf.ext"
    oauth2="passdb {
  driver = oauth2
  mechanisms = xoauth2 oauthbearer
  args = $dir/oauth2.conf.ext
}"
  fi
  for l in "$@"; do
    IFS=: read -r proto port tls <<<"$l"
    case " $protocols " in *" $proto "*) ;; *) protocols="$protocols $proto" ;; esac
    services="$services
service $proto-login {
  chroot =
  inet_listener $proto${tls:+s} {
    address = $host
    port = $port${tls:+
    ssl = yes}
  }
}"
  done
  cat >"$dir/dovecot.conf" <<CONF
base_dir = $dir/run
state_dir = $dir/state
log_path = $dir/dovecot.log
protocols =$protocols
listen = $host
$ssl
disable_plaintext_auth = no
auth_mechanisms = $mechs
auth_verbose = yes
first_valid_uid = 1
mail_location = maildir:~/Maildir
$oauth2
passdb {
  driver = passwd-file
  args = scheme=PLAIN username_format=%u $dir/passwd
}
userdb {
  driver = passwd-file
  args = username_format=%u $dir/passwd
}
service anvil {
  chroot =
}$services
CONF
}

dovecot_run() {
  local dir=$1 host=$2 port
  shift 2
  # Its own output goes to its log: the server must not hold the caller's output open.
  dovecot -c "$dir/dovecot.conf" </dev/null >/dev/null 2>&1 || { cat "$dir/dovecot.log" >&2; return 1; }
  for port in "$@"; do
    dovecot_wait_port "$host" "$port" && continue
    echo "dovecot did not listen on $host:$port" >&2
    cat "$dir/dovecot.log" >&2
    return 1
  done
}

dovecot_end() {
  local dir=$1 host=$2 pid i port
  shift 2
  pid=$(cat "$dir/run/master.pid" 2>/dev/null) || return 0
  kill "$pid" 2>/dev/null
  # Ended (a process nobody reaps stays as a zombie, state Z), within 5 s.
  for i in $(seq 1 50); do
    kill -0 "$pid" 2>/dev/null && [ "$(cut -d' ' -f3 "/proc/$pid/stat" 2>/dev/null)" != Z ] || break
    sleep 0.1
  done
  for port in "$@"; do dovecot_wait_port "$host" "$port" closed; done
  return 0
}
