# A second POP3 server for the end-to-end tests: GNU mailutils' pop3d as the test's own
# instance on 127.0.0.7:110, in the foreground, from a configuration in the test's folder.
#   mu_start DIR USER:PASSWORD ...   users log in as USER@localhost; each mailbox is the mbox
#                                    file DIR/home/USER/INBOX, written by the caller
#   mu_stop                          ends this instance (by its pid) and waits for it
# With MU_TLS_CERT and MU_TLS_KEY set, it also serves POP3 over TLS on 127.0.0.7:995.
# The mail belongs to an unprivileged user and every folder above it is traversable.

MU_DIR=""
MU_PID=""
MU_TLS_CERT=${MU_TLS_CERT:-}
MU_TLS_KEY=${MU_TLS_KEY:-}

mu_start() {
  MU_DIR=$1
  shift
  local uid gid entry user pass
  uid=$(id -u nobody) gid=$(id -g nobody)
  mkdir -p "$MU_DIR/vd" "$MU_DIR/home"
  : >"$MU_DIR/vd/localhost"
  for entry in "$@"; do
    user=${entry%%:*} pass=${entry#*:}
    mkdir -p "$MU_DIR/home/$user"
    [ -f "$MU_DIR/home/$user/INBOX" ] || : >"$MU_DIR/home/$user/INBOX"
    printf '%s:%s:%s:%s::%s:/bin/false\n' "$user" "$(openssl passwd -1 "$pass")" "$uid" "$gid" \
      "$MU_DIR/home/$user" >>"$MU_DIR/vd/localhost"
  done
  chown -R "$uid:$gid" "$MU_DIR/home"
  local d=$MU_DIR
  while [ "$d" != / ]; do chmod o+x "$d" 2>/dev/null; d=$(dirname "$d"); done
  cat >"$MU_DIR/pop3d.conf" <<CONF
auth { authorization virtdomain; authentication generic; };
virtdomain { passwd-dir $MU_DIR/vd; };
logging { syslog false; };
mode daemon;
foreground true;
pidfile $MU_DIR/pop3d.pid;
server 127.0.0.7:110 { transcript false; };
CONF
  [ -n "$MU_TLS_CERT" ] && cat >>"$MU_DIR/pop3d.conf" <<CONF
tls-file-checks { key-file none; cert-file none; ca-file none; };
server 127.0.0.7:995 {
  transcript false;
  tls-mode connection;
  tls { ssl-certificate-file "$MU_TLS_CERT"; ssl-key-file "$MU_TLS_KEY"; };
};
CONF
  pop3d --config-file="$MU_DIR/pop3d.conf" </dev/null >"$MU_DIR/pop3d.log" 2>&1 &
  MU_PID=$!
  local n port
  for port in 110 ${MU_TLS_CERT:+995}; do
    for n in $(seq 1 50); do
      (exec 3<>"/dev/tcp/127.0.0.7/$port") 2>/dev/null && continue 2
      kill -0 "$MU_PID" 2>/dev/null || break
      sleep 0.1
    done
    echo "pop3d did not listen on 127.0.0.7:$port" >&2
    cat "$MU_DIR/pop3d.log" >&2
    return 1
  done
  return 0
}

mu_stop() {
  [ -n "$MU_PID" ] || return 0
  kill "$MU_PID" 2>/dev/null
  local n
  for n in $(seq 1 50); do kill -0 "$MU_PID" 2>/dev/null || break; sleep 0.1; done
  wait "$MU_PID" 2>/dev/null
  MU_PID=""
}
