// A real rsyslog daemon run by the test in the foreground on 127.0.0.1 ports
// and a socket in a temporary directory; every message it receives goes,
// parsed, to one JSON line of a file.
#pragma once

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/network_socket.h"
#include "platform/path_separators.h"
#include "support/json_reader.h"
#include "support/temp_dir.h"

namespace qmtest {

class RsyslogDaemon {
public:
    // The path of rsyslogd, or empty when the machine has none.
    static std::string Program() {
        if (qm::platform::IsLogPathSeparator('\\')) return "";
        for (const char* path : {"/usr/sbin/rsyslogd", "/sbin/rsyslogd"})
            if (std::filesystem::exists(path)) return path;
        return "";
    }

    explicit RsyslogDaemon(const TempDir& dir) : m_dir(dir) {}
    ~RsyslogDaemon() { Stop(); }

    // Picks a port free for UDP and TCP; true once socket and TCP port are up.
    bool Start() {
        if (m_port.empty() && !ChooseFreePort()) return false;
        std::ofstream(ConfigPath()) << Configuration();
        const std::string command = Program() + " -n -f '" + ConfigPath() + "' -i '" + PidPath() +
                                    "' >'" + m_dir.Path("rsyslogd.out") + "' 2>&1 &";
        if (std::system(command.c_str()) != 0) return false;
        return WaitFor([this] { return Running() && std::filesystem::exists(SocketPath()) && TcpAccepts(); });
    }

    // The daemon writes out what it holds before it goes.
    void Stop() {
        if (!Running()) return;
        const std::string pid = ReadPid();
        if (!pid.empty()) std::system(("kill " + pid).c_str());
        WaitFor([pid] { return !std::filesystem::exists("/proc/" + pid); });
        std::filesystem::remove(PidPath());
    }

    std::string Port() const { return m_port; }
    std::string SocketPath() const { return m_dir.Path("log.sock"); }
    // The configuration the daemon runs with (the user guide shows the same).
    std::string Configuration() const {
        return "global(workDirectory=\"" + m_dir.Path() + "\" maxMessageSize=\"64k\")\n"
               "module(load=\"imudp\")\n"
               "module(load=\"imtcp\")\n"
               "module(load=\"imuxsock\" SysSock.Use=\"off\")\n"
               "module(load=\"mmpstrucdata\")\n"
               "input(type=\"imudp\" address=\"127.0.0.1\" port=\"" + m_port + "\" ruleset=\"qm\")\n"
               "input(type=\"imtcp\" address=\"127.0.0.1\" port=\"" + m_port + "\" ruleset=\"qm\")\n"
               "input(type=\"imuxsock\" Socket=\"" + SocketPath() +
               "\" UseSpecialParser=\"off\" ParseHostname=\"on\" ruleset=\"qm\")\n"
               "template(name=\"qmjson\" type=\"string\" string=\"{\\\"severity\\\":\\\"%syslogseverity-text%\\\","
               "\\\"facility\\\":\\\"%syslogfacility-text%\\\",\\\"app\\\":\\\"%app-name:::json%\\\","
               "\\\"msgid\\\":\\\"%msgid:::json%\\\",\\\"sd\\\":\\\"%$!rfc5424-sd:::json%\\\","
               "\\\"msg\\\":\\\"%msg:::json%\\\"}\\n\")\n"
               "ruleset(name=\"qm\") {\n"
               "  action(type=\"mmpstrucdata\")\n"
               "  action(type=\"omfile\" file=\"" + OutputPath() + "\" template=\"qmjson\")\n"
               "}\n";
    }

    // The messages of app, each [severity, facility, msgid, {sd-id: {param:
    // value}}, msg] in canonical JSON (sorted keys, UTF-8 as it is).
    std::vector<std::string> Received(const std::string& app) const {
        const std::string out = m_dir.Path("received.txt");
        const std::string command =
            "python3 -c 'import json,os,sys\n"
            "lines = open(sys.argv[1], encoding=\"utf-8\").readlines() if os.path.exists(sys.argv[1]) else []\n"
            "with open(sys.argv[3], \"w\", encoding=\"utf-8\") as out:\n"
            "  for o in (json.loads(line) for line in lines):\n"
            "    if o[\"app\"] == sys.argv[2]: print(json.dumps([o[\"severity\"], o[\"facility\"], o[\"msgid\"],"
            " json.loads(o[\"sd\"] or \"{}\"), o[\"msg\"]], sort_keys=True, ensure_ascii=False), file=out)"
            "' '" + OutputPath() + "' '" + app + "' '" + out + "'";
        if (std::system(command.c_str()) != 0) return {};
        return ReadLines(out);
    }

    // Waits (at most ten seconds) until count messages of app have arrived.
    bool WaitForCount(const std::string& app, std::size_t count) const {
        return WaitFor([&] { return Received(app).size() >= count; });
    }

    template <typename Condition>
    static bool WaitFor(Condition condition) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!condition()) {
            if (std::chrono::steady_clock::now() > deadline) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return true;
    }

private:
    std::string ConfigPath() const { return m_dir.Path("rsyslog.conf"); }
    std::string PidPath() const { return m_dir.Path("rsyslogd.pid"); }
    std::string OutputPath() const { return m_dir.Path("received.jsonl"); }

    std::string ReadPid() const {
        std::string pid;
        std::ifstream(PidPath()) >> pid;
        return pid;
    }
    bool Running() const { return !ReadPid().empty() && std::filesystem::exists("/proc/" + ReadPid()); }
    bool TcpAccepts() const {
        const auto socket = qm::platform::ConnectSocket(qm::platform::SocketTransport::kTcp, "127.0.0.1",
                                                        m_port.c_str(), 1000);
        qm::platform::CloseSocket(socket);
        return socket != qm::platform::kNoSocket;
    }
    bool ChooseFreePort() {
        const std::string out = m_dir.Path("port.txt");
        const std::string command =
            "python3 -c 'import socket\n"
            "t = socket.socket(); t.bind((\"127.0.0.1\", 0)); port = t.getsockname()[1]\n"
            "u = socket.socket(socket.AF_INET, socket.SOCK_DGRAM); u.bind((\"127.0.0.1\", port))\n"
            "print(port)' > '" + out + "' 2>/dev/null";
        for (int attempt = 0; attempt < 20 && m_port.empty(); ++attempt)
            if (std::system(command.c_str()) == 0) std::ifstream(out) >> m_port;
        return !m_port.empty();
    }

    const TempDir& m_dir;
    std::string m_port;
};

}  // namespace qmtest
