#include "support/HttpFixture.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

extern char** environ;

namespace test {

HttpFixture::HttpFixture() {
    int in[2];
    int out[2];
    if (pipe(in) != 0) return;
    if (pipe(out) != 0) {
        close(in[0]);
        close(in[1]);
        return;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, in[1]);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    std::string script = std::string(VONDREL_SOURCE_DIR) + "/tests/support/http_fixture.py";
    // Debian's interpreter when present: version-manager shims on PATH take seconds to start.
    const char* python = access("/usr/bin/python3", X_OK) == 0 ? "/usr/bin/python3" : "python3";
    std::vector<char*> argv = {const_cast<char*>(python), script.data(), nullptr};
    const int spawned = posix_spawnp(&m_pid, python, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(in[0]);
    close(out[1]);
    if (spawned != 0) {
        m_pid = -1;
        close(in[1]);
        close(out[0]);
        return;
    }
    m_stdin = in[1];
    FILE* reader = fdopen(out[0], "r");
    char line[32] = {};
    if (reader && std::fgets(line, sizeof line, reader)) m_port = std::atoi(line);
    if (reader) std::fclose(reader);
    else close(out[0]);
}

HttpFixture::~HttpFixture() {
    if (m_stdin >= 0) close(m_stdin);
    if (m_pid > 0) {
        int status = 0;
        waitpid(m_pid, &status, 0);
    }
}

std::string HttpFixture::url(const std::string& path) const { return "http://" + address(path); }

std::string HttpFixture::address(const std::string& path) const {
    return "127.0.0.1:" + std::to_string(m_port) + path;
}

int HttpFixture::closedPort() {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) return 1;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    int port = 1;
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    close(fd);
    return port;
}

}  // namespace test
