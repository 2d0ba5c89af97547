// https through the engine against a local TLS server whose certificate a
// test certificate authority signed: trusted when that authority is given,
// refused with the system's store.
#include "net_fixture.h"

#include <openssl/pem.h>
#include <openssl/x509v3.h>

#include <memory>

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

// The test authority's certificate as a PEM file.
void WriteAuthority(X509 *authority, const QString &path)
{
    FILE *file = std::fopen(QFile::encodeName(path).constData(), "w");
    PEM_write_X509(file, authority);
    std::fclose(file);
}

using TlsTest = NetTest;

TEST_F(TlsTest, TrustsOnlyTheGivenAuthority)
{
    const KeyPointer authorityKey(EVP_RSA_gen(2048), EVP_PKEY_free);
    const KeyPointer serverKey(EVP_RSA_gen(2048), EVP_PKEY_free);
    const CertificatePointer authority = Certify(authorityKey.get(), "Tavimo Test CA", nullptr, nullptr, true);
    const CertificatePointer certificate = Certify(serverKey.get(), "127.0.0.1", authority.get(), authorityKey.get(), false);
    LoopbackServer secure(certificate.get(), serverKey.get());
    const std::string body = trackBytes(300 * 1024);
    Resource track;
    track.body = body;
    secure.put("/t.mp3", track);
    secure.put("/page", track);

    const DownloadEnd refused = downloadEnd(secure.url("/t.mp3"), root.file("refused.mp3"));
    EXPECT_EQ(refused.outcome, DownloadOutcome::Failed);
    EXPECT_TRUE(refused.reason.contains(QStringLiteral("certificate"), Qt::CaseInsensitive)) << refused.reason.toStdString();
    EXPECT_TRUE(QCoro::waitFor(http.GetHttpText("UTF-8", secure.url("/page"))).isEmpty());

    const QString authorityFile = root.file("authority.pem");
    WriteAuthority(authority.get(), authorityFile);
    http.setCertificateAuthorities(authorityFile);
    EXPECT_EQ(QCoro::waitFor(downloader.DownloadFile(secure.url("/t.mp3"), root.file("t.mp3"))), DownloadOutcome::Saved);
    EXPECT_EQ(root.read("t.mp3"), bytes(body));
    EXPECT_EQ(root.allFiles(), (QStringList{QStringLiteral("authority.pem"), QStringLiteral("t.mp3")}));
}

} // namespace
} // namespace tavimo::test
