# A POP3 server for the end-to-end tests: the test's own dovecot (dovecot_peer.bash) on
# 127.0.0.1:110.
#   pop3_start DIR USER:PASSWORD[:MESSAGES] ...   MESSAGES: "From|Subject;From|Subject"
#   pop3_stop
# With POP3_TLS_CERT and POP3_TLS_KEY set (files from pop3_tls_cert), it also offers STLS on
# 110 and POP3 over TLS on 127.0.0.1:995.
#   pop3_tls_cert DIR NAME   makes DIR/NAME.crt and DIR/NAME.key (self-signed, for
#                            127.0.0.1 and localhost) and prints its SHA-256 fingerprint
#   pop3_start_tls WORK USER... the two above in one: a certificate in WORK/certs (its
#                            fingerprint in POP3_TLS_FP), the server in WORK/pop
. "$(dirname "${BASH_SOURCE[0]}")/dovecot_peer.bash"
POP3_DIR=""
POP3_TLS_CERT=${POP3_TLS_CERT:-}
POP3_TLS_KEY=${POP3_TLS_KEY:-}

pop3_tls_cert() { dovecot_cert "$1" "$2" "IP:127.0.0.1,DNS:localhost"; }

pop3_start_tls() {
  local work=$1
  shift
  POP3_TLS_FP=$(pop3_tls_cert "$work/certs" server) && [ -n "$POP3_TLS_FP" ] || return 1
  POP3_TLS_CERT="$work/certs/server.crt" POP3_TLS_KEY="$work/certs/server.key"
  pop3_start "$work/pop" "$@"
}

pop3_ports() { echo 110 ${POP3_TLS_CERT:+995}; }

pop3_start() {
  POP3_DIR=$1
  shift
  dovecot_users "$POP3_DIR" "$@"
  DOVECOT_TLS_CERT=$POP3_TLS_CERT DOVECOT_TLS_KEY=$POP3_TLS_KEY \
    dovecot_write_config "$POP3_DIR" 127.0.0.1 pop3:110 ${POP3_TLS_CERT:+pop3:995:ssl}
  # Another server on the port (a system-wide one, or one this test did not start) is not
  # ours to stop: say so and give up.
  if (exec 3<>/dev/tcp/127.0.0.1/110) 2>/dev/null; then
    echo "127.0.0.1:110 is taken by a server this test did not start; the POP3 peer needs it" >&2
    return 1
  fi
  dovecot_run "$POP3_DIR" 127.0.0.1 $(pop3_ports)
}

pop3_stop() {
  [ -n "$POP3_DIR" ] || return 0
  dovecot_end "$POP3_DIR" 127.0.0.1 $(pop3_ports)
  POP3_DIR=""
}
