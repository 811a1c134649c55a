// Shared pieces of the file-layer tests: a window that carries a language object
// and counts keyboard re-layouts, and a fixture that lays out a game in a
// temporary folder and restores the process-wide paths afterwards.
#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "foundation/CFile.h"
#include "foundation/CLanguageOSVer.h"
#include "foundation/CXString.h"
#include "platform/FileSystem.h"
#include "shell/CWindow.h"
#include "support/TempDir.h"

// Constructing a window takes the current directory as the installation folder;
// a test window keeps the folder the test has set.
class TestWindow : public CWindow {
public:
    explicit TestWindow(CLanguageOSVer* language = nullptr, CXString root = CWindow::rootPath) {
        m_language = language;
        rootPath = root;
    }
    void initKeyboardLanguage() override { ++keyboardInits; }
    int keyboardInits = 0;
};

// A game installed in "inst" with its disc in "disc" (a CD drive), the current
// directory inside the temporary folder.
class GameFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_savedRoot = CWindow::rootPath;
        m_savedCd = CWindow::getCDPath();
        cwd = std::make_unique<test::ScopedCurrentDirectory>(tmp.path());
        tmp.mkdir("inst");
        tmp.mkdir("disc");
        CWindow::rootPath = CXString(tmp.engine("inst\\").c_str());
        CWindow::setCDPath(CXString(tmp.engine("disc\\").c_str()));
        platform::setDriveTypeOverride(tmp.engine("disc").c_str(), platform::kDriveCdrom);
    }
    void TearDown() override {
        platform::clearDriveTypeOverrides();
        CWindow::rootPath = m_savedRoot;
        CWindow::setCDPath(m_savedCd);
        cwd.reset();
    }

    // Contents of the file that a CFile opened with the name and mode reads.
    std::string readThrough(CWindow* window, const char* name, int mode = CFile::kReadBinary) {
        CFile f(window, CXString(name), mode);
        if (f.LastError() != 0) return "<" + std::to_string(f.LastError()) + ">";
        std::string out;
        char buf[256];
        int n;
        while ((n = f.Read(buf, sizeof buf)) > 0) out.append(buf, static_cast<size_t>(n));
        return out;
    }

    CXString eng(const std::string& relative) const { return CXString(tmp.engine(relative).c_str()); }

    test::TempDir tmp;
    std::unique_ptr<test::ScopedCurrentDirectory> cwd;

private:
    CXString m_savedRoot;
    CXString m_savedCd;
};
