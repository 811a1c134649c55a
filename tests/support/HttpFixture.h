// Starts tests/support/http_fixture.py on an ephemeral port of 127.0.0.1 for one
// test and stops it at the end (its standard input closes; the child is waited for).
#pragma once
#include <string>
#include <sys/types.h>

namespace test {

class HttpFixture {
public:
    HttpFixture();
    ~HttpFixture();
    HttpFixture(const HttpFixture&) = delete;
    HttpFixture& operator=(const HttpFixture&) = delete;

    bool running() const { return m_port > 0; }
    int port() const { return m_port; }
    // "http://127.0.0.1:PORT" + path.
    std::string url(const std::string& path = std::string()) const;
    // The same without the scheme, as INTERNET's GET takes it.
    std::string address(const std::string& path = std::string()) const;

    // A port of 127.0.0.1 on which nothing listens (bound and released).
    static int closedPort();

private:
    pid_t m_pid = -1;
    int m_stdin = -1;
    int m_port = 0;
};

}  // namespace test
