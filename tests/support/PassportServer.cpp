#include "support/PassportServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>
#include <signal.h>
#include <sys/socket.h>

#include <algorithm>
#include <charconv>
#include <stdexcept>

namespace quelt::test {
namespace {

struct KeyDeleter {
  void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
};
struct CertificateDeleter {
  void operator()(X509* certificate) const { X509_free(certificate); }
};
struct SslDeleter {
  void operator()(SSL* ssl) const { SSL_free(ssl); }
};
using Key = std::unique_ptr<EVP_PKEY, KeyDeleter>;
using Cert = std::unique_ptr<X509, CertificateDeleter>;

constexpr size_t kMaxRequest = 65536;

Key MakeKey() {
  Key key(EVP_PKEY_Q_keygen(nullptr, nullptr, "EC", "P-256"));
  if (!key) throw std::runtime_error("passport server: no key");
  return key;
}

void AddExtension(X509* certificate, X509V3_CTX& context, int nid, const char* value) {
  X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value);
  if (extension == nullptr || X509_add_ext(certificate, extension, -1) != 1) {
    throw std::runtime_error("passport server: bad certificate extension");
  }
  X509_EXTENSION_free(extension);
}

// A CA certificate when `issuer` is null (self-signed), else a server certificate for `altNames`.
Cert MakeCertificate(EVP_PKEY* key, const std::string& commonName, X509* issuer, EVP_PKEY* issuerKey,
                     const std::string& altNames, long serial) {
  Cert certificate(X509_new());
  X509* cert = certificate.get();
  X509_set_version(cert, 2);
  ASN1_INTEGER_set(X509_get_serialNumber(cert), serial);
  X509_gmtime_adj(X509_getm_notBefore(cert), -3600);
  X509_gmtime_adj(X509_getm_notAfter(cert), 7L * 24 * 3600);
  X509_set_pubkey(cert, key);
  X509_NAME* name = X509_get_subject_name(cert);
  X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char*>(commonName.c_str()), -1,
                             -1, 0);
  X509_set_issuer_name(cert, issuer != nullptr ? X509_get_subject_name(issuer) : name);
  X509V3_CTX context;
  X509V3_set_ctx_nodb(&context);
  X509V3_set_ctx(&context, issuer != nullptr ? issuer : cert, cert, nullptr, nullptr, 0);
  if (issuer == nullptr) {
    AddExtension(cert, context, NID_basic_constraints, "critical,CA:TRUE");
    AddExtension(cert, context, NID_key_usage, "critical,keyCertSign,cRLSign");
  } else {
    AddExtension(cert, context, NID_basic_constraints, "critical,CA:FALSE");
    AddExtension(cert, context, NID_key_usage, "critical,digitalSignature");
    AddExtension(cert, context, NID_ext_key_usage, "serverAuth");
    AddExtension(cert, context, NID_subject_alt_name, altNames.c_str());
  }
  AddExtension(cert, context, NID_subject_key_identifier, "hash");
  AddExtension(cert, context, NID_authority_key_identifier, "keyid:always");
  if (X509_sign(cert, issuerKey, EVP_sha256()) == 0) throw std::runtime_error("passport server: cannot sign");
  return certificate;
}

std::string Pem(X509* certificate) {
  std::unique_ptr<BIO, decltype(&BIO_free)> bio(BIO_new(BIO_s_mem()), BIO_free);
  PEM_write_bio_X509(bio.get(), certificate);
  char* data = nullptr;
  const long length = BIO_get_mem_data(bio.get(), &data);
  return {data, static_cast<size_t>(length)};
}

struct Authority {
  Key key;
  Cert certificate;
  std::string pem;
};

Authority MakeAuthority(const std::string& name) {
  Authority authority{MakeKey(), nullptr, {}};
  authority.certificate = MakeCertificate(authority.key.get(), name, nullptr, authority.key.get(), "", 1);
  authority.pem = Pem(authority.certificate.get());
  return authority;
}

// One CA for every server of the test program, so that one CA file trusts them all.
const Authority& TestAuthority() {
  static const Authority authority = MakeAuthority("Quelt Test CA");
  return authority;
}

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return LowerAscii(x) == LowerAscii(y); });
}

std::string PercentDecode(std::string_view text) {
  std::string decoded;
  for (size_t i = 0; i < text.size(); ++i) {
    unsigned value = 0;
    if (text[i] == '%' && i + 2 < text.size() &&
        std::from_chars(text.data() + i + 1, text.data() + i + 3, value, 16).ptr == text.data() + i + 3) {
      decoded.push_back(static_cast<char>(value));
      i += 2;
    } else {
      decoded.push_back(text[i]);
    }
  }
  return decoded;
}

