#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <thread>

// A bare pseudo-terminal pair for looking at the exact bytes on the line. The test plays
// the instrument on the master side, scripted on a thread of its own; our serial code
// opens the slave path as its port.
class CPtyPeer {
public:
    CPtyPeer();
    ~CPtyPeer();
    CPtyPeer(const CPtyPeer&) = delete;
    CPtyPeer& operator=(const CPtyPeer&) = delete;

    bool IsValid() const { return m_fdMaster >= 0; }
    QString SlavePath() const { return m_strPath; }
    // The peer's own descriptor of the slave side: the line settings can be read through it.
    int SlaveFd() const { return m_fdSlave; }

    // Reads exactly n bytes, waiting at most waitMs for each; returns what came.
    QByteArray Read(int n, int waitMs = 2000);
    // Reads a frame STX ... ETX BCC, or whatever came before a pause of waitMs.
    QByteArray ReadFrame(int waitMs = 2000);
    bool Write(const QByteArray& bytes);

    // Plays script on the peer thread; Join waits for it to finish.
    void Run(std::function<void(CPtyPeer&)> script);
    void Join();

private:
    int m_fdMaster = -1;
    int m_fdSlave = -1; // held so that the line never hangs up between opens
    QString m_strPath;
    std::thread m_thread;
};
