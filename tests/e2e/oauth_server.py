#!/usr/bin/env python3
"""The e2e tests' authorization server on loopback: authorization (redirects at once, as a
user who clicks "Allow"), token (authorization code with PKCE S256, refresh token) and
introspection (for dovecot's passdb oauth2) endpoints; access tokens expire after
TOKEN_LIFETIME seconds. POST /revoke withdraws every token. Each grant and check is logged
(never a token); every token issued is written to ISSUED so a test can look for it in files.
    oauth_server.py HOST PORT CLIENT_ID LOG ISSUED [TOKEN_LIFETIME]
It ends by itself after 10 minutes."""
import base64, hashlib, json, secrets, sys, threading, time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer
from urllib.parse import parse_qs, urlencode, urlsplit

host, port, client_id, log_path, issued_path = sys.argv[1:6]
lifetime = int(sys.argv[6]) if len(sys.argv) > 6 else 60
codes, access, refresh = {}, {}, {}
lock = threading.Lock()


def log(line):
    with open(log_path, "a") as f:
        f.write(line + "\n")


def issue(kind):
    t = kind + "-" + secrets.token_urlsafe(24)
    with open(issued_path, "a") as f:
        f.write(t + "\n")
    return t


class Handler(BaseHTTPRequestHandler):
    def log_message(self, *args):
        pass

    def answer(self, status, body=None, location=None):
        data = json.dumps(body).encode() if body is not None else b""
        self.send_response(status)
        if location:
            self.send_header("Location", location)
        self.send_header("Content-Type", "application/json")
        self.send_header("Content-Length", str(len(data)))
        self.end_headers()
        self.wfile.write(data)

    def do_GET(self):
        url = urlsplit(self.path)
        q = {k: v[0] for k, v in parse_qs(url.query).items()}
        if url.path != "/authorize":
            return self.answer(404, {})
        redirect = q.get("redirect_uri", "")
        if (q.get("client_id") != client_id or q.get("response_type") != "code"
                or q.get("code_challenge_method") != "S256" or not redirect.startswith("http://127.0.0.1:")):
            log("authorize refused")
            return self.answer(400, {"error": "invalid_request"})
        code = secrets.token_urlsafe(16)
        with lock:
            codes[code] = (q.get("code_challenge", ""), redirect, q.get("login_hint", "alice"))
        log("authorize " + q.get("login_hint", ""))
        self.answer(302, location=redirect + "?" + urlencode({"code": code, "state": q.get("state", "")}))

    def do_POST(self):
        n = int(self.headers.get("Content-Length", "0"))
        form = {k: v[0] for k, v in parse_qs(self.rfile.read(n).decode()).items()}
        path = urlsplit(self.path).path
        now = time.time()
        with lock:
            if path == "/revoke":
                refresh.clear()
                access.clear()
                log("revoked")
                return self.answer(200, {})
            if path == "/introspect":
                user, expires = access.get(form.get("token", ""), ("", 0))
                active = expires > now
                log("introspect " + ("active " + user if active else "inactive"))
                return self.answer(200, {"active": True, "username": user} if active else {"active": False})
            if path != "/token" or form.get("client_id") != client_id:
                return self.answer(401, {"error": "invalid_client"})
            grant = form.get("grant_type")
            user = None
            if grant == "authorization_code":
                challenge, redirect, who = codes.pop(form.get("code", ""), ("", "", None))
                verifier = form.get("code_verifier", "")
                digest = base64.urlsafe_b64encode(hashlib.sha256(verifier.encode()).digest()).rstrip(b"=").decode()
                if who and digest == challenge and form.get("redirect_uri") == redirect:
                    user = who
            elif grant == "refresh_token":
                user = refresh.get(form.get("refresh_token", ""))
            if not user:
                log("token " + str(grant) + " refused")
                return self.answer(400, {"error": "invalid_grant", "error_description": "Token has been expired or revoked."})
            token = issue("access")
            access[token] = (user, now + lifetime)
            body = {"access_token": token, "token_type": "Bearer", "expires_in": lifetime}
            if grant == "authorization_code":
                body["refresh_token"] = issue("refresh")
                refresh[body["refresh_token"]] = user
            log("token " + grant + " " + user)
            self.answer(200, body)


server = ThreadingHTTPServer((host, int(port)), Handler)
threading.Timer(600, server.shutdown).start()
server.serve_forever()