// The decoded value of `name=` among the comma-separated fields of an Authorization value.
std::optional<std::string> AuthorizationField(std::string_view value, std::string_view name) {
  while (!value.empty()) {
    const size_t comma = value.find(',');
    const std::string_view field = value.substr(0, comma);
    value = comma == std::string_view::npos ? std::string_view() : value.substr(comma + 1);
    if (field.size() > name.size() && field.starts_with(name) && field[name.size()] == '=') {
      return PercentDecode(field.substr(name.size() + 1));
    }
  }
  return std::nullopt;
}

std::optional<PassportServer::Request> ParseRequest(std::string_view text, uint16_t port) {
  PassportServer::Request request;
  request.port = port;
  const size_t lineEnd = text.find("\r\n");
  const std::string_view first = text.substr(0, lineEnd);
  const size_t space = first.find(' ');
  const size_t secondSpace = first.find(' ', space + 1);
  if (space == std::string_view::npos || secondSpace == std::string_view::npos) return std::nullopt;
  request.method = first.substr(0, space);
  request.path = first.substr(space + 1, secondSpace - space - 1);
  text.remove_prefix(lineEnd + 2);
  while (!text.empty()) {
    const size_t end = text.find("\r\n");
    const std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 2);
    if (line.empty()) break;
    const size_t colon = line.find(':');
    if (colon == std::string_view::npos) continue;
    std::string_view value = line.substr(colon + 1);
    while (!value.empty() && value.front() == ' ') value.remove_prefix(1);
    request.headers.emplace_back(line.substr(0, colon), value);
  }
  return request;
}

uint16_t LocalPort(int socket) {
  sockaddr_in address{};
  socklen_t length = sizeof address;
  if (getsockname(socket, reinterpret_cast<sockaddr*>(&address), &length) != 0) return 0;
  return ntohs(address.sin_port);
}

}  // namespace

struct PassportServer::Tls {
  std::unique_ptr<SSL_CTX, decltype(&SSL_CTX_free)> context{nullptr, SSL_CTX_free};
};

std::optional<std::string> PassportServer::Request::Header(std::string_view name) const {
  for (const auto& [key, value] : headers) {
    if (EqualsIgnoringCase(key, name)) return value;
  }
  return std::nullopt;
}

PassportServer::PassportServer(Certificate certificate, uint16_t port) : tls_(std::make_unique<Tls>()) {
  const Authority& trusted = TestAuthority();
  caFile_ = folder_ / "ca.pem";
  WriteFile(caFile_, trusted.pem);

  std::optional<Authority> other;
  if (certificate == Certificate::OtherCa) other = MakeAuthority("Quelt Other CA");
  const Authority& issuer = other ? *other : trusted;
  const bool wrongHost = certificate == Certificate::WrongHost;
  const Key serverKey = MakeKey();
  const Cert server =
      MakeCertificate(serverKey.get(), wrongHost ? "wrong.example.net" : "localhost", issuer.certificate.get(),
                      issuer.key.get(), wrongHost ? "DNS:wrong.example.net" : "IP:127.0.0.1,DNS:localhost", 2);

  tls_->context.reset(SSL_CTX_new(TLS_server_method()));
  SSL_CTX* context = tls_->context.get();
  if (context == nullptr || SSL_CTX_use_certificate(context, server.get()) != 1 ||
      SSL_CTX_use_PrivateKey(context, serverKey.get()) != 1 || SSL_CTX_check_private_key(context) != 1) {
    throw std::runtime_error("passport server: no TLS context");
  }

  primary_ = std::make_unique<LoopbackServer>([this](int socket) { Serve(socket); }, port);
  alternate_ = std::make_unique<LoopbackServer>([this](int socket) { Serve(socket); });
  std::lock_guard lock(mutex_);
  primaryPort_ = primary_->Port();
}

PassportServer::~PassportServer() {
  alternate_.reset();
  primary_.reset();
}

std::string PassportServer::Nexus() const { return "127.0.0.1:" + std::to_string(Port()); }

void PassportServer::SetAccount(std::string account, std::string password, std::string ticket) {
  std::lock_guard lock(mutex_);
  account_ = std::move(account);
  password_ = std::move(password);
  ticket_ = std::move(ticket);
}

void PassportServer::SetDaLogin(std::string address) {
  std::lock_guard lock(mutex_);
  daLogin_ = std::move(address);
}

void PassportServer::RedirectLogins(std::string location, int count) {
  std::lock_guard lock(mutex_);
  redirectLocation_ = std::move(location);
  redirectsLeft_ = count;
}

void PassportServer::HoldLogins() {
  std::lock_guard lock(mutex_);
  holdLogins_ = true;
}

