# An IMAP server for the end-to-end tests: the test's own dovecot (dovecot_peer.bash) on
# 127.0.0.9 (IMAP on 143; with IMAP_TLS_CERT and IMAP_TLS_KEY also STARTTLS and IMAP over
# TLS on 993).
#   imap_start DIR USER:PASSWORD[:MESSAGES] ...   MESSAGES: "From|Subject[|S];..." where S
#                                                 marks a message already seen
#   imap_stop                                     stops this instance by its own pid file
#   imap_cert DIR NAME   makes DIR/NAME.crt and .key for 127.0.0.9; prints the fingerprint
. "$(dirname "${BASH_SOURCE[0]}")/dovecot_peer.bash"
IMAP_HOST=127.0.0.9
IMAP_DIR=""
IMAP_TLS_CERT=${IMAP_TLS_CERT:-}
IMAP_TLS_KEY=${IMAP_TLS_KEY:-}

imap_cert() { dovecot_cert "$1" "$2" "IP:$IMAP_HOST"; }
imap_wait_port() { dovecot_wait_port "$IMAP_HOST" "$@"; }
imap_ports() { echo 143 ${IMAP_TLS_CERT:+993}; }

imap_start() {
  IMAP_DIR=$1
  shift
  dovecot_users "$IMAP_DIR" "$@"
  DOVECOT_TLS_CERT=$IMAP_TLS_CERT DOVECOT_TLS_KEY=$IMAP_TLS_KEY \
    dovecot_write_config "$IMAP_DIR" "$IMAP_HOST" imap:143 ${IMAP_TLS_CERT:+imap:993:ssl}
  dovecot_run "$IMAP_DIR" "$IMAP_HOST" $(imap_ports)
}

imap_stop() {
  [ -n "$IMAP_DIR" ] || return 0
  dovecot_end "$IMAP_DIR" "$IMAP_HOST" $(imap_ports)
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
