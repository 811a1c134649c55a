// The video files of the movie tests, made by tools/make-movie-fixtures.sh: ctest runs
// it first (fixture "movie_fixtures"); a test program run by hand makes them here when
// one is missing. Only the test programs given VONDREL_MOVIE_FIXTURES include this.
#pragma once
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <mutex>
#include <string>

namespace test {

inline std::string movieFixture(const std::string& name) {
    const std::string folder = VONDREL_MOVIE_FIXTURES;
    const std::string path = folder + "/" + name;
    static std::once_flag made;
    if (!std::ifstream(path).good()) {
        std::call_once(made, [&] {
            const std::string command = std::string("bash '") + VONDREL_SOURCE_DIR +
                                        "/tools/make-movie-fixtures.sh' '" + folder + "'";
            if (std::system(command.c_str()) != 0) std::abort();
        });
    }
    return path;
}

inline std::string movieFixtureBytes(const std::string& name) {
    std::ifstream in(movieFixture(name), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace test
