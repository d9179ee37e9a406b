#pragma once

#include <QJsonObject>
#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

class QTcpSocket;

// A simulated LAN for one test: runs quorvane-nodesim (and, on request, the
// SFTP servers of scripts/lan-sshd.sh) as child processes and reads back what
// the nodes received. Only usable inside the private namespace (ctest is run
// through scripts/netns.sh). Everything stops when the object goes.
//
//     SimLan lan;
//     QVERIFY2(lan.start({"--decoders", "3", "--encoders", "2"}), qPrintable(lan.errorString()));
//     ... scan, send commands ...
//     QVERIFY(lan.waitForRecords(3501, 1));
//     QCOMPARE(lan.node(0).value("name").toString(), QString("新名字"));
//
// The simulator's options are listed by `quorvane-nodesim --help`: --decoders,
// --encoders, --seed, --base, --manager, --spread, --node, --fault, --reboot-ms,
// --upgrade-delay, --config. SimLan adds --record, --state and --sftp-root.
// The Windows build (under Wine) cannot start the Linux simulator itself: it asks
// qv-simbridge, started beside it in the namespace (QV_SIMLAN_BRIDGE=port), to run
// a SimLan for it and reads the same files through Wine's Z: drive.
// Nodes are numbered in order: generated decoders, generated encoders, then
// --node entries; node i sits at base + i (127.0.1.1 upward by default).
class SimLan final
{
    Q_DISABLE_COPY_MOVE(SimLan)

public:
    SimLan();
    ~SimLan();

    // Starts the simulator with these options and waits for its "ready".
    // withSftp first starts one sshd for every node address and hands its
    // NODES folder to the simulator (--sftp-root), so 4501 checks the MD5 of
    // the uploaded file. False with errorString() on any failure.
    bool start(const QStringList &args, bool withSftp = false, int timeoutMs = 30000);
    // A command the simulator is started through (it gets the simulator and its options
    // appended), e.g. scripts/child-lan.sh to run it behind a network card of its own.
    void setLauncher(const QStringList &launcher) { m_launcher = launcher; }
    void stop();

    // Lines of the record file: one JSON object per received command with
    // "node" (destination address; "255.255.255.255" for a broadcast),
    // "cmd", "transport" ("udp"/"tcp"), "port", "from", "payload" (the JSON
    // object, or the decoded fields of 4501), "applied" (UDP: addresses of
    // the nodes that acted on it), "ignored" (why nothing happened), "result"
    // (import result, 4501 code), "error" (malformed frames), "time", "ms".
    QList<QJsonObject> records() const;
    QList<QJsonObject> records(int cmd) const;
    // Waits until at least count lines with this cmd are recorded.
    bool waitForRecords(int cmd, int count = 1, int timeoutMs = 30000) const;

    // The state file: {"nodes": [...], "proxyLogLevel"?, ...}; each node with
    // "index", "type", "ip", "id", "name", "macAddr", "nodeData" (the answer
    // document as sent), "data" (export text), "rebootCount", "resetCount",
    // "typeSwitchCount", "settingsCount", "networkCount", "upgradeCount",
    // "importCount", "importedVersion", "ptsBase" (once received), "faults".
    QJsonObject state() const;
    QJsonObject node(int index) const;
    QStringList addresses() const; // current node addresses, node order

    // NODES folder of the SFTP servers: NODES/<ip>/userdata, .../userdata/logs,
    // .../app. Empty without SFTP.
    QString sftpRoot() const { return m_sftpRoot; }
    // Every node's SFTP server shows a new host key from now on (as after a factory reset).
    bool newHostKey();
    bool isRunning() const;
    QString workDir() const; // private temporary folder of this LAN
    QString errorString() const { return m_error; }
    // What the simulator wrote to stderr so far (for failure messages).
    QString simulatorLog() const;

    static QString nodesimPath();
    static QString sourceDir();

private:
    bool startSftp(const QStringList &addresses, int timeoutMs);
    void stopSftp();
    bool fail(const QString &error);
    bool startThroughBridge(const QStringList &args, bool withSftp, int timeoutMs);

    std::unique_ptr<QTemporaryDir> m_dir;
    QProcess m_sim;
    QProcess m_sshd;
    std::unique_ptr<QTcpSocket> m_bridge;
    QString m_workDir;
    QString m_recordPath;
    QString m_statePath;
    QString m_sftpRoot;
    QString m_error;
    QStringList m_launcher;
};
