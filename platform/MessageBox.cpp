#include "platform/MessageBox.h"

#include <cstdio>

#include "platform/Text1250.h"

namespace platform {

namespace {

HeadlessMessageBox g_headless;
IMessageBox* g_box = nullptr;

} // namespace

void HeadlessMessageBox::write(const char* text, const char* caption) {
    const std::string line = windows1250ToUtf8(caption) + ": " + windows1250ToUtf8(text) + "\n";
    std::fputs(line.c_str(), stderr);
    std::fflush(stderr);
}

void RecordedMessageBox::show(const char* text, const char* caption) {
    boxes.push_back({text ? text : "", caption ? caption : ""});
}

void HeadlessMessageBox::show(const char* text, const char* caption) {
    RecordedMessageBox::show(text, caption);
    write(text, caption);
}

IMessageBox& messageBox() { return g_box ? *g_box : g_headless; }

void setMessageBox(IMessageBox* box) { g_box = box; }

} // namespace platform
