// A real rsyslog daemon run by the test in the foreground on 127.0.0.1 ports
// and a socket in a temporary directory; every message it receives goes,
// parsed, to one JSON line of a file.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/network_socket.h"
#include "support/eventually.h"
#include "support/json_reader.h"
#include "support/temp_dir.h"

namespace qmtest {

class RsyslogDaemon {
public:
    // The path of rsyslogd, or empty when the machine has none (Windows runs go without).
    static std::string Program() {
        for (const char* path : {"/usr/sbin/rsyslogd", "/sbin/rsyslogd"})
            if (HavePython() && std::filesystem::exists(path)) return path;
        return "";
    }

    explicit RsyslogDaemon(const TempDir& dir) : m_dir(dir) {}
    ~RsyslogDaemon() { Stop(); }

    // Picks a port free for UDP and TCP; true once socket and TCP port are up.
    bool Start() {
        const std::string portFile = m_dir.Path("port.txt");
        const std::string pickPort =
            "python3 -c 'import socket\n"
            "t = socket.socket(); t.bind((\"127.0.0.1\", 0)); port = t.getsockname()[1]\n"
            "u = socket.socket(socket.AF_INET, socket.SOCK_DGRAM); u.bind((\"127.0.0.1\", port))\n"
            "print(port)' > '" + portFile + "' 2>/dev/null";
        for (int attempt = 0; attempt < 20 && m_port.empty(); ++attempt)
            if (std::system(pickPort.c_str()) == 0) std::ifstream(portFile) >> m_port;
        std::ofstream(m_dir.Path("rsyslog.conf")) << Configuration();
        const std::string command = Program() + " -n -f '" + m_dir.Path("rsyslog.conf") + "' -i '" + PidPath() +
                                    "' >'" + m_dir.Path("rsyslogd.out") + "' 2>&1 &";
        return !m_port.empty() && std::system(command.c_str()) == 0 && Eventually([this] {
            const auto socket = qm::platform::ConnectSocket(qm::platform::SocketTransport::kTcp, "127.0.0.1",
                                                            m_port.c_str(), 1000);
            qm::platform::CloseSocket(socket);
            return !Pid().empty() && std::filesystem::exists(SocketPath()) && socket != qm::platform::kNoSocket;
        });
    }

    // The daemon writes out what it holds before it goes.
    void Stop() {
        const std::string pid = Pid();
        if (pid.empty()) return;
        std::system(("kill " + pid).c_str());
        Eventually([pid] { return !std::filesystem::exists("/proc/" + pid); });
        std::filesystem::remove(PidPath());
    }

    std::string Port() const { return m_port; }
    std::string SocketPath() const { return m_dir.Path("log.sock"); }
    // The configuration the daemon runs with (the user guide shows the same).
    std::string Configuration() const {
        return "global(workDirectory=\"" + m_dir.Path() + "\" maxMessageSize=\"64k\")\n"
               "module(load=\"imudp\")\nmodule(load=\"imtcp\")\n"
               "module(load=\"imuxsock\" SysSock.Use=\"off\")\nmodule(load=\"mmpstrucdata\")\n"
               "input(type=\"imudp\" address=\"127.0.0.1\" port=\"" + m_port + "\" ruleset=\"qm\")\n"
               "input(type=\"imtcp\" address=\"127.0.0.1\" port=\"" + m_port + "\" ruleset=\"qm\")\n"
               "input(type=\"imuxsock\" Socket=\"" + SocketPath() +
               "\" UseSpecialParser=\"off\" ParseHostname=\"on\" ruleset=\"qm\")\n"
               "template(name=\"qmjson\" type=\"string\" string=\"{\\\"severity\\\":\\\"%syslogseverity-text%\\\","
               "\\\"facility\\\":\\\"%syslogfacility-text%\\\",\\\"app\\\":\\\"%app-name:::json%\\\","
               "\\\"msgid\\\":\\\"%msgid:::json%\\\",\\\"sd\\\":\\\"%$!rfc5424-sd:::json%\\\","
               "\\\"msg\\\":\\\"%msg:::json%\\\"}\\n\")\n"
               "ruleset(name=\"qm\") {\n  action(type=\"mmpstrucdata\")\n"
               "  action(type=\"omfile\" file=\"" + m_dir.Path("received.jsonl") + "\" template=\"qmjson\")\n}\n";
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
            "' '" + m_dir.Path("received.jsonl") + "' '" + app + "' '" + out + "'";
        return std::system(command.c_str()) == 0 ? ReadLines(out) : std::vector<std::string>{};
    }

    // Waits until count messages of app have arrived.
    bool WaitForCount(const std::string& app, std::size_t count) const {
        return Eventually([&] { return Received(app).size() >= count; });
    }

private:
    std::string PidPath() const { return m_dir.Path("rsyslogd.pid"); }
    // The daemon's process id while it runs, else empty.
    std::string Pid() const {
        std::string pid;
        std::ifstream(PidPath()) >> pid;
        return !pid.empty() && std::filesystem::exists("/proc/" + pid) ? pid : "";
    }

    const TempDir& m_dir;
    std::string m_port;
};

}  // namespace qmtest
