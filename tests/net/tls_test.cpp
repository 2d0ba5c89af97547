// https through the engine against a local TLS server whose certificate a
// test certificate authority signed: trusted when that authority is given,
// refused with the system's store.
#include "net_fixture.h"

#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <memory>
#include <thread>

namespace tavimo::test {
namespace {

using KeyPointer = std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)>;
using CertificatePointer = std::unique_ptr<X509, decltype(&X509_free)>;

void AddExtension(X509 *certificate, X509 *issuer, int id, const char *value)
{
    X509V3_CTX context;
    X509V3_set_ctx(&context, issuer, certificate, nullptr, nullptr, 0);
    X509_EXTENSION *extension = X509V3_EXT_conf_nid(nullptr, &context, id, value);
    X509_add_ext(certificate, extension, -1);
    X509_EXTENSION_free(extension);
}

// A certificate for key named name, signed by the issuer (itself when null).
CertificatePointer Certify(EVP_PKEY *key, const char *name, X509 *issuer, EVP_PKEY *issuerKey, bool authority)
{
    CertificatePointer certificate(X509_new(), X509_free);
    X509_set_version(certificate.get(), 2);
    ASN1_INTEGER_set(X509_get_serialNumber(certificate.get()), authority ? 1 : 2);
    X509_gmtime_adj(X509_getm_notBefore(certificate.get()), -3600);
    X509_gmtime_adj(X509_getm_notAfter(certificate.get()), 24 * 3600);
    X509_set_pubkey(certificate.get(), key);
    X509_NAME_add_entry_by_txt(X509_get_subject_name(certificate.get()), "CN", MBSTRING_ASC,
                               reinterpret_cast<const unsigned char *>(name), -1, -1, 0);
    X509 *signer = issuer != nullptr ? issuer : certificate.get();
    X509_set_issuer_name(certificate.get(), X509_get_subject_name(signer));
    if (authority) {
        AddExtension(certificate.get(), signer, NID_basic_constraints, "critical,CA:TRUE");
        AddExtension(certificate.get(), signer, NID_key_usage, "critical,keyCertSign,cRLSign");
    } else {
        AddExtension(certificate.get(), signer, NID_subject_alt_name, "IP:127.0.0.1");
    }
    X509_sign(certificate.get(), issuerKey != nullptr ? issuerKey : key, EVP_sha256());
    return certificate;
}

// Answers every request on its port with one body, over TLS, one request a
// connection.
class TlsServer {
public:
    TlsServer(const std::string &body)
        : authorityKey_(EVP_RSA_gen(2048), EVP_PKEY_free), serverKey_(EVP_RSA_gen(2048), EVP_PKEY_free),
          authority_(Certify(authorityKey_.get(), "Tavimo Test CA", nullptr, nullptr, true)),
          certificate_(Certify(serverKey_.get(), "127.0.0.1", authority_.get(), authorityKey_.get(), false)),
          context_(SSL_CTX_new(TLS_server_method())), body_(body)
    {
        SSL_CTX_use_certificate(context_, certificate_.get());
        SSL_CTX_use_PrivateKey(context_, serverKey_.get());
        listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        ::bind(listener_, reinterpret_cast<sockaddr *>(&address), length);
        ::listen(listener_, 8);
        ::getsockname(listener_, reinterpret_cast<sockaddr *>(&address), &length);
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { serve(); });
    }
    ~TlsServer()
    {
        ending_ = true;
        thread_.join();
        ::close(listener_);
        SSL_CTX_free(context_);
    }

    QString url(const char *path) const { return QStringLiteral("https://127.0.0.1:%1%2").arg(port_).arg(QLatin1String(path)); }

    // The test authority's certificate as a PEM file.
    void writeAuthority(const QString &path) const
    {
        FILE *file = std::fopen(QFile::encodeName(path).constData(), "w");
        PEM_write_X509(file, authority_.get());
        std::fclose(file);
    }

private:
    void serve()
    {
        while (!ending_) {
            pollfd ready{listener_, POLLIN, 0};
            if (::poll(&ready, 1, 50) <= 0)
                continue;
            const int connection = ::accept(listener_, nullptr, nullptr);
            SSL *ssl = SSL_new(context_);
            SSL_set_fd(ssl, connection);
            if (SSL_accept(ssl) == 1)
                answer(ssl);
            SSL_free(ssl);
            ::close(connection);
        }
    }

    void answer(SSL *ssl)
    {
        std::string request;
        char piece[4096];
        while (request.find("\r\n\r\n") == std::string::npos) {
            const int size = SSL_read(ssl, piece, sizeof piece);
            if (size <= 0)
                return;
            request.append(piece, size_t(size));
        }
        const std::string reply = "HTTP/1.1 200 OK\r\nContent-Type: audio/mpeg\r\nConnection: close\r\nContent-Length: "
                                + std::to_string(body_.size()) + "\r\n\r\n" + body_;
        SSL_write(ssl, reply.data(), int(reply.size()));
        SSL_shutdown(ssl);
    }

    KeyPointer authorityKey_;
    KeyPointer serverKey_;
    CertificatePointer authority_;
    CertificatePointer certificate_;
    SSL_CTX *context_;
    std::string body_;
    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> ending_{false};
    std::thread thread_;
};

using TlsTest = NetTest;

TEST_F(TlsTest, TrustsOnlyTheGivenAuthority)
{
    const std::string body = trackBytes(300 * 1024);
    TlsServer server(body);

    const DownloadEnd refused = downloadEnd(server.url("/t.mp3"), root.file("refused.mp3"));
    EXPECT_EQ(refused.outcome, DownloadOutcome::Failed);
    EXPECT_TRUE(refused.reason.contains(QStringLiteral("certificate"), Qt::CaseInsensitive)) << refused.reason.toStdString();
    EXPECT_TRUE(http.GetHttpText("UTF-8", server.url("/page")).isEmpty());

    const QString authority = root.file("authority.pem");
    server.writeAuthority(authority);
    http.setCertificateAuthorities(authority);
    EXPECT_EQ(downloader.DownloadFile(server.url("/t.mp3"), root.file("t.mp3")), DownloadOutcome::Saved);
    EXPECT_EQ(root.read("t.mp3"), bytes(body));
    EXPECT_EQ(root.allFiles(), (QStringList{QStringLiteral("authority.pem"), QStringLiteral("t.mp3")}));
}

} // namespace
} // namespace tavimo::test
