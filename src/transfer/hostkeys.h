#pragma once

#include <QByteArray>
#include <QString>
#include <curl/curl.h>

// SSH host keys, trusted on first use. The first key a node's address shows is kept in a
// known-hosts file (OpenSSH format); a different key later refuses that node's transfers
// until the operator accepts it (a factory reset gives a node a new key). Any thread.
namespace HostKeys {

// The known-hosts file; empty turns the check off (the default, until the program sets it).
void setFile(const QString &path);
QString file();
// The next different key of ip replaces the kept one (once).
void acceptNew(const QString &ip);
// Every different key replaces the kept one (the command line's --accept-new-host-key).
void setAcceptAllNew(bool on);
// "SHA256:..." of the last key refused for ip; empty when none was.
QString refusedKey(const QString &ip);

// Sets the known-hosts options of one libcurl transfer to *ip; ip and pathStorage must
// outlive the transfer. Nothing when no file is set.
void configure(CURL *handle, const QString *ip, QByteArray &pathStorage);

// The key's fingerprint as ssh-keygen prints it, from the raw key blob.
QString fingerprint(const QByteArray &blob);

} // namespace HostKeys