void PassportServer::UseLowerCaseHeaderNames() {
  std::lock_guard lock(mutex_);
  lowerCaseNames_ = true;
}

void PassportServer::AddLoginHeader(std::string name, std::string value) {
  std::lock_guard lock(mutex_);
  extraLoginHeaders_.emplace_back(std::move(name), std::move(value));
}

std::vector<PassportServer::Request> PassportServer::Requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

bool PassportServer::WaitForRequests(size_t count, std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, timeout, [&] { return requests_.size() >= count; });
}

bool PassportServer::WaitForAbandonedConnections(int count, std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, timeout, [&] { return abandoned_ >= count; });
}

void PassportServer::Serve(int socket) {
  // A client that hangs up early must not take the test program down with SIGPIPE.
  sigset_t pipe;
  sigemptyset(&pipe);
  sigaddset(&pipe, SIGPIPE);
  pthread_sigmask(SIG_BLOCK, &pipe, nullptr);

  std::unique_ptr<SSL, SslDeleter> ssl(SSL_new(tls_->context.get()));
  if (!ssl || SSL_set_fd(ssl.get(), socket) != 1) return;
  const auto abandoned = [this] {
    std::lock_guard lock(mutex_);
    ++abandoned_;
    changed_.notify_all();
  };
  if (SSL_accept(ssl.get()) != 1) return abandoned();
  std::string text;
  char buffer[4096];
  while (text.find("\r\n\r\n") == std::string::npos) {
    const int got = SSL_read(ssl.get(), buffer, sizeof buffer);
    if (got <= 0 || text.size() > kMaxRequest) return abandoned();
    text.append(buffer, static_cast<size_t>(got));
  }
  const auto request = ParseRequest(text, LocalPort(socket));
  if (!request) return abandoned();
  std::string answer;
  {
    std::lock_guard lock(mutex_);
    requests_.push_back(*request);
    changed_.notify_all();
    answer = Answer(*request);
  }
  if (answer.empty()) {
    // Held: wait for the client (or the server's shutdown) to end the connection.
    while (SSL_read(ssl.get(), buffer, sizeof buffer) > 0) {
    }
    return;
  }
  if (SSL_write(ssl.get(), answer.data(), static_cast<int>(answer.size())) > 0) SSL_shutdown(ssl.get());
}

std::string PassportServer::Answer(const Request& request) {
  std::string status = "404 Not Found";
  std::vector<std::pair<std::string, std::string>> headers;
  const bool login = request.path.starts_with("/login") && request.path.ends_with(".srf");
  if (request.path == "/rdr/pprdr.asp") {
    status = "200 OK";
    const std::string daLogin =
        daLogin_.empty() ? "127.0.0.1:" + std::to_string(primaryPort_) + "/login2.srf" : daLogin_;
    headers.emplace_back("PassportURLs", "DARealm=Passport.Net,DALogin=" + daLogin +
                                             ",DAReg=https://127.0.0.1/reg.srf,Properties=https://127.0.0.1/"
                                             "props.srf,GeneralRedir=http://127.0.0.1/redir,ConfigVersion=11");
  } else if (login && holdLogins_) {
    return {};
  } else if (login && redirectsLeft_ > 0) {
    --redirectsLeft_;
    status = "302 Found";
    headers.emplace_back("Location", redirectLocation_);
  } else if (login) {
    const std::string authorization = request.Header("Authorization").value_or("");
    const std::string_view kScheme = "Passport1.4 ";
    const bool valid = authorization.starts_with(kScheme) &&
                       AuthorizationField(authorization.substr(kScheme.size()), "sign-in") == account_ &&
                       AuthorizationField(authorization.substr(kScheme.size()), "pwd") == password_;
    if (valid) {
      status = "200 OK";
      headers.emplace_back("Authentication-Info",
                           "Passport1.4 da-status=success,tname=MSPAuth,tname=MSPProf,tname=MSPSec,from-PP='" +
                               ticket_ + "',ru=http://127.0.0.1/");
    } else {
      status = "401 Unauthorized";
      headers.emplace_back("WWW-Authenticate",
                           "Passport1.4 da-status=failed,srealm=Passport.NET,ts=-3,prompt,cbtxt=Sign%20in");
    }
  }
  if (login) headers.insert(headers.end(), extraLoginHeaders_.begin(), extraLoginHeaders_.end());
  headers.emplace_back("Content-Length", "0");
  headers.emplace_back("Connection", "close");
  std::string answer = "HTTP/1.1 " + status + "\r\n";
  for (auto& [name, value] : headers) {
    if (lowerCaseNames_) std::transform(name.begin(), name.end(), name.begin(), LowerAscii);
    answer += name + ": " + value + "\r\n";
  }
  return answer + "\r\n";
}

}  // namespace quelt::test
