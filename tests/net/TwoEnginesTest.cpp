// Two engines on loopback: the host program runs a game whose scene image holds a
// NETSERVER and another whose scene image holds a NETCLIENT. The client retries
// CONNECT until ISCONNECTED, sends a text, a variable, code and a command; the server
// records each event in its settings and answers the command; the client records the
// answer and disconnects, and the server's ONDESTROYPLAYER ends its game. Both games
// EXIT by themselves, far below their frame limits; a run that hangs is killed.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "net/CMC_NetClient.h"
#include "net/CMC_NetServer.h"
#include "support/NetGame.h"
#include "support/TempDir.h"

#ifdef VONDREL_HOST_PROGRAM

namespace {

using Clock = std::chrono::steady_clock;

// A port free at the moment: the system's choice for a socket bound to port 0.
int freePort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    socklen_t length = sizeof address;
    int port = -1;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    ::close(fd);
    return port;
}

// One host program started in its game's folder, its output in a file.
class HostProcess {
public:
    HostProcess(const std::string& folder, const std::vector<std::string>& arguments, const std::string& output) {
        std::vector<char*> argv;
        std::string program = VONDREL_HOST_PROGRAM;
        argv.push_back(program.data());
        std::vector<std::string> copies = arguments;
        for (std::string& a : copies) argv.push_back(a.data());
        argv.push_back(nullptr);
        const int out = ::open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        m_pid = ::fork();
        if (m_pid == 0) {
            // Only async-signal-safe calls between fork and exec.
            if (out >= 0) {
                ::dup2(out, 1);
                ::dup2(out, 2);
            }
            if (::chdir(folder.c_str()) != 0) ::_exit(126);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        if (out >= 0) ::close(out);
    }
    ~HostProcess() {
        if (m_pid > 0 && !m_done) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
    }
    HostProcess(const HostProcess&) = delete;
    HostProcess& operator=(const HostProcess&) = delete;

    bool started() const { return m_pid > 0; }
    // True once the process has ended; its status then tells how.
    bool poll() {
        if (m_done || m_pid <= 0) return m_done;
        if (::waitpid(m_pid, &m_status, WNOHANG) == m_pid) m_done = true;
        return m_done;
    }
    bool exitedWith(int code) const { return m_done && WIFEXITED(m_status) && WEXITSTATUS(m_status) == code; }

private:
    pid_t m_pid = -1;
    int m_status = 0;
    bool m_done = false;
};

// The server records the hello's player name, the text, the variable, the code's run
// and the command's arguments, answers the command, and ends when the player goes.
const char* const kServerScene =
    "OBJECT=STARTED\r\nSTARTED:TYPE=BOOL\r\nSTARTED:VALUE=FALSE\r\nSTARTED:TOINI=TRUE\r\n"
    "OBJECT=PLAYER\r\nPLAYER:TYPE=STRING\r\nPLAYER:TOINI=TRUE\r\n"
    "OBJECT=TEXT\r\nTEXT:TYPE=STRING\r\nTEXT:TOINI=TRUE\r\n"
    "OBJECT=SCORE\r\nSCORE:TYPE=INTEGER\r\nSCORE:VALUE=0\r\nSCORE:TOINI=TRUE\r\n"
    "SCORE:ONNETCHANGE={CHANGES^ADD(1);}\r\n"
    "OBJECT=CHANGES\r\nCHANGES:TYPE=INTEGER\r\nCHANGES:VALUE=0\r\nCHANGES:TOINI=TRUE\r\n"
    "OBJECT=RAN\r\nRAN:TYPE=INTEGER\r\nRAN:VALUE=0\r\nRAN:TOINI=TRUE\r\n"
    "OBJECT=JUMP\r\nJUMP:TYPE=STRING\r\nJUMP:TOINI=TRUE\r\n"
    "OBJECT=GONE\r\nGONE:TYPE=INTEGER\r\nGONE:VALUE=0\r\nGONE:TOINI=TRUE\r\n"
    "OBJECT=ONNEW\r\nONNEW:TYPE=BEHAVIOUR\r\nONNEW:CODE={PLAYER^SET(NETSERVER^GETLOGGEDPLAYERNAME());}\r\n"
    "OBJECT=ONTXT\r\nONTXT:TYPE=BEHAVIOUR\r\nONTXT:CODE={TEXT^SET(NETSERVER^GETLATESTTEXT());}\r\n"
    "OBJECT=ONJUMP\r\nONJUMP:TYPE=BEHAVIOUR\r\n"
    "ONJUMP:CODE={JUMP^SET($1);JUMP^ADD(\"-\");JUMP^ADD($2);NETSERVER^SENDCMD(\"WELCOME\",\"ok\");}\r\n"
    "OBJECT=ONGONE\r\nONGONE:TYPE=BEHAVIOUR\r\nONGONE:CODE={GONE^ADD(1);SERVERGAME^EXIT();}\r\n"
    "OBJECT=__INIT__\r\n__INIT__:TYPE=BEHAVIOUR\r\n"
    "__INIT__:CODE={NETSERVER^START();STARTED^SET(NETSERVER^ISSTARTED());}\r\n";

// The client tries to connect every 50 ms of game time; once connected it sends
// four messages, and the answer to its command makes it disconnect and end.
const char* const kClientScene =
    "OBJECT=SCORE\r\nSCORE:TYPE=INTEGER\r\nSCORE:VALUE=7\r\n"
    "OBJECT=TRIES\r\nTRIES:TYPE=INTEGER\r\nTRIES:VALUE=0\r\n"
    "OBJECT=REPLY\r\nREPLY:TYPE=STRING\r\nREPLY:TOINI=TRUE\r\n"
    "OBJECT=CLOSED\r\nCLOSED:TYPE=INTEGER\r\nCLOSED:VALUE=0\r\nCLOSED:TOINI=TRUE\r\n"
    "OBJECT=UP\r\nUP:TYPE=BOOL\r\nUP:VALUE=FALSE\r\nUP:ONCHANGED=SENDALL\r\n"
    "OBJECT=CODE\r\nCODE:TYPE=BEHAVIOUR\r\nCODE:CODE={RAN^ADD(1);}\r\n"
    "OBJECT=SENDALL\r\nSENDALL:TYPE=BEHAVIOUR\r\n"
    "SENDALL:CODE={TRY^DISABLE();NETCLIENT^SENDTEXT(\"hello\");NETCLIENT^SENDVARIABLE(\"SCORE\");"
    "NETCLIENT^SENDBEHAVIOUR(\"CODE\");NETCLIENT^SENDCMD(\"JUMP\",\"3\",\"fast\");}\r\n"
    "OBJECT=TRYCONNECT\r\nTRYCONNECT:TYPE=BEHAVIOUR\r\n"
    "TRYCONNECT:CODE={TRIES^ADD(1);NETCLIENT^CONNECT(\"127.0.0.1\");UP^SET(NETCLIENT^ISCONNECTED());}\r\n"
    "OBJECT=TRY\r\nTRY:TYPE=TIMER\r\nTRY:ELAPSE=50\r\nTRY:ONTICK=TRYCONNECT\r\n"
    "OBJECT=ONWELCOME\r\nONWELCOME:TYPE=BEHAVIOUR\r\n"
    "ONWELCOME:CODE={REPLY^SET($1);NETCLIENT^DISCONNECT();CLIENTGAME^EXIT();}\r\n"
    "OBJECT=ONCLOSED\r\nONCLOSED:TYPE=BEHAVIOUR\r\nONCLOSED:CODE={CLOSED^ADD(1);}\r\n";

TEST(TwoEngines, AClientGameAndAServerGameExchangeTheirMessagesAndEnd) {
    test::TempDir dir;
    test::NetGame server{dir.native("server"), "SERVERGAME", "HOST", kServerScene, CMC_NetServer::kType,
                         {{"ONNEWPLAYER", "ONNEW"}, {"ONTEXT", "ONTXT"}, {"ONCOMMAND^JUMP", "ONJUMP"},
                          {"ONDESTROYPLAYER", "ONGONE"}}};
    test::NetGame client{dir.native("client"), "CLIENTGAME", "GUEST", kClientScene, CMC_NetClient::kType,
                         {{"ONCOMMAND^WELCOME", "ONWELCOME"}, {"ONCONNECTIONCLOSED", "ONCLOSED"}}};
    std::string why;
    ASSERT_TRUE(test::writeNetGame(server, &why)) << why;
    ASSERT_TRUE(test::writeNetGame(client, &why)) << why;
    // The hello carries the player's name from the client's settings.
    dir.write("client.ini", "[PLAYER]\r\nNAME=ANNA\r\n");

    const int port = freePort();
    ASSERT_GT(port, 0);
    // Headless frames do not wait for the clock: the limits only end a run gone wrong.
    auto arguments = [&](const char* ini, const std::string& game) {
        return std::vector<std::string>{"--headless", "--frames", "2000000", "--ini", dir.native(ini), "--net-port",
                                        std::to_string(port), "-path", game};
    };
    HostProcess serverRun(server.folder, arguments("server.ini", server.folder), dir.native("server.out"));
    HostProcess clientRun(client.folder, arguments("client.ini", client.folder), dir.native("client.out"));
    ASSERT_TRUE(serverRun.started() && clientRun.started());
    const auto deadline = Clock::now() + std::chrono::seconds(60);
    for (;;) {
        const bool serverDone = serverRun.poll();
        const bool clientDone = clientRun.poll();
        if ((serverDone && clientDone) || Clock::now() >= deadline) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ASSERT_TRUE(serverRun.poll() && clientRun.poll())
        << "a game still runs after 60 s\nserver:\n" << dir.read("server.out") << "\nclient:\n" << dir.read("client.out");
    EXPECT_TRUE(serverRun.exitedWith(0)) << dir.read("server.out");
    EXPECT_TRUE(clientRun.exitedWith(0)) << dir.read("client.out");

    const std::string serverIni = dir.read("server.ini");
    // The latest text ends in a line break, which the settings file does not keep.
    for (const char* line : {"STARTED=TRUE\r\n", "PLAYER=ANNA\r\n", "TEXT=Received text message: 'hello' from ANNA.\r\n",
                             "SCORE=7\r\n", "CHANGES=1\r\n", "RAN=1\r\n", "JUMP=3-fast\r\n", "GONE=1\r\n"})
        EXPECT_NE(serverIni.find(line), std::string::npos) << line << " not in\n" << serverIni;
    EXPECT_EQ(serverIni.rfind("[HOST]\r\n", 0), 0u) << serverIni;
    const std::string clientIni = dir.read("client.ini");
    // DISCONNECT raises no ONCONNECTIONCLOSED.
    for (const char* line : {"[GUEST]\r\n", "REPLY=ok\r\n", "CLOSED=0\r\n"})
        EXPECT_NE(clientIni.find(line), std::string::npos) << line << " not in\n" << clientIni;
}

}  // namespace

#endif
