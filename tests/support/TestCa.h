// A certificate authority of the test's own, made with the openssl program
// in a temporary folder: its certificate (for the games to trust) and a
// server certificate it signed for the names given (for the coordinator).
//
//     TestCa ca({"localhost", "127.0.0.1"});
//     ASSERT_TRUE(ca.ok()) << ca.error();
//     coordinator --cert ca.serverCert() --key ca.serverKey(); game: ZONKARDS_COORDINATOR_CA=ca.caCert()
#pragma once

#include <QProcess>
#include <QTemporaryDir>

#include <string>
#include <vector>

namespace zk::test {

class TestCa {
public:
    explicit TestCa(const std::vector<std::string>& names)
    {
        if (!dir_.isValid()) {
            error_ = "no temporary folder";
            return;
        }
        std::string san;
        for (const std::string& n : names) {
            const bool ip =
                !n.empty() && (std::isdigit(static_cast<unsigned char>(n[0])) || n.find(':') != n.npos);
            san += (san.empty() ? "" : ",") + std::string(ip ? "IP:" : "DNS:") + n;
        }
        ok_ = run({"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", path("ca.key"), "-out",
                   path("ca.pem"), "-days", "2", "-subj", "/CN=Zonkards test CA"}) &&
              run({"req", "-newkey", "rsa:2048", "-nodes", "-keyout", path("server.key"), "-out",
                   path("server.csr"), "-subj", "/CN=" + names.front()}) &&
              run({"x509", "-req", "-in", path("server.csr"), "-CA", path("ca.pem"), "-CAkey", path("ca.key"),
                   "-CAcreateserial", "-out", path("server.pem"), "-days", "2", "-extfile", writeExt(san)});
    }
    bool ok() const { return ok_; }
    const std::string& error() const { return error_; }
    std::string caCert() const { return path("ca.pem"); }
    std::string serverCert() const { return path("server.pem"); }
    std::string serverKey() const { return path("server.key"); }
    std::string path(const std::string& name) const
    {
        return dir_.filePath(QString::fromStdString(name)).toStdString();
    }

private:
    std::string writeExt(const std::string& san)
    {
        const std::string file = path("ext.cnf");
        FILE* f = std::fopen(file.c_str(), "w");
        if (f) {
            std::fprintf(f, "subjectAltName=%s\n", san.c_str());
            std::fclose(f);
        }
        return file;
    }
    bool run(const std::vector<std::string>& args)
    {
        QStringList list;
        for (const std::string& a : args)
            list << QString::fromStdString(a);
        QProcess p;
        p.start(QStringLiteral("openssl"), list);
        if (!p.waitForFinished(60000) || p.exitCode() != 0) {
            error_ = "openssl " + args.front() + ": " + p.readAllStandardError().toStdString();
            return false;
        }
        return true;
    }
    QTemporaryDir dir_;
    bool ok_ = false;
    std::string error_;
};

} // namespace zk::test
